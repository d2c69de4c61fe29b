// Legacy Excel: the reader and the template writer on their own, on 32,767 names in column B of a workbook
// Pelorin wrote. The import as the user runs it, beside the other readers, is measured by bench_import. Also:
//   bench_xls --make-rows FILE   writes a workbook with a name in every one of the 65,536 rows
//   bench_xls --read FILE        reads a workbook once (for peak memory, under /usr/bin/time -v)
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

using namespace pelorin::workbook;

namespace {

constexpr int NameCount = 32767;

QString name(int i)
{
    return QStringLiteral("第%1号被抽查企业（有限公司）").arg(i);
}

WorkbookData names(int rows)
{
    WorkbookData data;
    SheetData sheet { QStringLiteral("名单"), {}, { { 1, 30 } } };
    sheet.cells[{ 0, 1 }] = QStringLiteral("企业名称");
    for (int r = 1; r < rows; ++r)
        sheet.cells[{ r, 1 }] = name(r);
    data.sheets.push_back(std::move(sheet));
    return data;
}

const QByteArray& namesFile()
{
    static const QByteArray bytes = *writeXls(names(NameCount + 1));
    return bytes;
}

void readNames(benchmark::State& state)
{
    const QByteArray& bytes = namesFile();
    for (auto _ : state) {
        auto data = readXls(bytes, true);
        benchmark::DoNotOptimize(data);
        if (!data || data->sheets[0].cells.size() != std::size_t(NameCount + 1))
            state.SkipWithError("read failed");
    }
}
BENCHMARK(readNames)->Unit(benchmark::kMillisecond);

void writeNames(benchmark::State& state)
{
    QFile file(QStringLiteral(PELORIN_SOURCE_DIR "/data/export.xls"));
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("no data/export.xls");
        return;
    }
    const QByteArray templ = file.readAll();
    CellEdits edits;
    edits[{ 0, 0 }] = QStringLiteral("重点企业名单：");
    for (int r = 0; r < NameCount; ++r)
        edits[{ r, 1 }] = name(r + 1);
    for (auto _ : state) {
        auto out = fillXlsTemplate(templ, edits, { { 0, 16 }, { 1, 30 } });
        benchmark::DoNotOptimize(out);
        if (!out)
            state.SkipWithError("write failed");
    }
}
BENCHMARK(writeNames)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--make-rows") == 0) {
        const auto bytes = writeXls(names(65536));
        QFile file(QString::fromLocal8Bit(argv[2]));
        return bytes && file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size() ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0) {
        QFile file(QString::fromLocal8Bit(argv[2]));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const auto data = readXls(file.readAll(), true);
        std::printf("%zu cells\n", data ? data->sheets[0].cells.size() : std::size_t(0));
        return data ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
