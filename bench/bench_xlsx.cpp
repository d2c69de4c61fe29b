// Reading and writing column B of .xlsx workbooks Pelorin wrote. The import as the user runs it, on workbooks
// other programs wrote and beside the other readers, is measured by bench_import.
//   bench_xlsx                      the benchmarks
//   bench_xlsx --write=N PATH        writes an N-row workbook of names in column B
//   bench_xlsx --read-once PATH      reads column B of it once (for peak memory with time -v)
#include "lists/WorkbookImport.h"
#include "platform/ISpreadsheet.h"
#include "workbook/ColumnFit.h"
#include "workbook/Spreadsheet.h"
#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

using namespace pelorin;
using namespace pelorin::workbook;

namespace {

constexpr int kNames = 32767;

QString nameAt(int i)
{
    return QStringLiteral("第%1号检查企业有限公司").arg(i, 5, 10, QLatin1Char('0'));
}

QString makeWorkbook(const QTemporaryDir& dir, int rows)
{
    WorkbookData data;
    SheetData sheet;
    sheet.name = QStringLiteral("名单");
    sheet.cells[{ 0, 1 }] = QStringLiteral("企业名称");
    for (int i = 1; i <= rows; ++i)
        sheet.cells[{ i, 1 }] = nameAt(i);
    data.sheets.push_back(std::move(sheet));
    const QString path = dir.filePath(QStringLiteral("names%1.xlsx").arg(rows));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*writeXlsx(data)) < 0)
        std::abort();
    return path;
}

// The import's way: open, then column B from row 2 down to the first empty cell.
QStringList importNames(const QString& path)
{
    Spreadsheet spreadsheet;
    auto document = spreadsheet.open(path, nullptr);
    if (!document || !document->firstSheet())
        std::abort();
    return WorkbookImport::namesOf(*document->firstSheet()).value_or(QStringList());
}

QTemporaryDir* g_dir = nullptr;
QString g_namesPath;

void BM_ReadNames(benchmark::State& state)
{
    for (auto _ : state) {
        const QStringList names = importNames(g_namesPath);
        if (names.size() != kNames)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(BM_ReadNames)->Unit(benchmark::kMillisecond);

// The reader alone, on bytes already in memory: what the import spends before it looks at a cell.
void BM_ReadFirstSheet(benchmark::State& state)
{
    QFile file(g_namesPath);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    const QByteArray bytes = file.readAll();
    for (auto _ : state) {
        const Expected<WorkbookData> data = readXlsx(bytes, true);
        if (!data || data->sheets.front().cells.size() != kNames + 1)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(data);
    }
}
BENCHMARK(BM_ReadFirstSheet)->Unit(benchmark::kMillisecond);

void BM_FillTemplate(benchmark::State& state)
{
    QFile file(QStringLiteral(PELORIN_SOURCE_DIR "/data/export.xlsx"));
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    const QByteArray templ = file.readAll();
    CellEdits edits { { { 0, 0 }, QStringLiteral("重点企业名单：") } };
    for (int i = 0; i < kNames; ++i)
        edits[{ i, 1 }] = nameAt(i + 1);
    for (auto _ : state) {
        const auto widths = fitColumns(edits, { 0, 1 });
        const Expected<QByteArray> out = fillXlsxTemplate(templ, edits, widths);
        if (!out)
            state.SkipWithError("fill failed");
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_FillTemplate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    if (argc == 3 && std::strncmp(argv[1], "--write=", 8) == 0) {
        const QString made = makeWorkbook(dir, std::atoi(argv[1] + 8));
        QFile::remove(QString::fromLocal8Bit(argv[2]));
        return QFile::copy(made, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--read-once") == 0) {
        const QStringList names = importNames(QString::fromLocal8Bit(argv[2]));
        std::printf("read %lld names\n", static_cast<long long>(names.size()));
        return 0;
    }
    g_namesPath = makeWorkbook(dir, kNames);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
