// Times the history window on a large history: 20,000 sets of 50 schemes and 5 lots each. Prints the
// medians of opening the window (Form_Load) and of showing a set (lsvLeft_Click).

#include "base/Seams.h"
#include "data/Dbconnection.h"
#include "history/gui/frmLishi.h"
#include "lists/gui/ReportListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <memory>

using namespace vestrel;

namespace {

constexpr int kSets = 20000;
constexpr int kSchemesPerSet = 50;
constexpr int kLotsPerSet = 5;
constexpr int kRepeats = 7;

DbStatus fillHistory() {
    if (DbStatus opened = OpenDb(); !opened) return opened;
    DbTransaction t;
    QSqlQuery set(Conn()), scheme(Conn()), lot(Conn());
    set.prepare(QStringLiteral("INSERT INTO Lishi_fangan (xinxi) VALUES (?)"));
    scheme.prepare(QStringLiteral("INSERT INTO Lishi_Peibibiao (followid, d1, d2, d3, d4, d5, Name, ShuiFen, Liu, "
                                  "HuiFen, HuiFaFen, GuDingTan, kucun, JiaGe) VALUES (?,?,?,?,?,?,'',8,1.2,0.4,9,"
                                  "85,0,?)"));
    lot.prepare(QStringLiteral("INSERT INTO Lishi_meitan (followid, Name, ShuiFen, Liu, HuiFen, kucun, JiaGe) "
                               "VALUES (?,?,8,1.5,0.3,1000,?)"));
    for (int s = 0; s < kSets; ++s) {
        set.bindValue(0, QStringLiteral("全水<=8,硫分<=1.5,灰分<=0.5 run %1").arg(s));
        if (!set.exec()) return Failed(set);
        const qint64 id = set.lastInsertId().toLongLong();
        for (int k = 0; k < kSchemesPerSet; ++k) {
            const int total = 2 + k;
            scheme.bindValue(0, id);
            scheme.bindValue(1, total / 2);
            scheme.bindValue(2, total - total / 2);
            scheme.bindValue(3, 0);
            scheme.bindValue(4, 0);
            scheme.bindValue(5, 0);
            scheme.bindValue(6, 1500.0 + k * 3.25);
            if (!scheme.exec()) return Failed(scheme);
        }
        for (int k = 0; k < kLotsPerSet; ++k) {
            lot.bindValue(0, id);
            lot.bindValue(1, QStringLiteral("焦%1").arg(k + 1));
            lot.bindValue(2, 1400.0 + k * 50);
            if (!lot.exec()) return Failed(lot);
        }
    }
    const DbStatus committed = t.commit();
    CloseDb();
    return committed;
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);

    QTemporaryDir dir;
    setProgramFolder(dir.path());
    SetDbPath(dir.filePath(QStringLiteral("coal.dat")));
    QElapsedTimer fill;
    fill.start();
    if (const DbStatus filled = fillHistory(); !filled) {
        out << "could not fill the history: " << filled.error() << Qt::endl;
        return 1;
    }
    out << "history of " << kSets << " sets x " << kSchemesPerSet << " schemes written in " << fill.elapsed() << " ms"
        << Qt::endl;

    QList<double> loads;
    for (int i = 0; i < kRepeats; ++i) {
        frmLishi w;
        QElapsedTimer t;
        t.start();
        w.Form_Load();
        loads << t.nsecsElapsed() / 1e6;
    }

    frmLishi w;
    w.Form_Load();
    w.show();
    QCoreApplication::processEvents();
    auto* left = w.findChild<ReportListView*>(QStringLiteral("lsvLeft"));
    QList<double> clicks;
    for (int i = 0; i < kRepeats * 3; ++i) {
        left->selectOnlyRow((i * 37) % left->listData().rowCount());
        QElapsedTimer t;
        t.start();
        w.lsvLeft_Click();
        clicks << t.nsecsElapsed() / 1e6;
    }
    // The shared list widget with a catalogue-sized list: 10,000 rows of 16 columns, shown and painted.
    ReportListView big;
    big.setCheckBoxes(true);
    big.resize(1000, 600);
    big.show();
    ListData lots;
    for (int c = 0; c < 16; ++c)
        lots.columns.append({QStringLiteral("c%1").arg(c), c == 0 ? 800 : 900});
    for (int r = 0; r < 10000; ++r) {
        QStringList cells;
        for (int c = 1; c < 16; ++c)
            cells << QString::number(r * 0.37 + c, 'f', 2);
        lots.rows.append({QString::number(r + 1), cells, false});
    }
    QList<double> refills;
    for (int i = 0; i < kRepeats; ++i) {
        QElapsedTimer t;
        t.start();
        big.setListData(lots);
        big.grab(); // renders the visible rows
        refills << t.nsecsElapsed() / 1e6;
    }

    out << "rows shown: " << w.leftList().rowCount() << " sets, " << w.midList().rowCount() << " lots, "
        << w.bottomList().rowCount() << " schemes" << Qt::endl;
    out << QStringLiteral("Form_Load     median %1 ms over %2 repeats").arg(median(loads), 0, 'f', 2).arg(kRepeats)
        << Qt::endl;
    out << QStringLiteral("lsvLeft_Click median %1 ms over %2 repeats")
               .arg(median(clicks), 0, 'f', 2)
               .arg(clicks.size())
        << Qt::endl;
    out << QStringLiteral("ReportListView 10,000 x 16 refill and paint median %1 ms").arg(median(refills), 0, 'f', 2)
        << Qt::endl;
    return 0;
}
