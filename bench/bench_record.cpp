// The draw record of a day's large session: 50 draws from a list of 32,767 names, driven through the real
// window. Measured: verifying the written file as `pelorin --verify` does, building and printing the PDF
// sheet, and the whole 摇号记录 command (record, read-back check, sheet).
#include "output/RecordExport.h"
#include "output/VerifyCommand.h"
#include "platform/qt/QtSheetPdf.h"
#include "record/RecordSession.h"
#include "record/RecordSheet.h"
#include "record/RecordVerifier.h"
#include "ui/BottomBar.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>
#include <benchmark/benchmark.h>

using namespace pelorin;
using namespace pelorin::test;

namespace {

constexpr int ListSize = 32767;
constexpr int Draws = 50;

// The session is built once: 50 draws of 32,767 names take a while through the window.
struct LargeSession
{
    LargeSession()
    {
        QStringList names;
        names.reserve(ListSize);
        for (int i = 1; i <= ListSize; ++i)
            names.append(QStringLiteral("某某市某某区第%1号企业有限公司").arg(i));
        session.importCandidates(3, names, QStringLiteral("重点企业名单.xlsx"));
        for (int round = 0; round < Draws / 5; ++round)
            session.draw(3, 5);
        path = session.dir.filePath(QStringLiteral("摇号记录.jsonl"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        written = session.record();
        file.write(written.bytes);
    }

    RecordSession session;
    QString path;
    record::WrittenRecord written;
};

// Made on first use and gone before the application object, as windows must be.
std::unique_ptr<LargeSession> largeSession;

LargeSession& large()
{
    if (!largeSession)
        largeSession = std::make_unique<LargeSession>();
    return *largeSession;
}

void BM_VerifyRecord(benchmark::State& state)
{
    LargeSession& s = large();
    for (auto _ : state) {
        QString text;
        QTextStream out(&text);
        if (record::runVerify(s.path, out) != 0)
            state.SkipWithError("the record does not hold");
        benchmark::DoNotOptimize(text);
    }
    state.counters["bytes"] = double(s.written.bytes.size());
    state.counters["draws"] = double(s.session.results(3).count());
}
BENCHMARK(BM_VerifyRecord)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_PrintSheet(benchmark::State& state)
{
    LargeSession& s = large();
    QFile file(s.path);
    file.open(QIODevice::ReadOnly);
    const record::VerifyReport report = record::verifyRecord(file);
    const QString pdf = s.session.dir.filePath(QStringLiteral("记录单.pdf"));
    for (auto _ : state) {
        const record::RecordSheet sheet = record::buildSheet(report.summary, QStringLiteral("摇号记录.jsonl"));
        QString error;
        if (!QtSheetPdf().printPdf(sheet, pdf, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["pdf_bytes"] = double(QFile(pdf).size());
}
BENCHMARK(BM_PrintSheet)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_RecordButton(benchmark::State& state)
{
    LargeSession& s = large();
    for (auto _ : state) {
        s.session.desk.messageBox.answerNext(IMessageBox::Answer::Yes); // replace the last run's files
        QTest::mouseClick(s.session.window.bottomBar()->drawRecord, Qt::LeftButton);
    }
    state.counters["opened"] = double(s.session.desk.shell.opened.size());
}
BENCHMARK(BM_RecordButton)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    largeSession.reset();
    return 0;
}
