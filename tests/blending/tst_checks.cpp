#include "blending/PanelBuilder.h"
#include "blending/Validation.h"

#include <QTest>

using namespace vestrel;
using vestrel::test::Panel;

namespace {

// Two complete lots with a sulphur limit: passes every check until a row changes it.
Panel twoLots() {
    return Panel()
        .lot(0, "A", "1500", "60")
        .set(0, CellSulphur, "3.2")
        .lot(1, "B", "1800", "100")
        .set(1, CellSulphur, "1.5")
        .target(CellSulphur, "2.5");
}

} // namespace

class ChecksTest : public QObject {
    Q_OBJECT
private slots:
    void checkNamesAndPrices_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<QString>("expected");
        QTest::newRow("complete lots") << PanelTexts(twoLots()) << "";
        QTest::newRow("only a price, numbered after compaction")
            << PanelTexts(Panel().lot(0, "A", "1").set(4, CellPrice, "10").compacted())
            << "第2行的煤名称没有填写，请你填写";
        QTest::newRow("name without price")
            << PanelTexts(Panel().lot(0, "A", "1").lot(1, "B", "")) << "第2行的价格没有填写，请你填写";
        QTest::newRow("a blank price is a price") << PanelTexts(Panel().lot(0, "A", " ")) << "";
        QTest::newRow("a lone blank makes a row that needs a name")
            << PanelTexts(Panel().set(9, CellCa, " ")) << "第10行的煤名称没有填写，请你填写";
    }
    void checkNamesAndPrices() {
        QFETCH(PanelTexts, texts);
        QFETCH(QString, expected);
        QCOMPARE(CheckNamesAndPrices(texts), expected);
    }

    void validateInput_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all pass") << PanelTexts(twoLots()) << "";

        // Cells: first failing cell in index order, all ten rows.
        QTest::newRow("letters in the second lot's Fe cell")
            << PanelTexts(twoLots().set(1, CellFe, "abc")) << "第2种煤:B铁值请填写成数字\r\n";
        QTest::newRow("Ni message has no 值")
            << PanelTexts(twoLots().set(0, CellNi, "x")) << "第1种煤:A镍请填写成数字\r\n";
        QTest::newRow("Si is visited before moisture")
            << PanelTexts(twoLots().set(0, CellMoisture, "x").set(0, CellSi, "y")) << "第1种煤:A硅值请填写成数字\r\n";
        QTest::newRow("row 0's price before row 1's Si")
            << PanelTexts(twoLots().set(0, CellPrice, "1,500").set(1, CellSi, "y")) << "第1种煤:A价格请填写成数字\r\n";
        QTest::newRow("stock") << PanelTexts(twoLots().set(1, CellStock, "many")) << "第2种煤:B库存请填写成数字\r\n";
        QTest::newRow("fixed carbon") << PanelTexts(twoLots().set(0, CellFixedCarbon, "8 5"))
                                      << "第1种煤:A固定碳值请填写成数字\r\n";
        QTest::newRow("Na") << PanelTexts(twoLots().set(0, CellNa, "5%")) << "第1种煤:A钠值请填写成数字\r\n";
        QTest::newRow("unnamed row far below")
            << PanelTexts(twoLots().set(7, CellCa, "?")) << "第8种煤:钙值请填写成数字\r\n";
        QTest::newRow("cells before targets")
            << PanelTexts(twoLots().target(CellSulphur, "").set(1, CellV, "v")) << "第2种煤:B钒值请填写成数字\r\n";

        // Values beyond what a run can carry, named like the cell.
        QTest::newRow("price of 1e15") << PanelTexts(twoLots().set(0, CellPrice, "1e15"))
                                       << "第1种煤:A价格请填写成绝对值小于1000000000的数字\r\n";
        QTest::newRow("largest value passes") << PanelTexts(twoLots().set(1, CellStock, "999999999.99")) << "";
        QTest::newRow("rounding up to the limit") << PanelTexts(twoLots().set(0, CellSulphur, "999999999.995"))
                                                  << "第1种煤:A硫分值请填写成绝对值小于1000000000的数字\r\n";
        QTest::newRow("negative Ni beyond the limit") << PanelTexts(twoLots().set(1, CellNi, "-1000000000"))
                                                      << "第2种煤:B镍请填写成绝对值小于1000000000的数字\r\n";
        QTest::newRow("a large value before letters in the row")
            << PanelTexts(twoLots().set(0, CellMoisture, "x").set(0, CellSi, "1e20"))
            << "第1种煤:A硅值请填写成绝对值小于1000000000的数字\r\n";
        QTest::newRow("unnamed row below")
            << PanelTexts(twoLots().set(5, CellCa, "2e9")) << "第6种煤:钙值请填写成绝对值小于1000000000的数字\r\n";

        // Targets.
        QTest::newRow("two lots, no target")
            << PanelTexts(twoLots().target(CellSulphur, "")) << "请您至少填写一项您要达到的指标！";
        QTest::newRow("tonnes alone are no target")
            << PanelTexts(twoLots().target(CellSulphur, "").tonnes("50")) << "请您至少填写一项您要达到的指标！";
        QTest::newRow("a fixed-carbon lower limit alone is a target") << PanelTexts(twoLots()
                                                                                        .target(CellSulphur, "")
                                                                                        .target(CellFixedCarbon, "85")
                                                                                        .set(0, CellFixedCarbon, "86")
                                                                                        .set(1, CellFixedCarbon, "88"))
                                                                      << "";
        QTest::newRow("Si target") << PanelTexts(twoLots().target(CellSi, "a")) << "请将硅的指标上限填写成数字！";
        QTest::newRow("moisture target") << PanelTexts(twoLots().target(CellMoisture, "a"))
                                         << "请将水份的指标上限填写成数字！";
        QTest::newRow("fixed-carbon target")
            << PanelTexts(twoLots().target(CellFixedCarbon, "a")) << "请将固定碳的指标下限填写成数字！";
        QTest::newRow("Ni target") << PanelTexts(twoLots().target(CellNi, "a")) << "请将镍的指标上限填写成数字！";
        QTest::newRow("Na target says 限 twice")
            << PanelTexts(twoLots().target(CellNa, "a")) << "请将钠指标上限限填写成数字！";
        QTest::newRow("targets in index order")
            << PanelTexts(twoLots().target(CellCa, "a").target(CellFe, "b")) << "请将铁的指标上限填写成数字！";
        QTest::newRow("tonnes after the targets")
            << PanelTexts(twoLots().tonnes("fifty").target(CellAl, "x")) << "请将铝的指标上限填写成数字！";
        QTest::newRow("tonnes") << PanelTexts(twoLots().tonnes("fifty")) << "请将配多少吨煤填写成数字！";
        QTest::newRow("limit of 1e13") << PanelTexts(twoLots().target(CellSulphur, "1e13"))
                                       << "请将硫分的指标上限填写成绝对值小于1000000000的数字！";
        QTest::newRow("fixed-carbon limit beyond") << PanelTexts(twoLots().target(CellFixedCarbon, "-1e9"))
                                                   << "请将固定碳的指标下限填写成绝对值小于1000000000的数字！";
        QTest::newRow("Na limit beyond, 限 once")
            << PanelTexts(twoLots().target(CellNa, "1e14")) << "请将钠的指标上限填写成绝对值小于1000000000的数字！";
        QTest::newRow("limits in index order") << PanelTexts(twoLots().target(CellCa, "a").target(CellFe, "5e9"))
                                               << "请将铁的指标上限填写成绝对值小于1000000000的数字！";
        QTest::newRow("tonnes beyond") << PanelTexts(twoLots().tonnes("1000000000"))
                                       << "请将配多少吨煤填写成绝对值小于1000000000的数字！";
        QTest::newRow("largest limit passes") << PanelTexts(twoLots().target(CellSulphur, "999999999.99")) << "";

        // The 高级指标 dialog.
        QTest::newRow("a lower limit alone is a target")
            << PanelTexts(twoLots().target(CellSulphur, "").other(CellSulphur, "2")) << "";
        QTest::newRow("shares and a cap alone are no target")
            << PanelTexts(twoLots().target(CellSulphur, "").share("A", "10", "").maxLots("2"))
            << "请您至少填写一项您要达到的指标！";
        QTest::newRow("lower limit not a number")
            << PanelTexts(twoLots().other(CellSulphur, "1.5x")) << "硫分下限请填写成数字！";
        QTest::newRow("fixed carbon's upper limit")
            << PanelTexts(twoLots().other(CellFixedCarbon, "a")) << "固定碳上限请填写成数字！";
        QTest::newRow("other sides in index order")
            << PanelTexts(twoLots().other(CellCa, "a").other(CellMoisture, "b")) << "全水下限请填写成数字！";
        QTest::newRow("other side beyond the limit")
            << PanelTexts(twoLots().other(CellNa, "1e9")) << "钠下限请填写成绝对值小于1000000000的数字！";
        QTest::newRow("lower above the panel's upper")
            << PanelTexts(twoLots().other(CellSulphur, "2.6")) << "硫分下限大于上限，请重新填写！";
        QTest::newRow("a band of one value") << PanelTexts(twoLots().other(CellSulphur, "2.50")) << "";
        QTest::newRow("fixed carbon's upper below the panel's lower")
            << PanelTexts(twoLots().target(CellFixedCarbon, "85").other(CellFixedCarbon, "84.9"))
            << "固定碳下限大于上限，请重新填写！";
        QTest::newRow("share not a number") << PanelTexts(twoLots().share("B", "", "4O")) << "B最大比例请填写成数字！";
        QTest::newRow("share above 100") << PanelTexts(twoLots().share("A", "100.5", ""))
                                         << "A最小比例请填写0到100之间的数字！";
        QTest::newRow("negative share") << PanelTexts(twoLots().share("A", "", "-1"))
                                        << "A最大比例请填写0到100之间的数字！";
        QTest::newRow("share minimum above maximum")
            << PanelTexts(twoLots().share("A", "50", "40")) << "A最小比例大于最大比例，请重新填写！";
        QTest::newRow("shares from 0 to 100")
            << PanelTexts(twoLots().share("A", "0", "100").share("B", "40", "40")) << "";
        QTest::newRow("cap not a number") << PanelTexts(twoLots().maxLots("three")) << "最多种数请填写成数字！";
        QTest::newRow("cap not whole") << PanelTexts(twoLots().maxLots("2.5")) << "最多种数请填写成大于0的整数！";
        QTest::newRow("cap 0") << PanelTexts(twoLots().maxLots("0")) << "最多种数请填写成大于0的整数！";
        QTest::newRow("cap beyond the limit")
            << PanelTexts(twoLots().maxLots("1e12")) << "最多种数请填写成绝对值小于1000000000的数字！";
        QTest::newRow("cap of 1") << PanelTexts(twoLots().maxLots("1")) << "";
        QTest::newRow("a lower limit needs the value in every lot")
            << PanelTexts(twoLots().other(CellAsh, "0.2").set(0, CellAsh, "0.3"))
            << "你既然要算灰分的指标，但是你参与配煤的第2种煤，没有填写灰分的值，这怎么计算？";

        // Required values.
        QTest::newRow("one lot with a target")
            << PanelTexts(Panel().lot(0, "A", "1").target(CellAsh, "9")) << "您至少要输入2种煤！";
        QTest::newRow("second lot not at the top")
            << PanelTexts(Panel().lot(0, "A", "1").lot(2, "C", "1").target(CellAsh, "9")) << "您至少要输入2种煤！";
        QTest::newRow("sulphur missing in the third lot")
            << PanelTexts(twoLots().lot(2, "C", "1700", "10"))
            << "你既然要算硫的指标，但是你参与配煤的第3种煤，没有填写硫的值，这怎么计算？";
        QTest::newRow("moisture is called 水分")
            << PanelTexts(twoLots().target(CellMoisture, "8").set(0, CellMoisture, "7"))
            << "你既然要算水分的指标，但是你参与配煤的第2种煤，没有填写水分的值，这怎么计算？";
        QTest::newRow("stock missing when tonnes are asked")
            << PanelTexts(twoLots().set(1, CellStock, "").tonnes("50"))
            << "你既然要算库存的指标，但是你参与配煤的第2种煤，没有填写库存的值，这怎么计算？";
        QTest::newRow("stock may be missing without tonnes") << PanelTexts(twoLots().set(1, CellStock, "")) << "";

        // Stock.
        QTest::newRow("100 tonnes from 40 and 50")
            << PanelTexts(twoLots().set(0, CellStock, "40").set(1, CellStock, "50").tonnes("100"))
            << "您想配100吨煤，但是你所输入的几种煤库存加起来只有90吨，怎么可能配出100吨的煤";
        QTest::newRow("90 tonnes from 40 and 50")
            << PanelTexts(twoLots().set(0, CellStock, "40").set(1, CellStock, "50").tonnes("90")) << "";
        QTest::newRow("decimals written without trailing zeros")
            << PanelTexts(twoLots().set(0, CellStock, "5.50").set(1, CellStock, "7").tonnes("12.60"))
            << "您想配12.6吨煤，但是你所输入的几种煤库存加起来只有12.5吨，怎么可能配出12.6吨的煤";
        QTest::newRow("stock summed unrounded")
            << PanelTexts(twoLots().set(0, CellStock, "40.004").set(1, CellStock, "50.004").tonnes("90.005")) << "";
    }
    void validateInput() {
        QFETCH(PanelTexts, texts);
        QFETCH(QString, expected);
        QCOMPARE(ValidateInput(texts), expected);
    }

    void isNumberOrEmpty_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("blank") << " " << false;
        QTest::newRow("decimal") << "12.5" << true;
        QTest::newRow("sign and blanks") << " -3 " << true;
        QTest::newRow("exponent") << "1e3" << true;
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("decimal comma") << "12,5" << false;
        QTest::newRow("percent") << "5%" << false;
        QTest::newRow("inf") << "inf" << false;
    }
    void isNumberOrEmpty() {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(IsNumberOrEmpty(text), expected);
    }

    void missingValueMessage() {
        QCOMPARE(MissingValueMessage(QStringLiteral("钙"), 0),
                 QStringLiteral("你既然要算钙的指标，但是你参与配煤的第1种煤，没有填写钙的值，这怎么计算？"));
    }

    void pricesAllEqual_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<bool>("expected");
        QTest::newRow("same text") << PanelTexts(Panel().lot(0, "A", "10").lot(1, "B", "10")) << true;
        QTest::newRow("10 and 10.0 differ") << PanelTexts(Panel().lot(0, "A", "10").lot(1, "B", "10.0")) << false;
        QTest::newRow("one lot") << PanelTexts(Panel().lot(0, "A", "10")) << true;
        QTest::newRow("rows after the named block do not count")
            << PanelTexts(Panel().lot(0, "A", "10").lot(1, "B", "10").lot(3, "D", "99")) << true;
    }
    void pricesAllEqual() {
        QFETCH(PanelTexts, texts);
        QFETCH(bool, expected);
        QCOMPARE(PricesAllEqual(texts), expected);
    }
};

QTEST_GUILESS_MAIN(ChecksTest)
#include "tst_checks.moc"
