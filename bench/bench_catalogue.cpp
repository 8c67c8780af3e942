// Loading a large catalogue into the catalogue window and the selection dialog.
// Prints the median of several repeats for each step.

#include "base/Seams.h"
#include "base/gui/WindowHub.h"
#include "blending/gui/frmSelect.h"
#include "catalogue/gui/frmKucun.h"
#include "data/Dbconnection.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace vestrel;

namespace {

constexpr int kLots = 10000;
constexpr int kRepeats = 7;

DbStatus seed(int lots) {
    if (DbStatus opened = OpenDb(); !opened) return opened;
    DbTransaction tx;
    QSqlQuery q(Conn());
    q.prepare(QStringLiteral("INSERT INTO meitan (Name, ShuiFen, Liu, HuiFen, HuiFaFen, GuDingTan, NeiShui, ReLiang, "
                             "G, Y, KeMoXing, HuiRongDian, huishoulv, kucun, JiaGe, leixing) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)"));
    for (int i = 0; i < lots; ++i) {
        q.addBindValue(QStringLiteral("石油焦%1号").arg(i));
        for (int c = 0; c < 12; ++c)
            q.addBindValue((i * 7 + c * 13) % 1000 / 100.0);
        q.addBindValue(100 + i % 500);
        q.addBindValue(1500 + (i * 37) % 900 + 0.25);
        if (!q.exec()) return Failed(q);
    }
    const DbStatus committed = tx.commit();
    CloseDb();
    return committed;
}

double medianMs(const std::function<void()>& setup, const std::function<void()>& step,
                const std::function<void()>& teardown) {
    QList<double> times;
    for (int r = 0; r < kRepeats; ++r) {
        setup();
        QElapsedTimer t;
        t.start();
        step();
        times << t.nsecsElapsed() / 1e6;
        teardown();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    SetDbPath(dir.filePath(QStringLiteral("coal.dat")));
    if (const DbStatus seeded = seed(kLots); !seeded) {
        std::fprintf(stderr, "seeding failed: %s\n", qPrintable(seeded.error()));
        return 1;
    }
    std::printf("catalogue of %d lots, median of %d repeats\n", kLots, kRepeats);

    const auto nothing = [] {};
    QWidget* window = nullptr;
    const auto closeWindow = [&] {
        if (window) window->close();
        window = nullptr;
        flushDeletes();
    };

    const double loadKucun = medianMs(
        nothing, [&] { window = hub::catalogueWindow(); }, closeWindow);
    const double showKucun = medianMs(
        nothing,
        [&] {
            window = hub::catalogueWindow();
            window->show();
            QCoreApplication::processEvents();
        },
        closeWindow);

    frmKucun* open = nullptr;
    const double refill = medianMs([&] { open = qobject_cast<frmKucun*>(hub::catalogueWindow()); },
                                   [&] { open->addLIST(); }, [&] { window = open; });
    closeWindow();
    const double search = medianMs(
        [&] {
            open = qobject_cast<frmKucun*>(hub::catalogueWindow());
            open->findChild<QLineEdit*>(QStringLiteral("txtSearch"))->setText(QStringLiteral("9号"));
        },
        [&] { open->findChild<QPushButton*>(QStringLiteral("cmdSearch"))->click(); }, [&] { window = open; });
    closeWindow();

    frmSelect* select = nullptr;
    const double loadSelect = medianMs([&] { select = new frmSelect; },
                                       [&] {
                                           select->Form_Load();
                                           select->show();
                                           QCoreApplication::processEvents();
                                       },
                                       [&] {
                                           delete select;
                                           select = nullptr;
                                       });

    std::printf("frmKucun load (count, columns, fill):  %8.1f ms\n", loadKucun);
    std::printf("frmKucun load, show and first paint:   %8.1f ms\n", showKucun);
    std::printf("frmKucun addLIST refill:               %8.1f ms\n", refill);
    std::printf("frmKucun search (1000 of %d):        %8.1f ms\n", kLots, search);
    std::printf("frmSelect load, show and first paint:  %8.1f ms\n", loadSelect);
    CloseDb();
    return 0;
}
