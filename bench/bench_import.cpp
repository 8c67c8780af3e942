// Times importing 10,000 lots into an empty catalogue from a CSV file, an .xlsx workbook and an Excel 97 workbook
// (the program's own exports of such a catalogue): reading the file, checking every row, writing the lots.
// Prints the median of several repeats of each.

#include "base/Seams.h"
#include "catalogue/DaoFunction.h"
#include "catalogue/LotImport.h"
#include "data/Dbconnection.h"
#include "lists/Export.h"
#include "lists/ListViewFunction.h"
#include "lists/XlsxExport.h"

#include "LotCatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace vestrel;

namespace {

constexpr int kLots = 10000;
constexpr int kRepeats = 5;

QByteArray csvOf(const ListData& list) {
    QByteArray out;
    QStringList header;
    for (const ListColumn& c : list.columns)
        header << c.header;
    out += header.join(u',').toUtf8() + "\r\n";
    for (int r = 0; r < list.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < list.columnCount(); ++c)
            cells << list.cell(r, c);
        out += cells.join(u',').toUtf8() + "\r\n";
    }
    return out;
}

struct Timing {
    double wallMs = -1;
    double cpuMs = -1; // the process's own processor time: what a shared, busy machine does not inflate
};

// Medians of importing the file into a new, empty catalogue; -1 when an import fails.
Timing median(const QString& path, const QString& folder) {
    static int run = 0;
    QList<double> times;
    QList<double> cpu;
    for (int i = 0; i < kRepeats; ++i) {
        CloseDb();
        SetDbPath(QDir(folder).filePath(QStringLiteral("coal%1.dat").arg(run++)));
        if (!OpenDb()) return {}; // the schema is made before the clock starts
        CloseDb();
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        const LotFile file = ReadLotFile(path);
        const ImportResult result = ImportLots(file, file.boxes, ExistingLots::Skip);
        times << timer.nsecsElapsed() / 1e6;
        cpu << double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
        if (!file.error.isEmpty() || !result.written || result.added != kLots) {
            std::fprintf(stderr, "%s: %s%s\n", qPrintable(path), qPrintable(file.error), qPrintable(result.error));
            return {};
        }
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    return {times[kRepeats / 2], cpu[kRepeats / 2]};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir(dir.path()).mkdir(QStringLiteral("template"))) return 1;
    setProgramFolder(dir.path());
    const ListData list = bench::LotCatalogue(kLots, 0.01);

    const QString csv = dir.filePath(QStringLiteral("lots.csv"));
    QFile f(csv);
    if (!f.open(QIODevice::WriteOnly) || f.write(csvOf(list)) < 0) return 1;
    f.close();
    const QString xlsx = dir.filePath(QStringLiteral("lots.xlsx"));
    if (!ExportListXlsx(list, xlsx)) return 1;
    // The Excel 97 export needs its template: from the folder given on the command line, or beside the program.
    const QString from = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QCoreApplication::applicationDirPath() + QStringLiteral("/template");
    const QString xls = dir.filePath(QStringLiteral("lots.xls"));
    const bool haveXls =
        QFile::copy(from + QStringLiteral("/list1.xls"), programPath(QStringLiteral("template/list1.xls"))) &&
        ExportListExcel(list, xls);

    std::printf("importing %d lots into an empty catalogue, median of %d runs\n", kLots, kRepeats);
    bool ok = true;
    for (const auto& [name, path] : {std::pair{"CSV  ", csv}, std::pair{"xlsx ", xlsx}, std::pair{"xls  ", xls}}) {
        if (path == xls && !haveXls) {
            std::printf("  %s (no template list1.xls in %s)\n", name, qPrintable(from));
            continue;
        }
        const Timing t = median(path, dir.path());
        ok = ok && t.wallMs >= 0;
        std::printf("  %s %8.1f ms (processor %6.1f ms; %lld bytes)\n", name, t.wallMs, t.cpuMs,
                    qlonglong(QFileInfo(path).size()));
    }
    CloseDb();
    return ok ? 0 : 1;
}
