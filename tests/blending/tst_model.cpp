#include "base/Seams.h"
#include "blending/BlendOfSolution.h"
#include "blending/ModelText.h"
#include "blending/PanelBuilder.h"
#include "blending/SchemeSummary.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace vestrel;
using vestrel::test::examplePanel;
using vestrel::test::Panel;

namespace {

QString model(const PanelTexts& t, int k, bool singleLotSeen = false) {
    return BuildModelText(ReadGridLots(t), k, t, singleLotSeen);
}

QString crlfLines(const QStringList& l) {
    return l.join(QStringLiteral("\r\n"));
}

} // namespace

class ModelTest : public QObject {
    Q_OBJECT
private slots:
    void workedExample_data() {
        QTest::addColumn<bool>("singleLotSeen");
        QTest::addColumn<QString>("expected");
        QStringList l{"model:",
                      "[rObj] min=1500.00*X1+1800.00*X2;",
                      "3.20*X1+1.50*X2<25;",
                      "X2>1;",
                      "X1+X2=10;",
                      "50*X1<60*10;",
                      "50*X2<100*10;",
                      "@gin(X1);",
                      "@gin(X2);",
                      "data:",
                      "@pointer(1)=X1;",
                      "@pointer(2)=X2;",
                      "@pointer(3)=rObj;",
                      "enddata",
                      "end"};
        QTest::newRow("plain") << false << crlfLines(l);
        QTest::newRow("after a single-lot solution")
            << true << crlfLines(QStringList(l).mid(0, 5) << "@abs(X1-X2)<9;" << l.mid(5));
        // Sulphur from 1.5, lot A at 10 % to 40 %, at most two lots.
        l.insert(3, "3.20*X1+1.50*X2>15;");
        l.insert(5, "100*X1>10*10;");
        l.insert(6, "100*X1<40*10;");
        l.insert(10, "X1-10*Y1<0;");
        l.insert(11, "X2-10*Y2<0;");
        l.insert(12, "Y1+Y2<2;");
        l.insert(15, "@bin(Y1);");
        l.insert(16, "@bin(Y2);");
        QTest::newRow("with every kind of 高级指标 limit") << false << crlfLines(l);
    }
    void workedExample() {
        QFETCH(bool, singleLotSeen);
        QFETCH(QString, expected);
        const bool advanced = QByteArray(QTest::currentDataTag()).contains("高级指标");
        const PanelTexts texts =
            advanced ? examplePanel().other(CellSulphur, "1.5").share("A", "10", "40").maxLots("2") : examplePanel();
        QCOMPARE(model(texts, 10, singleLotSeen), expected);
    }

    void lines_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("contained");
        QTest::newRow("limit times 2") << PanelTexts(examplePanel()) << 2 << "\r\n3.20*X1+1.50*X2<5;\r\n";
        QTest::newRow("limit times 100") << PanelTexts(examplePanel()) << 100 << "\r\n3.20*X1+1.50*X2<250;\r\n";
        QTest::newRow("limit 0.45 times 7")
            << PanelTexts(examplePanel().target(CellSulphur, "0.45")) << 7 << "\r\n3.20*X1+1.50*X2<3.15;\r\n";
        QTest::newRow("limit 0.1 times 3")
            << PanelTexts(examplePanel().target(CellSulphur, "0.1")) << 3 << "\r\n3.20*X1+1.50*X2<0.3;\r\n";
        QTest::newRow("difference bound k-1 for k = 100")
            << PanelTexts(examplePanel()) << 100 << "\r\nX1+X2=100;\r\n50*X1<60*100;\r\n";
        QTest::newRow("fixed carbon is a lower bound") << PanelTexts(examplePanel()
                                                                         .target(CellSulphur, "")
                                                                         .target(CellFixedCarbon, "85")
                                                                         .set(0, CellFixedCarbon, "86.5")
                                                                         .set(1, CellFixedCarbon, "84"))
                                                       << 10 << "\r\n86.50*X1+84.00*X2>850;\r\nX2>1;\r\n";
        QTest::newRow("index lines in index order, Si first")
            << PanelTexts(examplePanel().target(CellSi, "0.5").set(0, CellSi, "0.4").set(1, CellSi, "0.6")) << 10
            << "[rObj] min=1500.00*X1+1800.00*X2;\r\n0.40*X1+0.60*X2<5;\r\n3.20*X1+1.50*X2<25;\r\nX2>1;";
        QTest::newRow("zero price written as 0.00")
            << PanelTexts(examplePanel().set(1, CellPrice, "0")) << 10 << "[rObj] min=1500.00*X1+0.00*X2;\r\n";
        QTest::newRow("zero index value written as 0.00")
            << PanelTexts(examplePanel().set(0, CellSulphur, "0.00")) << 10 << "\r\n0.00*X1+1.50*X2<25;\r\n";
        QTest::newRow("stock 0 keeps a stock line")
            << PanelTexts(examplePanel().lot(2, "C", "1700", "").set(2, CellSulphur, "2")) << 10
            << "\r\n50*X1<60*10;\r\n50*X2<100*10;\r\n50*X3<0*10;\r\n@gin(X1);";
        QTest::newRow("decimal stock") << PanelTexts(examplePanel().set(0, CellStock, "12.50")) << 10
                                       << "\r\n50*X1<12.5*10;\r\n";
        QTest::newRow("tonnes go in as typed")
            << PanelTexts(examplePanel().tonnes("50.0")) << 10 << "\r\n50.0*X1<60*10;\r\n50.0*X2<100*10;\r\n";
        QTest::newRow("tonnes with blanks as their value")
            << PanelTexts(examplePanel().tonnes(" 50 ")) << 10 << "\r\n50*X1<60*10;\r\n50*X2<100*10;\r\n";
        QTest::newRow("tonnes with an exponent as their value")
            << PanelTexts(examplePanel().tonnes("5.5e1")) << 10 << "\r\n55*X1<60*10;\r\n";
        QTest::newRow("tonnes with a leading point as their value")
            << PanelTexts(examplePanel().tonnes(".5")) << 10 << "\r\n0.5*X1<60*10;\r\n";
        QTest::newRow("must-use lines in row order")
            << PanelTexts(examplePanel().mustUse(0)) << 10 << "<25;\r\nX1>1;\r\nX2>1;\r\nX1+X2=10;";
        // The 高级指标 limits, each where it belongs.
        QTest::newRow("a lower limit after the panel's upper one")
            << PanelTexts(examplePanel().other(CellSulphur, "1.25")) << 7
            << "\r\n3.20*X1+1.50*X2<17.5;\r\n3.20*X1+1.50*X2>8.75;\r\nX2>1;";
        QTest::newRow("a lower limit alone")
            << PanelTexts(examplePanel().target(CellSulphur, "").other(CellSulphur, "2")) << 10
            << "[rObj] min=1500.00*X1+1800.00*X2;\r\n3.20*X1+1.50*X2>20;\r\nX2>1;";
        QTest::newRow("Si's lower limit before sulphur's rows")
            << PanelTexts(examplePanel().other(CellSi, "0.5").set(0, CellSi, "0.4").set(1, CellSi, "0.6")) << 10
            << "\r\n0.40*X1+0.60*X2>5;\r\n3.20*X1+1.50*X2<25;\r\n";
        QTest::newRow("fixed carbon's upper limit is a < row")
            << PanelTexts(examplePanel()
                              .target(CellFixedCarbon, "85")
                              .other(CellFixedCarbon, "88")
                              .set(0, CellFixedCarbon, "86.5")
                              .set(1, CellFixedCarbon, "84"))
            << 10 << "\r\n3.20*X1+1.50*X2<25;\r\n86.50*X1+84.00*X2>850;\r\n86.50*X1+84.00*X2<880;\r\nX2>1;";
        QTest::newRow("a share maximum alone, after the must-use rows")
            << PanelTexts(examplePanel().share("B", "", "40")) << 10 << "\r\nX2>1;\r\n100*X2<40*10;\r\nX1+X2=10;";
        QTest::newRow("shares follow the lot's name when rows move up")
            << PanelTexts(
                   examplePanel().lot(3, "C", "1700", "5").set(3, CellSulphur, "2").share("C", "12.5", "").compacted())
            << 7 << "\r\nX2>1;\r\n100*X3>12.5*7;\r\nX1+X2+X3=7;";
        QTest::newRow("the cap after the stock and difference rows")
            << PanelTexts(examplePanel().maxLots("1")) << 10
            << "\r\n50*X2<100*10;\r\nX1-10*Y1<0;\r\nX2-10*Y2<0;\r\nY1+Y2<1;\r\n@gin(X1);\r\n@gin(X2);\r\n@bin(Y1);"
               "\r\n@bin(Y2);\r\ndata:\r\n@pointer(1)=X1;";
        QTest::newRow("three pointers and the objective")
            << PanelTexts(examplePanel().lot(2, "C", "1700", "5")) << 4
            << "data:\r\n@pointer(1)=X1;\r\n@pointer(2)=X2;\r\n@pointer(3)=X3;\r\n@pointer(4)=rObj;\r\nenddata\r\nend";
    }
    void lines() {
        QFETCH(PanelTexts, texts);
        QFETCH(int, k);
        QFETCH(QString, contained);
        const QString text = model(texts, k);
        QVERIFY2(text.contains(contained), qPrintable(text));
    }

    void linesLeftOut_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<QString>("absent");
        QTest::newRow("no stock lines without tonnes") << PanelTexts(examplePanel().tonnes("")) << "*X1<";
        QTest::newRow("no must-use line for a lot without the box") << PanelTexts(examplePanel()) << "X1>1";
        PanelTexts beyond = examplePanel();
        beyond.mustUse[1] = false;
        beyond.mustUse[5] = true;
        QTest::newRow("a box below the lots has no effect") << beyond << ">1;";
        QTest::newRow("no difference line") << PanelTexts(examplePanel()) << "@abs";
        QTest::newRow("no empty coefficient") << PanelTexts(examplePanel().set(1, CellPrice, "0")) << "+*X";
        QTest::newRow("no share row for a lot not in the panel")
            << PanelTexts(examplePanel().share("C", "10", "20")) << "100*X";
        QTest::newRow("no 0/1 variables without a cap") << PanelTexts(examplePanel().share("A", "10", "")) << "Y";
    }
    void linesLeftOut() {
        QFETCH(PanelTexts, texts);
        QFETCH(QString, absent);
        QVERIFY(!model(texts, 10).contains(absent));
    }

    void writeModelFile() {
        test::TempProgramFolder folder;
        PanelState state;
        state.texts = examplePanel();
        state.PanelLots = ReadGridLots(state.texts);
        const QString path = WriteModelFile(state, 10);
        QCOMPARE(path, QDir(folder.path()).filePath(QStringLiteral("qzmd.dll")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), (model(state.texts, 10) + QStringLiteral("\r\n")).toUtf8());

        setProgramFolder(folder.filePath(QStringLiteral("missing")));
        QCOMPARE(WriteModelFile(state, 10), QString());
    }

    void formatLimit_data() {
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both") << "1"
                              << "3"
                              << "1<=硅<=3 ";
        QTest::newRow("lower only") << "85"
                                    << ""
                                    << "硅=>85 ";
        QTest::newRow("upper only") << ""
                                    << "8.0"
                                    << "硅<=8.0 ";
        QTest::newRow("neither") << ""
                                 << ""
                                 << "";
    }
    void formatLimit() {
        QFETCH(QString, lower);
        QFETCH(QString, upper);
        QFETCH(QString, expected);
        QCOMPARE(FormatLimit(lower, upper, QStringLiteral("硅")), expected);
    }

    void summary_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sulphur, tonnes, must-use B") << PanelTexts(examplePanel()) << "硫分<=2.5  配50吨 B必选";
        QTest::newRow("moisture and fixed carbon")
            << PanelTexts(
                   Panel().lot(0, "A", "1").lot(1, "B", "1").target(CellMoisture, "8").target(CellFixedCarbon, "85"))
            << "全水<=8 固定碳=>85 ";
        QTest::newRow("8.0 kept as typed")
            << PanelTexts(Panel().lot(0, "A", "1").target(CellMoisture, "8.0")) << "全水<=8.0 ";
        QTest::newRow("trace elements after the main indices")
            << PanelTexts(Panel().lot(0, "A", "1").target(CellNa, "0.1").target(CellSi, "1").target(CellAsh, "9"))
            << "灰分<=9 硅<=1 钠<=0.1 ";
        QTest::newRow("must-use lots in row order, none below the named block")
            << PanelTexts(Panel()
                              .lot(0, "A", "1")
                              .lot(1, "B", "1")
                              .lot(3, "D", "1")
                              .mustUse(0)
                              .mustUse(1)
                              .mustUse(3)
                              .target(CellSulphur, "2"))
            << "硫分<=2  A必选 B必选";
    }
    void advancedSummary_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("underTheButton");
        QTest::newRow("after tonnes and must-use lots, as typed")
            << PanelTexts(examplePanel().other(CellSulphur, "1.50").share("B", "10", "40").maxLots("3"))
            << "硫分<=2.5  配50吨 B必选 硫分>=1.50 B10%~40% 最多3种"
            << "硫分>=1.50 B10%~40% 最多3种";
        QTest::newRow("other sides in summary order, fixed carbon's upper one")
            << PanelTexts(Panel()
                              .named(2)
                              .target(CellAsh, "9")
                              .other(CellNa, "0.01")
                              .other(CellFixedCarbon, "90")
                              .other(CellMoisture, "2"))
            << "灰分<=9  全水>=2 固定碳<=90 钠>=0.01"
            << "全水>=2 固定碳<=90 钠>=0.01";
        QTest::newRow("one-sided shares in panel order, lots of the run only")
            << PanelTexts(
                   Panel().named(3).target(CellAsh, "9").share("D", "5", "").share("C", "", "30").share("A", "20", ""))
            << "灰分<=9  A>=20% C<=30%"
            << "D>=5% C<=30% A>=20%";
    }
    void advancedSummary() {
        QFETCH(PanelTexts, texts);
        QFETCH(QString, expected);
        QFETCH(QString, underTheButton);
        QCOMPARE(BuildSchemeSummary(texts), expected);
        QCOMPARE(AdvancedSummary(texts.advanced), underTheButton);
    }

    void summary() {
        QFETCH(PanelTexts, texts);
        QFETCH(QString, expected);
        QCOMPARE(BuildSchemeSummary(texts), expected);
    }

    void blendOfSolution_data() {
        QTest::addColumn<QList<double>>("solution");
        QTest::addColumn<double>("sulphur");
        QTest::addColumn<double>("price");
        // The run's table for k = 2..7; the objective value after the parts is ignored.
        QTest::newRow("k2") << QList<double>{1, 1, 3300} << 2.35 << 1650.0;
        QTest::newRow("k3") << QList<double>{1, 2, 5100} << 2.07 << 1700.0;
        QTest::newRow("k5") << QList<double>{2, 3, 8400} << 2.18 << 1680.0;
        QTest::newRow("k7") << QList<double>{4, 3, 11400} << 2.47 << 1628.57;
        QTest::newRow("one lot takes all") << QList<double>{0, 4} << 1.5 << 1800.0;
    }
    void blendOfSolution() {
        QFETCH(QList<double>, solution);
        QFETCH(double, sulphur);
        QFETCH(double, price);
        const QList<Mei> lots = ReadGridLots(examplePanel());
        const std::optional<Mei> blend =
            BlendOfSolution(lots, std::span<const double>(solution.data(), solution.size()));
        QVERIFY(blend);
        QCOMPARE(blend->Liu, sulphur);
        QCOMPARE(blend->JiaGe, price);
        QCOMPARE(blend->ShuiFen, 0.0);
        QCOMPARE(blend->MingCheng, QString());
        QCOMPARE(blend->Kucun, 0.0);
    }

    void blendIndexOffWhenAnyLotLacksIt() {
        // The third lot gets no parts, yet its missing ash switches ash off for the blend.
        const QList<Mei> lots = ReadGridLots(Panel()
                                                 .lot(0, "A", "100")
                                                 .set(0, CellAsh, "8")
                                                 .lot(1, "B", "200")
                                                 .set(1, CellAsh, "10")
                                                 .lot(2, "C", "300"));
        const std::vector<double> parts{1, 1, 0};
        const std::optional<Mei> blend = BlendOfSolution(lots, parts);
        QVERIFY(blend);
        QCOMPARE(blend->HuiFen, 0.0);
        QCOMPARE(blend->JiaGe, 150.0);
    }

    void blendWithoutWeights() {
        const QList<Mei> lots = ReadGridLots(examplePanel());
        const std::vector<double> zero{0, 0};
        QVERIFY(!BlendOfSolution(lots, zero));
        const std::vector<double> cancelling{3, -3};
        QVERIFY(!BlendOfSolution(lots, cancelling));
        const std::vector<double> tooFew{1};
        QVERIFY(!BlendOfSolution(lots, tooFew));
    }
};

QTEST_GUILESS_MAIN(ModelTest)
#include "tst_model.moc"
