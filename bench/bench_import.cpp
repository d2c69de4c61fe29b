// The import as the user runs it, from "given the path" to "the names in memory" and the file's fingerprint, on
// workbooks written by other programs (32,767 names in column B beside whole numbers, decimals and short texts), next
// to the floor and the readers a user could pick instead, all timed inside their own runtime after a warm-up. One run
// prints the table.
//   bench_import                       makes the workbooks once (bench/make_import_workbooks.py), prints the table
//   bench_import --import-once FILE    reads the names once and prints its peak memory in KB: the table's figure
//   bench_import --time FILE...        Pelorin's time and the floor for each file alone
//   bench_import --profile FILE        the floor once, then the import once: for callgrind or perf, one beside the
//   other
//   bench_import --profile FILE N      the import alone N times, for a sampling profiler
#include "lists/WorkbookImport.h"
#include "workbook/Spreadsheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <optional>
#include <vector>
#include <zlib.h>

using namespace pelorin;

namespace {

constexpr int kNames = 32767;
constexpr int kRuns = 21;
constexpr int kPeerRuns = 3;

// What the import command does with a chosen file (WorkbookImport::readWorkbook): open it through the component, take
// the first worksheet, read B2, B3, ... up to the first empty cell, and fingerprint the file for the command's record
// meanwhile.
QStringList importNames(const QString& path)
{
    workbook::Spreadsheet spreadsheet;
    QString refusal;
    const auto read = WorkbookImport::readWorkbook(spreadsheet, path, { u'B' }, &refusal);
    if (!read || !read->sha256)
        return {};
    return read->columns.first();
}

// The least any reader must do: read the file, inflate the worksheet and shared-strings parts (for .xls: nothing)
// and pass once over the bytes. Returns the number of '<' seen (.xlsx) or of zero bytes (.xls).
qint64 floorPass(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    if (!path.endsWith(QLatin1String(".xlsx")))
        return std::count(bytes.begin(), bytes.end(), '\0');

    // The central directory names each part and where its local header is.
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    qsizetype end = bytes.size() - 22;
    while (end >= 0 && u32(end) != 0x06054b50)
        --end;
    if (end < 0)
        return -1;
    qint64 count = 0;
    qsizetype entry = u32(end + 16);
    for (int i = 0; i < u16(end + 10); ++i) {
        const int nameLength = u16(entry + 28);
        const QByteArray name = bytes.mid(entry + 46, nameLength);
        const quint32 compressed = u32(entry + 20);
        const qsizetype local = u32(entry + 42);
        entry += 46 + nameLength + u16(entry + 30) + u16(entry + 32);
        if (name != "xl/worksheets/sheet1.xml" && name != "xl/sharedStrings.xml")
            continue;
        const qsizetype data = local + 30 + u16(local + 26) + u16(local + 28);
        z_stream z {};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return -1;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData() + data));
        z.avail_in = compressed;
        static char chunk[65536];
        int status = Z_OK;
        while (status == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(chunk);
            z.avail_out = sizeof chunk;
            status = inflate(&z, Z_NO_FLUSH);
            const char* p = chunk;
            const char* const stop = chunk + (sizeof chunk - z.avail_out);
            while ((p = static_cast<const char*>(std::memchr(p, '<', stop - p)))) {
                ++count;
                ++p;
            }
        }
        inflateEnd(&z);
        if (status != Z_STREAM_END)
            return -1;
    }
    return count;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Milliseconds of processor time the calling thread has used, or with process, all threads of this process.
double cpuMs(bool process = false)
{
    timespec t {};
    clock_gettime(process ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Median times of two jobs, run in turns after a warm-up, so that whatever else the machine does at the time
// weighs on both alike.
template <typename A, typename B> std::pair<double, double> medianMs(A&& a, B&& b, int runs = kRuns)
{
    a();
    b();
    a();
    b();
    std::vector<double> timesA;
    std::vector<double> timesB;
    for (int i = 0; i < runs; ++i) {
        for (const auto& [run, times] : { std::pair<std::function<void()>, std::vector<double>*> { a, &timesA },
                                          std::pair<std::function<void()>, std::vector<double>*> { b, &timesB } }) {
            QElapsedTimer timer;
            timer.start();
            run();
            times->push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    return { median(timesA), median(timesB) };
}

// Peak resident memory of a run of this program that reads the file once, in MB, as that run tells it. Measured
// from outside (the rusage of a child) it would be this process's size at the time it started the child, since a
// process started from a large one is counted with the large one's pages until it runs a program of its own.
double peakMemoryMb(const QString& path)
{
    QProcess once;
    once.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--import-once"), path });
    if (!once.waitForFinished(600000) || once.exitStatus() != QProcess::NormalExit || once.exitCode() != 0)
        return -1;
    bool ok = false;
    const double kb = once.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? kb / 1024.0 : -1;
}

// The peak resident memory of this process so far, in KB, from /proc/self/status; -1 when it cannot be read.
long long ownPeakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Peer
{
    double ms = -1;
    qint64 count = 0;
};

std::optional<Peer> freexl(const QString& path)
{
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/freexl_names"),
                  { path, QString::number(9) });
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return std::nullopt;
    const QList<QByteArray> fields = process.readAllStandardOutput().simplified().split(' ');
    if (fields.size() != 2)
        return std::nullopt;
    return Peer { fields[0].toDouble(), fields[1].toLongLong() };
}

// reader -> file -> figure, from one run of peer_readers.py over every file.
std::map<QString, std::map<QString, Peer>> pythonPeers(const QStringList& paths)
{
    QProcess process;
    process.start(
        QStringLiteral("/usr/bin/python3"),
        QStringList { QStringLiteral(PELORIN_SOURCE_DIR "/bench/peer_readers.py"), QString::number(kPeerRuns) }
            + paths);
    std::map<QString, std::map<QString, Peer>> peers;
    if (!process.waitForFinished(1800000) || process.exitCode() != 0) {
        std::fprintf(stderr, "the Python readers did not run: %s\n", process.readAllStandardError().constData());
        return peers;
    }
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 4)
            peers[QString::fromUtf8(f[1])][QString::fromUtf8(f[0])] = Peer { f[2].toDouble(), f[3].toLongLong() };
    }
    return peers;
}

QString figure(double ms)
{
    return ms < 10 ? QString::number(ms, 'f', 1) + QStringLiteral(" ms")
                   : QString::number(qRound(ms)) + QStringLiteral(" ms");
}

// "461 ms (3.7x)": the peer's time and how many times Pelorin's it is.
QString against(const std::optional<Peer>& peer, double ours)
{
    if (!peer || peer->ms < 0)
        return QStringLiteral("–");
    QString text = figure(peer->ms) + QStringLiteral(" (%1x)").arg(peer->ms / ours, 0, 'f', 1);
    if (peer->count != kNames)
        text += QStringLiteral(" [%1 names]").arg(peer->count);
    return text;
}

std::optional<Peer> find(const std::map<QString, std::map<QString, Peer>>& peers, const QString& reader,
                         const QString& path)
{
    const auto r = peers.find(reader);
    if (r == peers.end())
        return std::nullopt;
    const auto p = r->second.find(path);
    return p == r->second.end() ? std::nullopt : std::optional<Peer>(p->second);
}

int printTable()
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/import-workbooks");
    QProcess make;
    make.start(QStringLiteral("/usr/bin/python3"),
               { QStringLiteral(PELORIN_SOURCE_DIR "/bench/make_import_workbooks.py"), folder });
    if (!make.waitForFinished(1800000) || make.exitCode() != 0) {
        std::fprintf(stderr, "could not make the workbooks (python3-openpyxl, python3-xlwt and soffice needed): %s\n",
                     make.readAllStandardError().constData());
        return 1;
    }
    const std::vector<std::pair<QString, QString>> workbooks {
        { QStringLiteral("openpyxl-inline.xlsx"), QStringLiteral(".xlsx written by openpyxl, inline strings") },
        { QStringLiteral("openpyxl-shared.xlsx"),
          QStringLiteral(".xlsx written by openpyxl, strings shared as character references") },
        { QStringLiteral("excel-shared.xlsx"),
          QStringLiteral(".xlsx with strings shared as Excel writes them (UTF-8)") },
        { QStringLiteral("libreoffice.xlsx"), QStringLiteral(".xlsx saved by LibreOffice (rich-text shared strings)") },
        { QStringLiteral("xlwt.xls"), QStringLiteral(".xls written by xlwt") },
        { QStringLiteral("libreoffice.xls"), QStringLiteral(".xls saved by LibreOffice") },
    };
    QStringList paths;
    for (const auto& [file, label] : workbooks)
        paths.append(folder + QLatin1Char('/') + file);
    const auto peers = pythonPeers(paths);

    std::printf("| workbook | floor | Pelorin's import | Pelorin ÷ floor | FreeXL | openpyxl read-only | xlrd | "
                "peak memory |\n|---|---|---|---|---|---|---|---|\n");
    int failures = 0;
    for (std::size_t i = 0; i < workbooks.size(); ++i) {
        const QString& path = paths[int(i)];
        if (importNames(path).size() != kNames || floorPass(path) < 0) {
            std::fprintf(stderr, "%s: not read as expected\n", qPrintable(path));
            ++failures;
            continue;
        }
        const auto [floorMs, ours] = medianMs([&] { floorPass(path); }, [&] { importNames(path); });
        const bool xls = path.endsWith(QLatin1String(".xls"));
        const std::optional<Peer> free = xls ? freexl(path) : std::nullopt;
        std::printf(
            "| %s | %s | %s | %.1f | %s | %s | %s | %.0f MB |\n", qPrintable(workbooks[i].second),
            qPrintable(figure(floorMs)), qPrintable(figure(ours)), ours / floorMs,
            qPrintable(xls ? against(free, ours) : QStringLiteral("–")),
            qPrintable(xls ? QStringLiteral("–") : against(find(peers, QStringLiteral("openpyxl"), path), ours)),
            qPrintable(against(find(peers, QStringLiteral("xlrd"), path), ours)), peakMemoryMb(path));
        std::fflush(stdout);
    }
    std::printf("\nTimes are medians of %d runs after a warm-up, the floor's and Pelorin's taken in turns (FreeXL 9 "
                "runs, the Python readers %d); (Nx) is the reader's time over Pelorin's.\n",
                kRuns, kPeerRuns);
    return failures;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--import-once") == 0) {
        const QStringList names = importNames(QString::fromLocal8Bit(argv[2]));
        std::printf("%lld\n", ownPeakKb());
        return names.isEmpty() ? 1 : 0;
    }
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--profile") == 0) {
        // With a count, the import alone that many times: a sampling profiler then sees nothing else.
        const QString path = QString::fromLocal8Bit(argv[2]);
        if (argc == 4) {
            bool ok = true;
            for (int run = std::atoi(argv[3]); run > 0; --run)
                ok = importNames(path).size() == kNames && ok;
            return ok ? 0 : 1;
        }
        return floorPass(path) >= 0 && importNames(path).size() == kNames ? 0 : 1;
    }
    if (argc >= 3 && std::strcmp(argv[1], "--time") == 0) {
        for (int i = 2; i < argc; ++i) {
            const QString path = QString::fromLocal8Bit(argv[i]);
            const qsizetype names = importNames(path).size();
            const auto [floorMs, ours] = medianMs([&] { floorPass(path); }, [&] { importNames(path); });
            // The processor time of this thread alone, which a busy machine does not stretch as it does the time
            // on the clock: what the import takes when a second core is free for its other threads. The time of
            // all threads is what it takes when none is.
            double floorCpu = 0;
            double oursCpu = 0;
            double oursAllCpu = 0;
            for (int run = 0; run < kRuns; ++run) {
                double at = cpuMs();
                floorPass(path);
                floorCpu += cpuMs() - at;
                at = cpuMs();
                const double allAt = cpuMs(true);
                importNames(path);
                oursCpu += cpuMs() - at;
                oursAllCpu += cpuMs(true) - allAt;
            }
            std::printf("%s: %lld names, Pelorin %.1f ms, floor %.1f ms; processor time of the reading thread: "
                        "Pelorin %.1f ms, floor %.1f ms; of all of Pelorin's threads: %.1f ms\n",
                        argv[i], static_cast<long long>(names), ours, floorMs, oursCpu / kRuns, floorCpu / kRuns,
                        oursAllCpu / kRuns);
        }
        return 0;
    }
    return printTable();
}
