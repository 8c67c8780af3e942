// Times the catalogue export of 10,000 lots (16 columns of text each) to an HTML page and to an Excel 97
// workbook from the shipped templates. Prints the median of several repeats of each writer, in wall-clock time
// and in processor time (which other work on a shared machine does not inflate as much); the Excel writer should
// stay well under a second of processor time.

#include "base/Seams.h"
#include "lists/Export.h"
#include "lists/ListViewFunction.h"

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
#include <functional>

using namespace vestrel;

namespace {

constexpr int kLots = 10000;
constexpr int kRepeats = 7;

struct Times {
    double wallMs = -1;
    double cpuMs = -1;
};

Times medianMs(const std::function<bool()>& run) {
    QList<double> wall;
    QList<double> cpu;
    for (int i = 0; i < kRepeats; ++i) {
        const std::clock_t start = std::clock();
        QElapsedTimer timer;
        timer.start();
        if (!run()) return {};
        wall << timer.nsecsElapsed() / 1e6;
        cpu << double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC;
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[kRepeats / 2], cpu[kRepeats / 2]};
}

// The templates come from the folder given on the command line, or from the one beside the program.
bool copyTemplate(const QString& from, const QString& folder, const QString& name) {
    return QFile::copy(from + QStringLiteral("/") + name, folder + QStringLiteral("/template/") + name);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir(dir.path()).mkdir(QStringLiteral("template"))) return 1;
    setProgramFolder(dir.path());
    const QString from = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QCoreApplication::applicationDirPath() + QStringLiteral("/template");
    if (!copyTemplate(from, dir.path(), QStringLiteral("list1.html")) ||
        !copyTemplate(from, dir.path(), QStringLiteral("list1.xls"))) {
        std::fprintf(stderr, "usage: vestrel-bench-export [TEMPLATE_FOLDER]\n");
        return 1;
    }
    const ListData list = bench::LotCatalogue(kLots);
    const Times html = medianMs([&] { return ExportListHtml(list, dir.filePath(QStringLiteral("out.html"))); });
    const Times excel = medianMs([&] { return ExportListExcel(list, dir.filePath(QStringLiteral("out.xls"))); });
    std::printf("catalogue of %d lots, median of %d runs\n", kLots, kRepeats);
    std::printf("  HTML  export: %8.1f ms, %8.1f ms processor time (%lld bytes)\n", html.wallMs, html.cpuMs,
                qlonglong(QFileInfo(dir.filePath(QStringLiteral("out.html"))).size()));
    std::printf("  Excel export: %8.1f ms, %8.1f ms processor time (%lld bytes)\n", excel.wallMs, excel.cpuMs,
                qlonglong(QFileInfo(dir.filePath(QStringLiteral("out.xls"))).size()));
    return html.wallMs < 0 || excel.wallMs < 0 ? 1 : 0;
}
