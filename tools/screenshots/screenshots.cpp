// Draws the pictures of the documentation: the main window, the catalogue, the history and the calculator with
// sample data, each as a PNG file named <window>-<dpi>.png in the given folder. Run it on a screen of the size
// to show (for example under Xvfb), with QT_SCALE_FACTOR=1.5 for the 144 dpi pictures:
//     build/bin/vestrel-screenshots docs 96
// It works in a temporary program folder and leaves no database behind.

#include "base/gui/QtInteraction.h"
#include "base/gui/WindowHub.h"
#include "blending/gui/BlendingGrid.h"
#include "blending/gui/BlendingPanel.h"
#include "calculator/gui/frmTest.h"
#include "catalogue/DaoFunction.h"
#include "data/Dbconnection.h"
#include "data/IndexTable.h"
#include "history/gui/frmLishi.h"
#include "lists/gui/ReportListView.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

using namespace vestrel;

namespace {

struct Lot {
    const char16_t* name;
    // total moisture, sulphur, ash, volatile matter, fixed carbon, Si, Fe, V, Ni, Al, Ca, Na, stock, price
    std::array<double, 14> values;
};

const Lot kLots[] = {
    {u"镇海石油焦炭", {9.2, 2.95, 0.31, 10.6, 88.1, 0.02, 0.04, 0.03, 0.02, 0.01, 0.02, 0.01, 12345.67, 2080.5}},
    {u"大庆低硫焦", {8.4, 0.48, 0.22, 9.8, 89.3, 0.01, 0.02, 0.01, 0.01, 0.01, 0.01, 0.01, 860, 3150}},
    {u"锦州中硫焦", {10.1, 1.75, 0.36, 11.2, 87.6, 0.03, 0.04, 0.02, 0.02, 0.01, 0.02, 0.01, 2400, 2460}},
    {u"茂名高硫焦", {11.6, 4.8, 0.45, 11.9, 86.4, 0.03, 0.05, 0.05, 0.04, 0.02, 0.03, 0.02, 5200, 1550}},
    {u"齐鲁石化焦", {9.7, 2.2, 0.28, 10.2, 88.4, 0.02, 0.03, 0.02, 0.02, 0.01, 0.02, 0.01, 3100, 2270}},
    {u"抚顺石化焦", {8.9, 0.85, 0.25, 10.4, 88.9, 0.02, 0.03, 0.01, 0.01, 0.01, 0.01, 0.01, 1500, 2890}},
};

Mei toMei(const Lot& l) {
    Mei m;
    m.MingCheng = QString::fromUtf16(l.name);
    double* members[] = {&m.ShuiFen, &m.Liu, &m.HuiFen,   &m.HuiFaFen,    &m.GuDingTan, &m.NeiShui, &m.ReLiang,
                         &m.G,       &m.y,   &m.KeMoXing, &m.HuiRongDian, &m.HuiShou,   &m.Kucun,   &m.JiaGe};
    for (size_t i = 0; i < l.values.size(); ++i)
        *members[i] = l.values[i];
    return m;
}

QWidget* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

// Lets the windows lay themselves out and paint; waits up to `ms` for `ready`.
void settle(int ms, const std::function<bool()>& ready = {}) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && !(ready && ready())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    QCoreApplication::processEvents();
}

bool save(QWidget* w, const QString& path) {
    if (!w) return false;
    w->raise();
    settle(300);
    return w->grab().save(path, "PNG");
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc < 3) {
        err << "usage: vestrel-screenshots <folder> <dpi label>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString dpi = QString::fromLocal8Bit(argv[2]);
    InstallQtSeams();
    QTemporaryDir folder;
    setProgramFolder(folder.path());
    SetDbPath(folder.filePath(QStringLiteral("coal.dat")));

    QList<Mei> lots;
    for (const Lot& l : kLots) {
        lots << toMei(l);
        if (SaveMei(lots.last()) != SaveResult::Saved) {
            err << "could not store the sample lots\n";
            return 1;
        }
    }

    // The main window with five lots and their limits, then a run, which opens the history.
    QWidget* main = hub::mainWindow();
    main->show();
    auto* panel = main->findChild<BlendingPanel*>();
    panel->SetTxtValue(lots.mid(0, 5));
    for (const auto& [box, value] : {std::pair{"txtLiuMax", "2.5"},
                                     {"txtHuifenMax", "0.4"},
                                     {"txtHuifafenMax", "11"},
                                     {"txtGudingtanMin", "87.5"},
                                     {"txtJiaozhiMax", "0.03"}})
        panel->findChild<QLineEdit*>(QLatin1String(box))->setText(QLatin1String(value));
    panel->tonnesBox()->setText(QStringLiteral("500"));
    panel->grid()->mustUseBox(0)->setChecked(true);
    settle(500);
    bool ok = save(main, out.filePath(QStringLiteral("main-%1.png").arg(dpi)));

    // Three runs under looser and tighter sulphur limits; the last one is shown.
    auto* sulphur = panel->findChild<QLineEdit*>(QStringLiteral("txtLiuMax"));
    int runs = 0;
    for (const char* limit : {"3", "2", "2.5"}) {
        sulphur->setText(QLatin1String(limit));
        panel->Command1_Click();
        ++runs;
        settle(60000, [runs] {
            auto* history = qobject_cast<frmLishi*>(topLevel(QStringLiteral("frmLishi")));
            return history && history->leftList().rowCount() == runs;
        });
    }
    ok = save(topLevel(QStringLiteral("frmLishi")), out.filePath(QStringLiteral("history-%1.png").arg(dpi))) && ok;

    // The first and the last run side by side.
    if (auto* history = qobject_cast<frmLishi*>(topLevel(QStringLiteral("frmLishi")))) {
        ReportListView* left = history->findChild<ReportListView*>(QStringLiteral("lsvLeft"));
        left->selectOnlyRow(0);
        left->selectionModel()->select(left->model()->index(2, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (auto* compare = history->findChild<QAction*>(QStringLiteral("Toolbar1_bijiao"))) compare->trigger();
        ok = save(history->findChild<QWidget*>(QStringLiteral("frmBijiao")),
                  out.filePath(QStringLiteral("compare-%1.png").arg(dpi))) &&
             ok;
    }

    hub::showCatalogueWindow();
    ok = save(topLevel(QStringLiteral("frmKucun")), out.filePath(QStringLiteral("catalogue-%1.png").arg(dpi))) && ok;

    // An offer typed in and valued against the main window's panel.
    hub::showOfferWindow();
    if (QWidget* offer = topLevel(QStringLiteral("frmBaojia"))) {
        const Lot& typed = kLots[5];
        offer->findChild<QLineEdit*>(QStringLiteral("txtName"))->setText(QStringLiteral("新到抚顺焦"));
        for (int x = 0; x < kIndexCount; ++x)
            offer->findChild<QLineEdit*>(QLatin1String(IndexTable()[size_t(x)].entryBox))
                ->setText(QString::number(typed.values[x]));
        offer->findChild<QLineEdit*>(QStringLiteral("txtJiage"))->setText(QStringLiteral("2350"));
        offer->findChild<QPushButton*>(QStringLiteral("cmdJisuan"))->click();
    }
    ok = save(topLevel(QStringLiteral("frmBaojia")), out.filePath(QStringLiteral("offer-%1.png").arg(dpi))) && ok;

    hub::showCalculator();
    auto* calculator = qobject_cast<frmTest*>(topLevel(QStringLiteral("frmTest")));
    if (calculator) {
        calculator->SetTxtValue(lots.mid(0, 4));
        const char* ratios[] = {"3", "2", "4", "1"};
        for (int row = 0; row < 4; ++row)
            calculator->grid()->cell(row, CellStock)->setText(QLatin1String(ratios[row]));
        calculator->Command1_Click();
    }
    ok = save(calculator, out.filePath(QStringLiteral("calculator-%1.png").arg(dpi))) && ok;

    hub::closeAllWindows();
    CloseDb();
    if (!ok) err << "a window could not be drawn\n";
    return ok ? 0 : 1;
}
