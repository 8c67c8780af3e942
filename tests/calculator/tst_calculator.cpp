#include "base/gui/WindowHub.h"
#include "blending/PanelBuilder.h"
#include "blending/gui/BlendingGrid.h"
#include "calculator/Calculator.h"
#include "calculator/gui/frmTest.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace vestrel;
using vestrel::test::find;
using vestrel::test::Panel;

namespace {

// Lot A: moisture 10, sulphur 2, price 1000, ratio 3; lot B: moisture 20, sulphur 4, price 2000, ratio 1.
Panel example(int rowOfB = 1) {
    return Panel()
        .lot(0, "A", "1000", "3")
        .set(0, CellMoisture, "10")
        .set(0, CellSulphur, "2")
        .lot(rowOfB, "B", "2000", "1")
        .set(rowOfB, CellMoisture, "20")
        .set(rowOfB, CellSulphur, "4");
}

const QString kExampleResult =
    QStringLiteral("全水：12.50硫分：2.50灰分：挥发分：固定碳：硅：铁：G：Y：铝：钙：单价：1250.00");

QLineEdit* box(QWidget* root, const char* name, int row) {
    return find<QLineEdit>(root, QLatin1String(name) + u'_' + QString::number(row));
}

} // namespace

class CalculatorTest : public QObject {
    Q_OBJECT
private slots:
    void calculate_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("result");
        QTest::newRow("worked example") << PanelTexts(example()) << "" << kExampleResult;
        QTest::newRow("rows with a gap are moved up first") << PanelTexts(example(4)) << "" << kExampleResult;
        QTest::newRow("ratios 1.5 and 2.5 weigh 2 and 2")
            << PanelTexts(example().set(0, CellStock, "1.5").set(1, CellStock, "2.5")) << ""
            << "全水：15.00硫分：3.00灰分：挥发分：固定碳：硅：铁：G：Y：铝：钙：单价：1500.00";
        QTest::newRow("fixed carbon missing in one lot")
            << PanelTexts(example().set(0, CellFixedCarbon, "85").set(0, CellSi, "1").set(1, CellSi, "3")) << ""
            << "全水：12.50硫分：2.50灰分：挥发分：固定碳：硅：1.50铁：G：Y：铝：钙：单价：1250.00";
        QTest::newRow("V and Ni labelled G and Y")
            << PanelTexts(example().set(0, CellV, "1").set(1, CellV, "1").set(0, CellNi, "2").set(1, CellNi, "2")) << ""
            << "全水：12.50硫分：2.50灰分：挥发分：固定碳：硅：铁：G：1.00Y：2.00铝：钙：单价：1250.00";
        QTest::newRow("Na as number, fraction and percentage")
            << PanelTexts(example()
                              .set(0, CellNa, "5")
                              .lot(2, "C", "1000", "1")
                              .set(2, CellNa, "5%")
                              .set(1, CellNa, "0.05")
                              .set(2, CellMoisture, "10")
                              .set(2, CellSulphur, "2"))
            << ""
            << "全水：12.00硫分：2.40灰分：挥发分：固定碳：硅：铁：G：Y：铝：钙：单价：1200.00";
        // 3.015 and 1000.005 exactly: rounded up, as a person reads them.
        QTest::newRow("halves rounded away from zero")
            << PanelTexts(example()
                              .set(0, CellSulphur, "3.00")
                              .set(1, CellSulphur, "3.03")
                              .set(0, CellStock, "1")
                              .set(0, CellPrice, "1000.01")
                              .set(1, CellPrice, "1000"))
            << ""
            << "全水：15.00硫分：3.02灰分：挥发分：固定碳：硅：铁：G：Y：铝：钙：单价：1000.01";
        QTest::newRow("a large Na is not shown and not refused")
            << PanelTexts(example().set(0, CellNa, "1e300")) << "" << kExampleResult;
        QTest::newRow("price of 1e15") << PanelTexts(example().set(1, CellPrice, "1e15"))
                                       << "第2种煤:B价格请填写成绝对值小于1000000000的数字\r\n"
                                       << "";
        QTest::newRow("Ni beyond the limit")
            << PanelTexts(example().set(0, CellNi, "-2e9")) << "第1种煤:A镍请填写成绝对值小于1000000000的数字\r\n"
            << "";
        QTest::newRow("Na with letters") << PanelTexts(example().set(1, CellNa, "abc"))
                                         << "第2种煤:B钠值请填写成小数或者百分比\r\n"
                                         << "";
        QTest::newRow("one named row") << PanelTexts(Panel().lot(0, "A", "1", "1")) << "您至少要输入2种煤！"
                                       << "";
        QTest::newRow("missing ratio") << PanelTexts(example().set(1, CellStock, "")) << "第2行的配比没有填写，请你填写"
                                       << "";
        QTest::newRow("missing name") << PanelTexts(example().set(0, CellName, "")) << "第1行的煤名称没有填写，请你填写"
                                      << "";
        QTest::newRow("missing price") << PanelTexts(example().set(0, CellPrice, "")) << "第1行的价格没有填写，请你填写"
                                       << "";
        QTest::newRow("Si letters") << PanelTexts(example().set(1, CellSi, "x")) << "第2种煤:B硅值请填写成数字\r\n"
                                    << "";
        QTest::newRow("Ni message without 值")
            << PanelTexts(example().set(0, CellNi, "x")) << "第1种煤:A镍请填写成数字\r\n"
            << "";
        QTest::newRow("ratio letters") << PanelTexts(example().set(0, CellStock, "three"))
                                       << "第1种煤:A配比请填写成数字\r\n"
                                       << "";
        QTest::newRow("price letters") << PanelTexts(example().set(1, CellPrice, "cheap"))
                                       << "第2种煤:B价格请填写成数字\r\n"
                                       << "";
        QTest::newRow("weights summing to 0")
            << PanelTexts(example().set(0, CellStock, "0.4").set(1, CellStock, "0.5")) << "配比加起来为0，请填写配比！"
            << "";
        QTest::newRow("weights cancelling out")
            << PanelTexts(example().set(0, CellStock, "2").set(1, CellStock, "-2")) << "配比加起来为0，请填写配比！"
            << "";
        QTest::newRow("ratio beyond 16 bits")
            << PanelTexts(example().set(1, CellStock, "32767.5")) << "第2种煤的配比太大，请填写不超过32767的配比"
            << "";
    }
    void calculate() {
        QFETCH(PanelTexts, texts);
        QFETCH(QString, message);
        QFETCH(QString, result);
        PanelTexts t = texts;
        QList<Mei> lots;
        const CalculationOutcome outcome = Calculate(t, lots);
        QCOMPARE(outcome.message, message);
        QCOMPARE(outcome.result, result);
    }

    void checkCalcNumbersVisitsNamedRowsOnly() {
        // Row 2 has no name, so it is not a lot of this calculation.
        QCOMPARE(CheckCalcNumbers(example().set(3, CellSi, "x")), QString());
        QCOMPARE(CheckCalcNumbers(example().set(1, CellStock, "")),
                 QStringLiteral("第2煤配比必须填写，否则无法得知混在一起后的指标是多少"));
    }

    void ratioWeights_data() {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("weight");
        QTest::addColumn<bool>("fits");
        QTest::newRow("2.5 to even 2") << 2.5 << 2 << true;
        QTest::newRow("3.5 to even 4") << 3.5 << 4 << true;
        QTest::newRow("0.4 to 0") << 0.4 << 0 << true;
        QTest::newRow("largest") << 32767.0 << 32767 << true;
        QTest::newRow("32767.5 rounds out of range") << 32767.5 << 0 << false;
        QTest::newRow("far too large") << 1e12 << 0 << false;
    }
    void ratioWeights() {
        QFETCH(double, ratio);
        QFETCH(int, weight);
        QFETCH(bool, fits);
        Mei lot;
        lot.Kucun = ratio;
        const RatioWeightsResult r = RatioWeights({lot});
        QCOMPARE(r.message.isEmpty(), fits);
        if (fits) QCOMPARE(r.weights, QList<qint16>{qint16(weight)});
    }

    void window() {
        test::ScriptedInteraction ui;
        hub::showCalculator();
        hub::showCalculator();
        QList<frmTest*> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* t = qobject_cast<frmTest*>(w)) windows << t;
        QCOMPARE(windows.size(), 1);
        frmTest* calc = windows.first();
        QVERIFY(calc->isVisible());
        QCOMPARE(calc->windowTitle(), QStringLiteral("手动配比计算"));
        QCOMPARE(find<QGroupBox>(calc, "fraTop")->title(), QStringLiteral("请输入焦碳混合的比例和指标指"));
        QCOMPARE(find<QGroupBox>(calc, "Frame1")->title(), QStringLiteral("混合后的指标"));
        QCOMPARE(find<QPushButton>(calc, "Command1")->text(), QStringLiteral("计算混合后的指标"));
        QCOMPARE(find<QAction>(calc, "tbrMenu_2")->text(), QStringLiteral("选焦混合"));
        QCOMPARE(find<QAction>(calc, "tbrMenu_4")->text(), QStringLiteral("计算指标"));
        QCOMPARE(find<QLabel>(calc, "Label3")->text(),
                 QStringLiteral("用于计算不同重量或者不同比例的焦炭配在一起后的指标，配比必须填写"));
        QVERIFY(find<QLabel>(calc, "Label1"));
        QVERIFY(!find<QCheckBox>(calc, "chk_0") && !find<QCheckBox>(calc, "chkAll") && !find<QLabel>(calc, "Label2"));
        QCOMPARE(find<QLabel>(calc, "lbHeader_0")->text(), QStringLiteral("煤名称"));
        QCOMPARE(find<QLabel>(calc, "lbHeader_13")->text(), QStringLiteral("配比"));
        QCOMPARE(find<QLabel>(calc, "lbHeader_14")->text(), QStringLiteral("价格"));

        // Lots from the catalogue bring their stock into the ratio column.
        Mei a;
        a.MingCheng = QStringLiteral("A");
        a.ShuiFen = 10;
        a.Liu = 2;
        a.JiaGe = 1000;
        a.Kucun = 3;
        Mei b = a;
        b.MingCheng = QStringLiteral("B");
        b.ShuiFen = 20;
        b.Liu = 4;
        b.JiaGe = 2000;
        b.Kucun = 1;
        hub::calculatorSetTxtValue({a, b});
        QCOMPARE(box(calc, "txtKuCun", 0)->text(), QStringLiteral("3.00"));

        find<QPushButton>(calc, "Command1")->click();
        QCOMPARE(calc->result()->toPlainText(), kExampleResult);
        QVERIFY(ui.messageTexts().isEmpty());

        // A refused calculation leaves the previous result.
        box(calc, "txtKuCun", 1)->clear();
        find<QAction>(calc, "tbrMenu_4")->trigger();
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("第2行的配比没有填写，请你填写")});
        QCOMPARE(calc->result()->toPlainText(), kExampleResult);

        find<QAction>(calc, "tbrMenu_3")->trigger();
        QVERIFY(box(calc, "txtMingcheng", 0)->text().isEmpty());
        delete calc;
    }
};

QTEST_MAIN(CalculatorTest)
#include "tst_calculator.moc"
