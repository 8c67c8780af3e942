#include "blending/PanelBuilder.h"

#include <QTest>

using namespace vestrel;
using vestrel::test::Panel;

namespace {

Mei namedLot(const QString& name) {
    Mei m;
    m.MingCheng = name;
    m.JiaGe = 1000;
    return m;
}

QList<Mei> namedLots(int count) {
    QList<Mei> lots;
    for (int i = 1; i <= count; ++i)
        lots << namedLot(QStringLiteral("L%1").arg(i));
    return lots;
}

QStringList names(const PanelTexts& t) {
    QStringList out;
    for (int i = 0; i < kGridRows; ++i)
        out << t.cell(i, CellName);
    return out;
}

QList<bool> checks(const PanelTexts& t) {
    return QList<bool>(t.mustUse.begin(), t.mustUse.end());
}

QStringList tenNames(const QStringList& first) {
    QStringList out = first;
    while (out.size() < kGridRows)
        out << QString();
    return out;
}

} // namespace

class GridTest : public QObject {
    Q_OBJECT
private slots:
    void setTxtValue_data() {
        QTest::addColumn<PanelTexts>("before");
        QTest::addColumn<int>("lotCount");
        QTest::addColumn<QStringList>("expectedNames");
        QTest::newRow("twelve lots into an empty grid keep the first ten")
            << PanelTexts(Panel()) << 12 << QStringList{"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9", "L10"};
        QTest::newRow("rows 0 and 2 filled: row 1 first, then 3, 4")
            << PanelTexts(Panel().lot(0, "A", "1").lot(2, "C", "1")) << 3 << tenNames({"A", "L1", "C", "L2", "L3"});
        QTest::newRow("rows 0 to 8 filled: only row 9 takes a lot")
            << PanelTexts(Panel().named(9)) << 3 << QStringList{"A", "B", "C", "D", "E", "F", "G", "H", "I", "L1"};
        QTest::newRow("a row holding only a blank is not overwritten")
            << PanelTexts(Panel().set(0, CellPrice, " ")) << 1 << tenNames({"", "L1"});
        QTest::newRow("a row without a name but with a price is not overwritten")
            << PanelTexts(Panel().set(0, CellSi, "1")) << 1 << tenNames({"", "L1"});
    }
    void setTxtValue() {
        QFETCH(PanelTexts, before);
        QFETCH(int, lotCount);
        QFETCH(QStringList, expectedNames);
        PanelTexts t = before;
        SetTxtValue(t, namedLots(lotCount));
        QCOMPARE(names(t), expectedNames);
        QCOMPARE(checks(t), checks(before));
    }

    void setTxtValueFormatsCells() {
        Mei lot;
        lot.MingCheng = QStringLiteral("甲焦");
        lot.Liu = 12.3456;
        lot.ShuiFen = 8;
        lot.NeiShui = 0.456;
        lot.HuiShou = 0.05;
        lot.Kucun = 0;
        lot.JiaGe = 0;
        PanelTexts t = Panel().mustUse(0);
        SetTxtValue(t, {lot});
        QCOMPARE(t.cell(0, CellName), QStringLiteral("甲焦"));
        QCOMPARE(t.cell(0, CellSulphur), QStringLiteral("12.35"));
        QCOMPARE(t.cell(0, CellMoisture), QStringLiteral("8.00"));
        QCOMPARE(t.cell(0, CellSi), QStringLiteral("0.46"));
        QCOMPARE(t.cell(0, CellNa), QStringLiteral("0.05"));
        QCOMPARE(t.cell(0, CellStock), QString());
        QCOMPARE(t.cell(0, CellPrice), QString());
        QCOMPARE(t.cell(0, CellAsh), QString());
        QVERIFY(t.mustUse[0]);
    }

    void isRowEmpty_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<bool>("expected");
        QTest::newRow("untouched") << PanelTexts(Panel()) << true;
        QTest::newRow("only the must-use box") << PanelTexts(Panel().mustUse(0)) << true;
        QTest::newRow("a blank in one cell") << PanelTexts(Panel().set(0, CellCa, " ")) << false;
        QTest::newRow("only a price") << PanelTexts(Panel().set(0, CellPrice, "10")) << false;
    }
    void isRowEmpty() {
        QFETCH(PanelTexts, texts);
        QFETCH(bool, expected);
        QCOMPARE(IsRowEmpty(texts, 0), expected);
    }

    void lastFilledRow_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty grid") << PanelTexts(Panel()) << 0;
        QTest::newRow("only row 0 named") << PanelTexts(Panel().lot(0, "A", "")) << 0;
        QTest::newRow("rows 0, 1 and 3 named")
            << PanelTexts(Panel().lot(0, "A", "").lot(1, "B", "").lot(3, "D", "")) << 1;
        QTest::newRow("row 0 without name") << PanelTexts(Panel().lot(0, "", "5").lot(1, "B", "").lot(2, "C", "")) << 0;
        QTest::newRow("a blank name counts") << PanelTexts(Panel().lot(0, "A", "").lot(1, " ", "")) << 1;
        QTest::newRow("all ten") << PanelTexts(Panel().named(10)) << 9;
    }
    void lastFilledRow() {
        QFETCH(PanelTexts, texts);
        QFETCH(int, expected);
        QCOMPARE(LastFilledRow(texts), expected);
    }

    void compactRows_data() {
        QTest::addColumn<PanelTexts>("before");
        QTest::addColumn<int>("host");
        QTest::addColumn<QStringList>("expectedNames");
        QTest::addColumn<QList<bool>>("expectedChecks");
        const QList<bool> none(kGridRows, false);
        // chk(1) takes chk(2), chk(2) takes chk(5), chk(5) is cleared; chk(3) belongs to no moved row and stays.
        QTest::newRow("rows 0, 2, 5 with their boxes")
            << PanelTexts(Panel().lot(0, "A", "1").lot(2, "C", "1").lot(5, "F", "1").mustUse(2).mustUse(3).mustUse(5))
            << int(GridHost::Main) << tenNames({"A", "C", "F"})
            << QList<bool>{false, true, true, true, false, false, false, false, false, false};
        QTest::newRow("the calculator moves no boxes")
            << PanelTexts(Panel().lot(0, "A", "1").lot(2, "C", "1").mustUse(2)) << int(GridHost::Calculator)
            << tenNames({"A", "C"}) << QList<bool>{false, false, true, false, false, false, false, false, false, false};
        QTest::newRow("a row with only a blank moves like a lot")
            << PanelTexts(Panel().set(4, CellSi, " ").lot(7, "H", "1")) << int(GridHost::Main) << tenNames({"", "H"})
            << none;
        QTest::newRow("last row moves up to the top")
            << PanelTexts(Panel().lot(9, "J", "1").mustUse(9)) << int(GridHost::Main) << tenNames({"J"})
            << QList<bool>{true, false, false, false, false, false, false, false, false, false};
        QTest::newRow("already compact") << PanelTexts(Panel().lot(0, "A", "1").lot(1, "B", "1")) << int(GridHost::Main)
                                         << tenNames({"A", "B"}) << none;
    }
    void compactRows() {
        QFETCH(PanelTexts, before);
        QFETCH(int, host);
        QFETCH(QStringList, expectedNames);
        QFETCH(QList<bool>, expectedChecks);
        PanelTexts t = before;
        CompactRows(t, GridHost(host));
        QCOMPARE(names(t), expectedNames);
        QCOMPARE(checks(t), expectedChecks);
    }

    void compactRowsMovesEveryCell() {
        PanelTexts t = Panel().lot(3, "C", "1800", "100").set(3, CellNa, "0.5%").set(3, CellSulphur, "1.5");
        const GridRow moved = t.rows[3];
        CompactRows(t, GridHost::Main);
        QCOMPARE(t.rows[0], moved);
        QVERIFY(IsRowEmpty(t, 3));
    }

    void clearingKeepsBoxes() {
        PanelTexts t = Panel().lot(3, "D", "1").lot(4, "E", "1").lot(5, "F", "1").mustUse(4);
        ClearRow(t, 4);
        QVERIFY(IsRowEmpty(t, 4));
        QCOMPARE(t.cell(3, CellName), QStringLiteral("D"));
        QCOMPARE(t.cell(5, CellName), QStringLiteral("F"));
        QVERIFY(t.mustUse[4]);

        const PanelTexts before = t;
        ClearRow(t, -1);
        ClearRow(t, 10);
        QCOMPARE(t, before);

        ClearGrid(t);
        for (int i = 0; i < kGridRows; ++i)
            QVERIFY(IsRowEmpty(t, i));
        QVERIFY(t.mustUse[4]);
    }

    void readGridLots() {
        const PanelTexts t = Panel()
                                 .lot(0, "A", "1500", "60")
                                 .set(0, CellSulphur, "12.3456")
                                 .set(0, CellFe, "abc")
                                 .set(0, CellNa, "5%")
                                 .lot(1, "B", " 1800 ", "")
                                 .set(1, CellFixedCarbon, "85")
                                 .lot(3, "D", "99");
        const QList<Mei> lots = ReadGridLots(t);
        QCOMPARE(lots.size(), 2);
        QCOMPARE(lots[0].MingCheng, QStringLiteral("A"));
        QCOMPARE(lots[0].Liu, 12.35);
        QCOMPARE(lots[0].ReLiang, 0.0);
        QCOMPARE(lots[0].HuiShou, 0.0);
        QCOMPARE(lots[0].LeiXing, qint16(1));
        QCOMPARE(lots[0].Kucun, 60.0);
        QCOMPARE(lots[0].JiaGe, 1500.0);
        QCOMPARE(lots[1].JiaGe, 1800.0);
        QCOMPARE(lots[1].GuDingTan, 85.0);
        QCOMPARE(lots[1].LeiXing, qint16(0));
        QCOMPARE(lots[1].id, 0);
    }
};

QTEST_GUILESS_MAIN(GridTest)
#include "tst_grid.moc"
