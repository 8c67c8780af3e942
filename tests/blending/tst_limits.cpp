// The "高级指标" limits: every kind and their combinations against brute force over all whole-part blends, the
// model text unchanged without them, a run holding every scheme to them, and the dialog feeding a run.
#include "base/gui/WindowHub.h"
#include "blending/ModelText.h"
#include "blending/PanelBuilder.h"
#include "blending/RandomPanels.h"
#include "blending/Run.h"
#include "blending/gui/BlendingPanel.h"
#include "blending/gui/frmGaoji.h"
#include "data/Dbconnection.h"
#include "solver/ModelSolver.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>

using namespace vestrel;
using vestrel::test::examplePanel;
using vestrel::test::find;
using vestrel::test::Panel;

namespace {

using Parts = std::vector<std::int64_t>;

// What the limits mean, in whole cents and tenths of a per cent, written without the model text.
struct Problem {
    int n = 0;
    std::vector<std::int64_t> price;                // cents
    std::vector<std::vector<std::int64_t>> quality; // [index][lot], cents
    struct Limit {
        int index;
        std::int64_t cents;
        bool fromDialog;
    };
    std::vector<Limit> upper; // sum q x <= limit k
    std::vector<Limit> lower;
    std::vector<std::int64_t> minTenths, maxTenths; // per lot, -1 when not bounded
    std::vector<bool> mustUse;
    int maxLots = 0; // 0: no cap
    bool singleLotSeen = false;

    bool allows(const Parts& x, int k) const {
        for (const auto& [index, limit, dialog] : upper) {
            std::int64_t sum = 0;
            for (int j = 0; j < n; ++j)
                sum += quality[size_t(index)][size_t(j)] * x[size_t(j)];
            if (sum > limit * k) return false;
        }
        for (const auto& [index, limit, dialog] : lower) {
            std::int64_t sum = 0;
            for (int j = 0; j < n; ++j)
                sum += quality[size_t(index)][size_t(j)] * x[size_t(j)];
            if (sum < limit * k) return false;
        }
        int used = 0;
        std::int64_t difference = x[0];
        for (int j = 0; j < n; ++j) {
            const std::int64_t xj = x[size_t(j)];
            used += xj > 0 ? 1 : 0;
            if (j > 0) difference -= xj;
            if (mustUse[size_t(j)] && xj < 1) return false;
            if (minTenths[size_t(j)] >= 0 && 1000 * xj < minTenths[size_t(j)] * k) return false;
            if (maxTenths[size_t(j)] >= 0 && 1000 * xj > maxTenths[size_t(j)] * k) return false;
        }
        if (maxLots > 0 && used > maxLots) return false;
        return !singleLotSeen || std::llabs(difference) <= k - 1;
    }

    std::int64_t cost(const Parts& x) const {
        std::int64_t sum = 0;
        for (int j = 0; j < n; ++j)
            sum += price[size_t(j)] * x[size_t(j)];
        return sum;
    }

    // The cheapest blend of all part vectors adding up to k, in cents; nothing when none is allowed.
    std::optional<std::int64_t> cheapest(int k) const {
        std::optional<std::int64_t> best;
        Parts x(size_t(n), 0);
        const std::function<void(int, int)> visit = [&](int j, int left) {
            if (j == n - 1) {
                x[size_t(j)] = left;
                if (allows(x, k) && (!best || cost(x) < *best)) best = cost(x);
                return;
            }
            for (int v = 0; v <= left; ++v) {
                x[size_t(j)] = v;
                visit(j + 1, left - v);
            }
        };
        visit(0, k);
        return best;
    }
};

QString centsText(std::int64_t cents) {
    return QString::number(cents / 100.0, 'f', 2);
}

QString tenthsText(std::int64_t tenths) {
    return tenths % 10 == 0 ? QString::number(tenths / 10) : QString::number(tenths / 10.0, 'f', 1);
}

enum Kind { OtherSide = 1, ShareMin = 2, ShareMax = 4, Cap = 8 };

// A panel of 2-4 lots with three indices (sulphur and ash limited from above, fixed carbon from below) and the
// limit kinds of `kinds`, drawn near the lots' values so that they bind; the problem is the same panel in numbers.
std::pair<PanelTexts, Problem> randomCase(QRandomGenerator& rng, int kinds) {
    const int indices[] = {CellSulphur - 1, CellAsh - 1, CellFixedCarbon - 1};
    Problem p;
    p.n = int(rng.bounded(2, 5));
    p.quality.assign(kIndexCount, std::vector<std::int64_t>(size_t(p.n), 0));
    Panel panel;
    for (int j = 0; j < p.n; ++j) {
        const QString name = QStringLiteral("焦%1").arg(j + 1);
        p.price.push_back(std::int64_t(rng.bounded(100000, 200000)));
        panel.lot(j, name, centsText(p.price.back()));
        for (int x : indices) {
            const std::int64_t v = std::int64_t(rng.bounded(50, 500));
            p.quality[size_t(x)][size_t(j)] = v;
            panel.set(j, IndexCell(x), centsText(v));
        }
    }
    // Lower limits from the lower part of the values' range, upper ones from the upper part: bands often hold.
    for (int x : indices) {
        const bool fixedCarbon = x == CellFixedCarbon - 1;
        const bool panelLimit = rng.bounded(2) == 0;
        const bool otherLimit = (kinds & OtherSide) && (rng.bounded(3) != 0 || !panelLimit);
        std::int64_t low = std::int64_t(rng.bounded(100, 276)), high = std::int64_t(rng.bounded(225, 401));
        if (low > high) std::swap(low, high);
        if (panelLimit) {
            const std::int64_t limit = fixedCarbon ? low : high;
            panel.target(IndexCell(x), centsText(limit));
            (fixedCarbon ? p.lower : p.upper).push_back({x, limit, false});
        }
        if (otherLimit) {
            const std::int64_t limit = fixedCarbon ? high : low;
            panel.other(IndexCell(x), centsText(limit));
            (fixedCarbon ? p.upper : p.lower).push_back({x, limit, true});
        }
    }
    if (p.upper.empty() && p.lower.empty()) { // the checks want one limit at least
        panel.target(CellSulphur, centsText(500));
        p.upper.push_back({CellSulphur - 1, 500, false});
    }
    p.minTenths.assign(size_t(p.n), -1);
    p.maxTenths.assign(size_t(p.n), -1);
    p.mustUse.assign(size_t(p.n), false);
    for (int j = 0; j < p.n; ++j) {
        const bool min = (kinds & ShareMin) && rng.bounded(2) == 0;
        const bool max = (kinds & ShareMax) && rng.bounded(2) == 0;
        std::int64_t lo = std::int64_t(rng.bounded(0, 401)), hi = std::int64_t(rng.bounded(300, 1001));
        if (min && max && lo > hi) std::swap(lo, hi);
        if (min) p.minTenths[size_t(j)] = lo;
        if (max) p.maxTenths[size_t(j)] = hi;
        if (min || max)
            panel.share(QStringLiteral("焦%1").arg(j + 1), min ? tenthsText(lo) : QString(),
                        max ? tenthsText(hi) : QString());
        if (rng.bounded(5) == 0) {
            panel.mustUse(j);
            p.mustUse[size_t(j)] = true;
        }
    }
    if (kinds & Cap) {
        p.maxLots = p.n == 2 ? 1 : int(rng.bounded(2, p.n));
        panel.maxLots(QString::number(p.maxLots));
    }
    p.singleLotSeen = rng.bounded(4) == 0;
    return {panel.texts, p};
}

QString kindsName(int kinds) {
    QStringList names;
    if (kinds & OtherSide) names << "other side";
    if (kinds & ShareMin) names << "share minimum";
    if (kinds & ShareMax) names << "share maximum";
    if (kinds & Cap) names << "lot cap";
    return names.isEmpty() ? QStringLiteral("panel limits only") : names.join(" + ");
}

QList<QVariantList> select(const QString& sql) {
    QList<QVariantList> rows;
    if (!OpenDb()) return rows;
    QSqlQuery q(Conn());
    q.exec(sql);
    while (q.next()) {
        QVariantList row;
        for (int c = 0; c < q.record().count(); ++c)
            row << q.value(c);
        rows << row;
    }
    return rows;
}

} // namespace

class LimitsTest : public QObject {
    Q_OBJECT
private slots:
    void bruteForce_data() {
        QTest::addColumn<int>("kinds");
        for (int kinds = 0; kinds < 16; ++kinds)
            QTest::newRow(qPrintable(kindsName(kinds))) << kinds;
    }
    // The solver's cheapest blend costs what the cheapest of all allowed part vectors costs, and is allowed.
    void bruteForce() {
        QFETCH(int, kinds);
        QRandomGenerator rng(quint32(1900 + kinds));
        int solved = 0, infeasible = 0, bitten = 0;
        for (int round = 0; round < 60; ++round) {
            const auto [texts, problem] = randomCase(rng, kinds);
            const QList<Mei> lots = ReadGridLots(texts);
            const ModelTemplate model(lots, texts);
            Problem without = problem; // the same panel without the dialog, to see the new limits bite
            std::erase_if(without.upper, [](const Problem::Limit& l) { return l.fromDialog; });
            std::erase_if(without.lower, [](const Problem::Limit& l) { return l.fromDialog; });
            without.minTenths.assign(size_t(problem.n), -1);
            without.maxTenths.assign(size_t(problem.n), -1);
            without.maxLots = 0;
            for (const int k : {2, 3, 5, 8, 13}) {
                const std::optional<std::int64_t> expected = problem.cheapest(k);
                QString error;
                const auto values = solver::solveModelText(model.text(k, problem.singleLotSeen).toUtf8(), &error);
                const QString where =
                    QStringLiteral("round %1, k = %2:\n%3").arg(round).arg(k).arg(model.text(k, problem.singleLotSeen));
                QVERIFY2(values.has_value() == expected.has_value(), qPrintable(where + "\n" + error));
                if (!expected) {
                    ++infeasible;
                    continue;
                }
                ++solved;
                Parts parts;
                for (int j = 0; j < problem.n; ++j)
                    parts.push_back(std::llround((*values)[size_t(j)]));
                QVERIFY2(problem.allows(parts, k), qPrintable(where));
                QCOMPARE(problem.cost(parts), *expected);
                QCOMPARE(std::llround((*values)[size_t(problem.n)] * 100), *expected);
                if (without.cheapest(k) != expected) ++bitten;
            }
        }
        QVERIFY(solved > 20);
        QVERIFY(infeasible > 0);
        if (kinds != 0) QVERIFY2(bitten > 10, qPrintable(QString::number(bitten)));
    }

    // Without the dialog the model text is the one of every earlier version: the hash of seeded random panels'
    // texts at every k was taken from the program before the dialog existed. Limits that limit nothing (shares
    // of lots not in the panel, empty share boxes) change nothing either.
    void emptyDialogKeepsTheModelText() {
        QRandomGenerator rng(190019);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (int p = 0; p < 200; ++p) {
            PanelTexts texts = test::randomPanel(rng);
            const QList<Mei> lots = ReadGridLots(texts);
            const ModelTemplate model(lots, texts);
            texts.advanced.shares = {{QStringLiteral("别的焦"), "10", "20"}, {texts.cell(0, CellName), "", ""}};
            const ModelTemplate idle(lots, texts);
            for (int k = 2; k <= 100; ++k) {
                for (const bool singleLotSeen : {false, true}) {
                    const QString text = model.text(k, singleLotSeen);
                    hash.addData(text.toUtf8());
                    if (idle.text(k, singleLotSeen) != text)
                        QFAIL(qPrintable(QStringLiteral("panel %1 k %2").arg(p).arg(k)));
                }
            }
        }
        QCOMPARE(hash.result().toHex(), QByteArray("6200dfbaa7c3f3544a8dd0bc003001cb1a84e5c21b0e2d3c0ade7387a6d31d8d"));
    }

    // A whole run: every stored scheme uses at most the allowed lots and keeps the shares and the sulphur band,
    // and the summary carries the limits of the lots in the run.
    void runKeepsEveryScheme() {
        test::TempProgramFolder folder;
        PanelState state;
        Panel panel;
        const QStringList names{"甲焦", "乙焦", "丙焦", "丁焦", "戊焦"};
        const QStringList prices{"1500", "1620", "1710", "1480", "1800"};
        const QStringList sulphur{"3.1", "2.2", "1.9", "2.9", "1.4"};
        const QStringList ash{"0.52", "0.31", "0.45", "0.28", "0.39"};
        for (int j = 0; j < 5; ++j)
            panel.lot(j, names[j], prices[j]).set(j, CellSulphur, sulphur[j]).set(j, CellAsh, ash[j]);
        state.texts = panel.target(CellSulphur, "2.5")
                          .other(CellSulphur, "2")
                          .target(CellAsh, "0.4")
                          .share("己焦", "50", "")
                          .share("乙焦", "10", "40")
                          .maxLots("2");
        state.PanelLots = ReadGridLots(state.texts);
        const RunOutcome outcome = RunOptimisation(state);
        QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Stored));
        const QList<QVariantList> sets = select("SELECT xinxi FROM Lishi_fangan");
        QCOMPARE(sets.size(), 1);
        QCOMPARE(sets[0][0].toString(), QStringLiteral("硫分<=2.5 灰分<=0.4  硫分>=2 乙焦10%~40% 最多2种"));
        const QList<QVariantList> schemes = select("SELECT d1, d2, d3, d4, d5, Liu FROM Lishi_Peibibiao");
        QVERIFY(schemes.size() > 5);
        for (const QVariantList& s : schemes) {
            int used = 0, k = 0;
            for (int j = 0; j < 5; ++j) {
                used += s[j].toInt() > 0 ? 1 : 0;
                k += s[j].toInt();
            }
            QVERIFY2(used <= 2, "at most two lots");
            QVERIFY(10 * k <= 100 * s[1].toInt() && 100 * s[1].toInt() <= 40 * k);
            QVERIFY(s[5].toDouble() >= 2.0 && s[5].toDouble() <= 2.5);
        }
    }

    // The dialog on the main window's panel: a wrong value keeps it open with the panel's style of message,
    // OK keeps the values under the button, a run stores them, the next opening shows them, 清空 drops them.
    void dialogFeedsARun() {
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        QWidget* main = hub::mainWindow();
        auto* panel = find<BlendingPanel>(main, "BlendingPanel");
        QVERIFY(panel);
        panel->setPanelTexts(examplePanel().lot(2, "丙焦", "1600", "80").set(2, CellSulphur, "2.0"));
        const auto openDialog = [&] {
            find<QPushButton>(panel, "cmdGaoji")->click();
            // A closed dialog deletes itself later; the open one is the visible one.
            for (frmGaoji* d : panel->findChildren<frmGaoji*>())
                if (d->isVisible()) return d;
            return static_cast<frmGaoji*>(nullptr);
        };
        frmGaoji* dialog = openDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(find<QLabel>(dialog, "lbJiao_2")->text(), QStringLiteral("丙焦"));
        const auto type = [&](const char* box, const QString& text) {
            auto* edit = find<QLineEdit>(dialog, QLatin1String(box));
            QVERIFY2(edit, box);
            edit->clear();
            QTest::keyClicks(edit, text);
        };
        type("txtLiuMin", "1.5x");
        type("txtBiliMin_2", "10");
        type("txtBiliMax_2", "40");
        type("txtZuiduo", "2");
        find<QPushButton>(dialog, "cmdOK")->click();
        QCOMPARE(ui.lastMessageText(), QStringLiteral("硫分下限请填写成数字！"));
        QVERIFY(dialog->isVisible());
        type("txtLiuMin", "1.5");
        find<QPushButton>(dialog, "cmdOK")->click();
        QVERIFY(!dialog->isVisible());
        auto* summary = find<QLabel>(panel, "lbGaoji");
        QCOMPARE(summary->text(), QStringLiteral("硫分>=1.5 丙焦10%~40% 最多2种"));

        find<QPushButton>(main, "Command1")->click();
        QCOMPARE(ui.messageTexts().size(), 1);
        const QList<QVariantList> sets = select("SELECT xinxi FROM Lishi_fangan");
        QCOMPARE(sets.size(), 1);
        QCOMPARE(sets[0][0].toString(), QStringLiteral("硫分<=2.5  配50吨 B必选 硫分>=1.5 丙焦10%~40% 最多2种"));

        dialog = openDialog();
        QVERIFY(dialog);
        QCOMPARE(find<QLineEdit>(dialog, "txtBiliMax_2")->text(), QStringLiteral("40"));
        find<QPushButton>(dialog, "cmdCancel")->click();
        find<QPushButton>(panel, "cmdGaojiClear")->click();
        QVERIFY(summary->text().isEmpty());
        QVERIFY(panel->panelTexts().advanced.isEmpty());

        if (QWidget* history = hub::historyWindow()) history->close();
        delete main;
    }
};

QTEST_MAIN(LimitsTest)
#include "tst_limits.moc"
