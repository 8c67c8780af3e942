#include "base/Seams.h"
#include "base/gui/WindowHub.h"
#include "blending/ModelText.h"
#include "blending/PanelBuilder.h"
#include "blending/Run.h"
#include "blending/gui/BlendingPanel.h"
#include "data/Dbconnection.h"
#include "solver/ExactEngine.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTimer>
#include <functional>
#include <numeric>
#include <optional>

using namespace vestrel;
using vestrel::test::examplePanel;
using vestrel::test::Panel;

namespace {

// For k = 2 lot A alone is cheapest and meets the limit.
Panel singleLotPanel() {
    return Panel()
        .lot(0, "A", "1000")
        .set(0, CellSulphur, "2")
        .lot(1, "B", "1200")
        .set(1, CellSulphur, "3")
        .target(CellSulphur, "2.5");
}

PanelState stateOf(const PanelTexts& texts) {
    PanelState state;
    state.texts = texts;
    state.PanelLots = ReadGridLots(texts);
    return state;
}

QList<QVariantList> select(const QString& sql) {
    QList<QVariantList> rows;
    if (!OpenDb()) return rows;
    QSqlQuery q(Conn());
    if (!q.exec(sql)) qWarning() << q.lastQuery();
    while (q.next()) {
        QVariantList row;
        for (int c = 0; c < q.record().count(); ++c)
            row << q.value(c);
        rows << row;
    }
    return rows;
}

int count(const QString& table) {
    const QList<QVariantList> rows = select(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    return rows.isEmpty() ? -1 : rows[0][0].toInt();
}

bool noRowsAnywhere() {
    return count("Lishi_fangan") == 0 && count("Lishi_Peibibiao") == 0 && count("Lishi_meitan") == 0;
}

QString modelFile(const test::TempProgramFolder& folder) {
    return folder.filePath(QStringLiteral("qzmd.dll"));
}

// Answers the models of chosen totals of parts with a status of its own and the others like the program's
// engine; in place of it while it lives.
class StatusEngine : public solver::MilpEngine {
public:
    explicit StatusEngine(std::function<solver::MilpStatus(int k)> statusFor) : statusFor_(std::move(statusFor)) {
        solver::setDefaultEngine(this);
    }
    ~StatusEngine() override { solver::setDefaultEngine(nullptr); }
    solver::MilpResult solve(const solver::MilpProblem& problem) override {
        int k = -1; // the right side of the row X1 + ... + Xn = k
        for (const auto& row : problem.rows)
            if (row.relation == solver::Relation::Equal && int(row.columns.size()) == problem.columnCount)
                k = int(row.rhs);
        const solver::MilpStatus status = statusFor_(k);
        if (status == solver::MilpStatus::Optimal) return solver::builtInEngine().solve(problem);
        return {status, {}};
    }

private:
    std::function<solver::MilpStatus(int)> statusFor_;
};

} // namespace

class RunTest : public QObject {
    Q_OBJECT
private slots:
    void solveWorkedExample() {
        test::TempProgramFolder folder;
        const PanelState state = stateOf(examplePanel());
        const std::optional<std::vector<double>> solution = SolveModel(WriteModelFile(state, 10), 2);
        QVERIFY(solution);
        QCOMPARE(*solution, (std::vector<double>{5, 5, 16500}));
    }

    void solveWithoutResult_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<bool>("writeFile");
        QTest::newRow("infeasible") << PanelTexts(examplePanel().target(CellSulphur, "1")) << true;
        QTest::newRow("objective exactly 0")
            << PanelTexts(examplePanel().set(0, CellPrice, "0").set(1, CellPrice, "0")) << true;
        QTest::newRow("no model file") << PanelTexts(examplePanel()) << false;
    }
    void solveWithoutResult() {
        QFETCH(PanelTexts, texts);
        QFETCH(bool, writeFile);
        test::TempProgramFolder folder;
        const PanelState state = stateOf(texts);
        const QString path = writeFile ? WriteModelFile(state, 10) : modelFile(folder);
        SolveOutcome outcome = SolveOutcome::Solved;
        QVERIFY(!SolveModel(path, 2, &outcome));
        QCOMPARE(int(outcome), int(writeFile ? SolveOutcome::NoSolution : SolveOutcome::Failed));
    }

    void solverScript_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("takeLine");
        QTest::newRow("drive dropped") << "C:\\x" << QByteArray("take \\x");
        QTest::newRow("drive with slashes") << "d:/Blend/qzmd.dll" << QByteArray("take /Blend/qzmd.dll");
        QTest::newRow("no drive: whole path") << "/tmp/x" << QByteArray("take /tmp/x");
        QTest::newRow("network path whole") << "\\\\host\\x" << QByteArray("take \\\\host\\x");
        QTest::newRow("UTF-8") << "/tmp/配比/qzmd.dll" << QByteArray("take /tmp/\xe9\x85\x8d\xe6\xaf\x94/qzmd.dll");
    }
    void solverScript() {
        QFETCH(QString, path);
        QFETCH(QByteArray, takeLine);
        QCOMPARE(SolverScript(path), "SET ECHOIN 1\n" + takeLine + "\nGO\nQUIT\n");
    }

    void singleLotSolution_data() {
        QTest::addColumn<QList<double>>("solution");
        QTest::addColumn<int>("k");
        QTest::addColumn<bool>("single");
        QTest::newRow("second lot takes all") << QList<double>{0, 4, 7200} << 4 << true;
        QTest::newRow("shared") << QList<double>{1, 3, 6900} << 4 << false;
        QTest::newRow("objective equal to k is no part") << QList<double>{2, 2, 4} << 4 << false;
    }
    void singleLotSolution() {
        QFETCH(QList<double>, solution);
        QFETCH(int, k);
        QFETCH(bool, single);
        QCOMPARE(IsSingleLotSolution(std::span<const double>(solution.data(), solution.size()), k), single);
    }

    void workedRun() {
        test::TempProgramFolder folder;
        PanelState state = stateOf(examplePanel());
        const RunOutcome outcome = RunOptimisation(state);
        QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Stored));
        QVERIFY(!state.SingleLotSeen);
        QVERIFY(!QFileInfo::exists(modelFile(folder)));

        const QList<QVariantList> sets = select("SELECT id, xinxi FROM Lishi_fangan");
        QCOMPARE(sets.size(), 1);
        QCOMPARE(sets[0][0].toLongLong(), outcome.setId);
        QCOMPARE(sets[0][1].toString(), QStringLiteral("硫分<=2.5  配50吨 B必选"));

        const QList<QVariantList> schemes =
            select("SELECT followid, d1, d2, Liu, JiaGe, Name, kucun, ShuiFen, d3, d4, d5, d6, d7, d8, d9, d10 "
                   "FROM Lishi_Peibibiao ORDER BY id");
        QVERIFY(schemes.size() >= 4);
        // k = 2, 3, 5 and 7; k = 4 and 6 repeat the price of k = 2.
        const QList<QList<double>> first{
            {1, 1, 2.35, 1650}, {1, 2, 2.07, 1700}, {2, 3, 2.18, 1680}, {4, 3, 2.47, 1628.57}};
        for (int i = 0; i < first.size(); ++i)
            for (int c = 0; c < 4; ++c)
                QCOMPARE(schemes[i][c + 1].toDouble(), first[i][c]);
        QSet<double> prices;
        for (const QVariantList& s : schemes) {
            QCOMPARE(s[0].toLongLong(), outcome.setId);
            QVERIFY(s[5].isValid() && !s[5].isNull());
            QCOMPARE(s[5].toString(), QString());
            QCOMPARE(s[6].toDouble(), 0.0);
            QCOMPARE(s[7].toDouble(), 0.0);
            for (int c = 8; c < 16; ++c)
                QVERIFY(s[c].isNull());
            QVERIFY2(!prices.contains(s[4].toDouble()), "one scheme per price");
            prices.insert(s[4].toDouble());
        }

        const QList<QVariantList> lots =
            select("SELECT followid, leixing, Name, Liu, kucun, JiaGe FROM Lishi_meitan ORDER BY id");
        QCOMPARE(lots.size(), 2);
        const QString id = QString::number(outcome.setId);
        const QList<QStringList> expected{{id, "0", "A", "3.2", "60", "1500"}, {id, "0", "B", "1.5", "100", "1800"}};
        for (int i = 0; i < 2; ++i)
            for (int c = 0; c < 6; ++c)
                QCOMPARE(lots[i][c].toString(), expected[i][c]);
    }

    void allPricesEqualKeepsEveryK() {
        test::TempProgramFolder folder;
        PanelState state = stateOf(singleLotPanel().set(1, CellPrice, "1000"));
        QCOMPARE(int(RunOptimisation(state).kind), int(RunOutcome::Kind::Stored));
        const QList<QVariantList> schemes = select("SELECT JiaGe, d1 + d2 FROM Lishi_Peibibiao ORDER BY id");
        QCOMPARE(schemes.size(), 99);
        for (int i = 0; i < 99; ++i) {
            QCOMPARE(schemes[i][0].toDouble(), 1000.0);
            QCOMPARE(schemes[i][1].toInt(), i + 2);
        }
    }

    void singleLotSwitchesOnDifferenceLine() {
        test::TempProgramFolder folder;
        PanelState state = stateOf(singleLotPanel());
        for (int run = 1; run <= 2; ++run) {
            const RunOutcome outcome = RunOptimisation(state);
            QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Stored));
            QVERIFY(!state.SingleLotSeen);
            QVERIFY(OpenDb());
            QSqlQuery q(Conn());
            q.prepare("SELECT d1, d2 FROM Lishi_Peibibiao WHERE followid = ? ORDER BY id");
            q.addBindValue(outcome.setId);
            QVERIFY(q.exec() && q.next());
            // Each run starts without the difference line: k = 2 gives all parts to A again.
            QCOMPARE(q.value(0).toInt(), 2);
            QCOMPARE(q.value(1).toInt(), 0);
            int later = 0;
            while (q.next()) {
                QVERIFY2(q.value(0).toInt() >= 1 && q.value(1).toInt() >= 1, "A together with another lot");
                ++later;
            }
            QVERIFY(later > 0);
        }
    }

    void storesTheSameSchemesWhateverWasSolvedBefore_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::newRow("worked example") << PanelTexts(examplePanel());
        QTest::newRow("single lot switching mid-run") << PanelTexts(singleLotPanel());
        QTest::newRow("five lots, three limits") << PanelTexts(Panel()
                                                                   .lot(0, "A", "1400", "80")
                                                                   .set(0, CellSulphur, "3.1")
                                                                   .set(0, CellAsh, "0.52")
                                                                   .set(0, CellVolatile, "11.3")
                                                                   .lot(1, "B", "1530.50", "60")
                                                                   .set(1, CellSulphur, "2.2")
                                                                   .set(1, CellAsh, "0.31")
                                                                   .set(1, CellVolatile, "9.4")
                                                                   .lot(2, "C", "1611", "90")
                                                                   .set(2, CellSulphur, "1.9")
                                                                   .set(2, CellAsh, "0.45")
                                                                   .set(2, CellVolatile, "8.8")
                                                                   .lot(3, "D", "1480.20", "70")
                                                                   .set(3, CellSulphur, "2.9")
                                                                   .set(3, CellAsh, "0.28")
                                                                   .set(3, CellVolatile, "10.7")
                                                                   .lot(4, "E", "1702", "50")
                                                                   .set(4, CellSulphur, "1.4")
                                                                   .set(4, CellAsh, "0.39")
                                                                   .set(4, CellVolatile, "9.9")
                                                                   .target(CellSulphur, "2.5")
                                                                   .target(CellAsh, "0.4")
                                                                   .target(CellVolatile, "10")
                                                                   .mustUse(2)
                                                                   .tonnes("100"));
    }
    // The engine starts its search from the optima of earlier models; that changes only the time: the same
    // rows, in the same order, after a fresh start, after the same run and after another panel's run.
    void storesTheSameSchemesWhateverWasSolvedBefore() {
        QFETCH(PanelTexts, texts);
        test::TempProgramFolder folder;
        const QString schemes = "SELECT d1, d2, d3, d4, d5, JiaGe, Liu, HuiFen FROM Lishi_Peibibiao "
                                "WHERE followid = %1 ORDER BY id";
        QList<QList<QVariantList>> stored;
        solver::builtInEngine().forgetEarlierOptima();
        for (const bool otherPanelFirst : {false, false, true}) {
            if (otherPanelFirst) {
                PanelState other = stateOf(examplePanel().target(CellSulphur, "2.2"));
                RunOptimisation(other);
            }
            PanelState state = stateOf(texts);
            const RunOutcome outcome = RunOptimisation(state);
            QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Stored));
            stored << select(schemes.arg(outcome.setId));
        }
        QVERIFY(stored[0].size() > 1);
        QCOMPARE(stored[1], stored[0]);
        QCOMPARE(stored[2], stored[0]);
    }

    void skippedTotalsAreNamedAndStoreNothing_data() {
        QTest::addColumn<QList<int>>("skip"); // empty: every k
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("two skipped") << QList<int>{5, 9} << int(RunOutcome::Kind::Stored)
                                     << QStringLiteral("以下份数未能求出最优方案，已略过：5、9");
        QTest::newRow("every k skipped") << QList<int>{} << int(RunOutcome::Kind::NoScheme)
                                         << QStringLiteral("以下份数未能求出最优方案，已略过：2、3、4、");
    }
    // A model whose search runs out of budget stores no scheme; the user is told which totals were skipped,
    // and a run where all were is not reported as one without schemes.
    void skippedTotalsAreNamedAndStoreNothing() {
        QFETCH(QList<int>, skip);
        QFETCH(int, kind);
        QFETCH(QString, message);
        test::TempProgramFolder folder;
        StatusEngine engine([&skip](int k) {
            return skip.isEmpty() || skip.contains(k) ? solver::MilpStatus::OutOfBudget : solver::MilpStatus::Optimal;
        });
        PanelState state = stateOf(examplePanel());
        const RunOutcome outcome = RunOptimisation(state);
        QCOMPARE(int(outcome.kind), kind);
        QVERIFY2(outcome.message.startsWith(message), qPrintable(outcome.message));
        if (skip.isEmpty()) {
            QVERIFY(outcome.message.endsWith(QStringLiteral("、99、100")));
            QVERIFY(noRowsAnywhere());
            return;
        }
        QCOMPARE(outcome.message, message);
        const QList<QVariantList> totals = select("SELECT d1 + d2 FROM Lishi_Peibibiao");
        QVERIFY(totals.size() >= 4);
        for (const QVariantList& total : totals)
            QVERIFY(!skip.contains(total[0].toInt()));
        QCOMPARE(count("Lishi_meitan"), 2);
    }

    void solverBreakdownEndsTheRun_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<int>("failAt");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString numbers = QStringLiteral(
            "份数为%"
            "1的模型中有数值过大，求解程序无法精确计算，配比没有完成。请检查价格、指标、目标值、库存和配煤吨数。");
        QTest::newRow("engine fails") << PanelTexts(examplePanel()) << 7 << int(solver::MilpStatus::Failed)
                                      << QStringLiteral("求解程序未能求解份数为7的模型，配比没有完成。");
        QTest::newRow("engine refuses the numbers")
            << PanelTexts(examplePanel()) << 3 << int(solver::MilpStatus::NumbersTooLarge) << numbers.arg(3);
        // Exact up to k = 45; the schemes of those k go with the run.
        QTest::newRow("index value of 10^13")
            << PanelTexts(examplePanel().set(0, CellSulphur, "10000000000000")) << 0 << 0 << numbers.arg(46);
        QTest::newRow("price with 16 digits")
            << PanelTexts(examplePanel().set(1, CellPrice, "1000000000000000")) << 0 << 0 << numbers.arg(2);
        QTest::newRow("single-lot solution first")
            << PanelTexts(singleLotPanel()) << 4 << int(solver::MilpStatus::Failed)
            << QStringLiteral("求解程序未能求解份数为4的模型，配比没有完成。");
    }
    // A solve that breaks down is no "no scheme": the run ends with the reason and stores nothing.
    void solverBreakdownEndsTheRun() {
        QFETCH(PanelTexts, texts);
        QFETCH(int, failAt);
        QFETCH(int, status);
        QFETCH(QString, message);
        test::TempProgramFolder folder;
        std::optional<StatusEngine> engine;
        if (failAt > 0)
            engine.emplace([failAt, status](int k) {
                return k == failAt ? solver::MilpStatus(status) : solver::MilpStatus::Optimal;
            });
        PanelState state = stateOf(texts);
        const RunOutcome outcome = RunOptimisation(state);
        QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Failed));
        QCOMPARE(outcome.message, message);
        QVERIFY(noRowsAnywhere());
        QVERIFY(!state.SingleLotSeen);
        QVERIFY(!QFileInfo::exists(modelFile(folder)));
    }

    void noScheme_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::newRow("no k feasible") << PanelTexts(examplePanel().target(CellSulphur, "1"));
        QTest::newRow("all prices 0") << PanelTexts(examplePanel().set(0, CellPrice, "0").set(1, CellPrice, "0"));
    }
    void noScheme() {
        QFETCH(PanelTexts, texts);
        test::TempProgramFolder folder;
        PanelState state = stateOf(texts);
        const RunOutcome outcome = RunOptimisation(state);
        QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::NoScheme));
        QCOMPARE(outcome.message, QStringLiteral("没有配比方案"));
        QVERIFY(noRowsAnywhere());
        QVERIFY(!QFileInfo::exists(modelFile(folder)));
    }

    void cancelledRunLeavesNothing_data() {
        QTest::addColumn<int>("cancelAt"); // the models done when the callback says stop; -1: never
        QTest::newRow("before the first model") << 0;
        QTest::newRow("after a single-lot solution") << 3;
        QTest::newRow("after the last model") << 99;
        QTest::newRow("never") << -1;
    }
    // A cancelled run ends like one that stored nothing, without a word; one let go stores what a run
    // without a callback stores.
    void cancelledRunLeavesNothing() {
        QFETCH(int, cancelAt);
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        PanelState state = stateOf(singleLotPanel());
        QList<int> told;
        bool seenWhenTold = false;
        const RunOutcome outcome = RunOptimisation(state, [&](int done) {
            told << done;
            seenWhenTold = state.SingleLotSeen;
            return done != cancelAt;
        });
        QList<int> expected(cancelAt < 0 ? 100 : cancelAt + 1);
        std::iota(expected.begin(), expected.end(), 0);
        QCOMPARE(told, expected);
        QVERIFY(!state.SingleLotSeen);
        QVERIFY(!QFileInfo::exists(modelFile(folder)));
        QVERIFY(ui.calls.isEmpty());
        if (cancelAt >= 0) {
            QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Cancelled));
            QVERIFY(outcome.message.isEmpty());
            QVERIFY(noRowsAnywhere());
            QCOMPARE(seenWhenTold, cancelAt >= 3); // k = 2 gave all parts to A
            return;
        }
        QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Stored));
        const QString rows = "SELECT xinxi, d1, d2, Name, JiaGe, Liu, kucun FROM Lishi_fangan f JOIN Lishi_Peibibiao "
                             "p ON p.followid = f.id WHERE f.id = %1 ORDER BY p.id";
        PanelState plain = stateOf(singleLotPanel());
        const RunOutcome withoutCallback = RunOptimisation(plain);
        QVERIFY(select(rows.arg(outcome.setId)).size() > 1);
        QCOMPARE(select(rows.arg(outcome.setId)), select(rows.arg(withoutCallback.setId)));
        QCOMPARE(count("Lishi_meitan"), 4);
    }

    void failedRunLeavesNothing_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("model file path is a folder")
            << PanelTexts(examplePanel()) << "blocked" << QStringLiteral("qzmd.dll”，配比没有完成。");
        QTest::newRow("database refuses the lots")
            << PanelTexts(examplePanel()) << "trigger" << QStringLiteral("disk is full");
        QTest::newRow("database refuses after a single-lot solution")
            << PanelTexts(singleLotPanel()) << "trigger" << QStringLiteral("disk is full");
        QTest::newRow("database folder missing") << PanelTexts(examplePanel()) << "nodb" << QStringLiteral("coal.dat");
        QTest::newRow("folder path holds a line feed")
            << PanelTexts(examplePanel()) << "linefeed"
            << QStringLiteral("的路径中含有换行符，求解程序无法读取模型文件");
    }
    void failedRunLeavesNothing() {
        QFETCH(PanelTexts, texts);
        QFETCH(QString, fault);
        QFETCH(QString, messagePart);
        test::TempProgramFolder folder;
        if (fault == "blocked") QVERIFY(QDir(folder.path()).mkdir("qzmd.dll"));
        if (fault == "trigger") {
            QVERIFY(OpenDb());
            QSqlQuery q(Conn());
            QVERIFY(
                q.exec("CREATE TRIGGER refuse_lots BEFORE INSERT ON Lishi_meitan BEGIN SELECT RAISE(ABORT, 'disk is "
                       "full'); END"));
            CloseDb();
        }
        if (fault == "nodb") SetDbPath(folder.filePath("missing/coal.dat"));
        if (fault == "linefeed") {
            if (!QDir(folder.path()).mkdir("a\nb")) QSKIP("this file system refuses a line feed in a name");
            setDataFolder(folder.filePath("a\nb"));
        }
        const auto restoreFolder = qScopeGuard([] { setDataFolder(QString()); }); // follow the program folder again

        PanelState state = stateOf(texts);
        const RunOutcome outcome = RunOptimisation(state);
        QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Failed));
        QVERIFY2(outcome.message.contains(messagePart), qPrintable(outcome.message));
        QVERIFY(!state.SingleLotSeen);
        QVERIFY(!QFileInfo(modelFile(folder)).isFile());
        if (fault == "blocked") QVERIFY(outcome.message.startsWith(QStringLiteral("无法写入模型文件“")));
        if (fault != "nodb") QVERIFY(noRowsAnywhere());
    }

    void mainWindowRun() {
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        QWidget* main = hub::mainWindow();
        auto* panel = test::find<BlendingPanel>(main, "BlendingPanel");
        QVERIFY(panel);
        panel->setPanelTexts(examplePanel());
        test::find<QPushButton>(main, "Command1")->click();
        QVERIFY2(ui.messageTexts().isEmpty(), qPrintable(ui.messageTexts().join('\n')));
        QCOMPARE(count("Lishi_fangan"), 1);
        QCOMPARE(count("Lishi_meitan"), 2);
        QVERIFY(count("Lishi_Peibibiao") >= 4);

        // The toolbar's start button, with a limit no blend meets.
        panel->setPanelTexts(examplePanel().target(CellSulphur, "1"));
        auto* start = test::find<QAction>(main, "tbrMenu_4");
        QVERIFY(start);
        start->trigger();
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("没有配比方案")});
        QCOMPARE(ui.messages()[0].title, QString());
        QCOMPARE(int(ui.messages()[0].buttons), int(MsgButtons::Ok));
        QCOMPARE(count("Lishi_fangan"), 1);

        if (QWidget* history = hub::historyWindow()) history->close();
        delete main;
    }

    // The progress dialog's "取消" rolls the run back; the main window refuses to close meanwhile.
    void mainWindowRunCancelled() {
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        QWidget* main = hub::mainWindow();
        auto* panel = test::find<BlendingPanel>(main, "BlendingPanel");
        QVERIFY(panel);
        panel->setProgressDelay(0);
        panel->setPanelTexts(examplePanel());
        auto* start = test::find<QPushButton>(main, "Command1");
        QString label, button;
        int doneAtCancel = -1;
        bool closed = true;
        QTimer poll; // fires between the run's models
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = test::find<QProgressDialog>(panel, "dlgProgress");
            if (!dialog || !dialog->isVisible()) return;
            poll.stop();
            closed = main->close();
            start->click(); // no second run inside the first
            label = dialog->labelText();
            doneAtCancel = dialog->value();
            auto* cancel = dialog->findChild<QPushButton*>();
            button = cancel->text();
            cancel->click();
        });
        poll.start(0);
        start->click();
        QCOMPARE(label, QStringLiteral("正在配比…"));
        QCOMPARE(button, QStringLiteral("取消"));
        QVERIFY2(doneAtCancel >= 0 && doneAtCancel < 99, qPrintable(QString::number(doneAtCancel)));
        QVERIFY(!closed);
        QVERIFY(ui.calls.isEmpty());
        QVERIFY(noRowsAnywhere());
        QVERIFY(!panel->singleLotSeen());
        QVERIFY(!QFileInfo::exists(modelFile(folder)));
        QVERIFY(!hub::historyWindow() || !hub::historyWindow()->isVisible());

        start->click(); // let go, the dialog shown all the way
        QVERIFY(ui.calls.isEmpty());
        QCOMPARE(count("Lishi_fangan"), 1);
        QCOMPARE(count("Lishi_meitan"), 2);
        if (QWidget* history = hub::historyWindow()) history->close();
        delete main;
    }

    // The history of the stored schemes comes first, then the note of the totals that were skipped.
    void mainWindowNamesSkippedTotals() {
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        StatusEngine engine(
            [](int k) { return k == 6 ? solver::MilpStatus::OutOfBudget : solver::MilpStatus::Optimal; });
        QWidget* main = hub::mainWindow();
        auto* panel = test::find<BlendingPanel>(main, "BlendingPanel");
        QVERIFY(panel);
        panel->setPanelTexts(examplePanel());
        test::find<QPushButton>(main, "Command1")->click();
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("以下份数未能求出最优方案，已略过：6")});
        QVERIFY(hub::historyWindow() && hub::historyWindow()->isVisible());
        QCOMPARE(count("Lishi_fangan"), 1);
        hub::historyWindow()->close();
        delete main;
    }
};

QTEST_MAIN(RunTest)
#include "tst_run.moc"
