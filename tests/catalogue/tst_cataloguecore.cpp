// The catalogue decisions without widgets: entry checks, the built lot, the window layout.
#include "catalogue/Catalogue.h"
#include "catalogue/EntryForm.h"

#include <QTest>

using namespace vestrel;

Q_DECLARE_METATYPE(vestrel::EntryTexts)

namespace {

EntryTexts valid(const QString& box = {}, const QString& text = {}) {
    EntryTexts t{{"txtName", QString::fromUtf8("大庆焦")}, {"txtJiage", "1200"}};
    if (!box.isEmpty()) t.insert(box, text);
    return t;
}

} // namespace

class CatalogueCoreTest : public QObject {
    Q_OBJECT
private slots:
    void validate_data() {
        QTest::addColumn<EntryTexts>("texts");
        QTest::addColumn<QString>("expected");
        QTest::newRow("name and price only") << valid() << "";
        QTest::newRow("name, price missing, ash letters")
            << EntryTexts{{"txtHuifen", "abc"}}
            << QString::fromUtf8("请填写煤名称\r\n请填写煤的价格\r\n填写的灰分必须是数字\r\n");
        QTest::newRow("blank name is a name") << valid("txtName", "   ") << "";
        QTest::newRow("blank number box") << valid("txtLiu", " ") << QString::fromUtf8("填写的硫必须是数字\r\n");
        QTest::newRow("negative passes") << valid("txtHuifen", "-3") << "";
        QTest::newRow("percent sign refused")
            << valid("txtShuifen", "8%") << QString::fromUtf8("填写的水份必须是数字\r\n");
        // A run could never use a lot beyond the limit, so the form refuses it before it is saved.
        QTest::newRow("price 1e15 refused")
            << valid("txtJiage", "1e15") << QString::fromUtf8("填写的价格必须是绝对值小于1000000000的数字\r\n");
        QTest::newRow("largest ash passes") << valid("txtHuifen", "999999999.99") << "";
        QTest::newRow("stock rounding up to the limit")
            << valid("txtKuCun", "999999999.995")
            << QString::fromUtf8("填写的库存必须是绝对值小于1000000000的数字\r\n");
        QTest::newRow("negative beyond the limit") << valid("txtHuishoulv", "-1000000000")
                                                   << QString::fromUtf8("填写的钠必须是绝对值小于1000000000的数字\r\n");
        EntryTexts two = valid("txtHuifen", "x");
        two.insert("txtLiu", "1e13");
        QTest::newRow("letters and a large value, in table order")
            << two << QString::fromUtf8("填写的灰分必须是数字\r\n填写的硫必须是绝对值小于1000000000的数字\r\n");
        EntryTexts all = valid();
        for (const char* box :
             {"txtKuCun", "txtJiage", "txtHuishoulv", "txtHuiRongDian", "txtKeMoxing", "txtGudingtan", "txtNeishui",
              "txtG", "txtY", "txtReliang", "txtShuifen", "txtLiu", "txtHuifafen", "txtHuifen"})
            all.insert(box, "x");
        QTest::newRow("every box wrong, in table order")
            << all
            << QString::fromUtf8("填写的灰分必须是数字\r\n填写的挥发分必须是数字\r\n填写的硫必须是数字\r\n"
                                 "填写的水份必须是数字\r\n填写的铁必须是数字\r\n填写的镍必须是数字\r\n"
                                 "填写的钒必须是数字\r\n填写的硅必须是数字\r\n填写的固定碳必须是数字\r\n"
                                 "填写的铝必须是数字\r\n填写的钙必须是数字\r\n填写的钠必须是数字\r\n"
                                 "填写的价格必须是数字\r\n填写的库存必须是数字\r\n");
    }
    void validate() {
        QFETCH(EntryTexts, texts);
        QFETCH(QString, expected);
        QCOMPARE(ValidateEntry(texts), expected);
    }

    // The box names do not describe their content; each must feed the right property.
    void buildMapsEveryBoxAndRounds() {
        const QDateTime when(QDate(2024, 3, 5), QTime(9, 30));
        const EntryTexts t{{"txtName", " A "},
                           {"txtShuifen", "1"},
                           {"txtLiu", "2"},
                           {"txtHuifen", "8.456"},
                           {"txtHuifafen", "4"},
                           {"txtGudingtan", "5"},
                           {"txtNeishui", "6"},
                           {"txtReliang", "7"},
                           {"txtG", "8"},
                           {"txtY", "9"},
                           {"txtKeMoxing", "10"},
                           {"txtHuiRongDian", "11"},
                           {"txtHuishoulv", "12.005"},
                           {"txtKuCun", "300"},
                           {"txtJiage", "1500.1"}};
        Mei expected;
        expected.id = 7;
        expected.MingCheng = " A ";
        expected.ShuiFen = 1;
        expected.Liu = 2;
        expected.HuiFen = 8.46;
        expected.HuiFaFen = 4;
        expected.GuDingTan = 5;
        expected.NeiShui = 6;
        expected.ReLiang = 7;
        expected.G = 8;
        expected.y = 9;
        expected.KeMoXing = 10;
        expected.HuiRongDian = 11;
        expected.HuiShou = 12.01;
        expected.Kucun = 300;
        expected.JiaGe = 1500.1;
        expected.Riqi = when;
        QCOMPARE(BuildMei(t, 7, when), expected);
    }

    void resize_data() {
        QTest::addColumn<QSize>("inside");
        QTest::addColumn<QSize>("list");
        QTest::addColumn<int>("leftHeight");
        const CatalogueLayout d = CatalogueDesignLayout();
        QTest::newRow("design size") << QSize(11160, 7776) << d.list.size() << d.left.height();
        QTest::newRow("smaller keeps size") << QSize(9000, 6000) << d.list.size() << d.left.height();
        QTest::newRow("larger stretches")
            << QSize(15000, 10000) << QSize(15000 - d.list.left(), 10000 - d.list.top()) << 10000 - d.left.top();
        QTest::newRow("wider only stretches both ways")
            << QSize(12000, 5000) << QSize(12000 - d.list.left(), 5000 - d.list.top()) << 5000 - d.left.top();
        QTest::newRow("never negative") << QSize(12000, 100) << QSize(12000 - d.list.left(), 0) << 0;
    }
    void resize() {
        QFETCH(QSize, inside);
        QFETCH(QSize, list);
        QFETCH(int, leftHeight);
        // From a larger window too: a list bigger than the window would hide its scroll bars.
        for (const QSize before : {QSize(11160, 7776), QSize(16000, 11000)}) {
            const CatalogueLayout l = ResizeCatalogue(ResizeCatalogue(CatalogueDesignLayout(), before), inside);
            QCOMPARE(l.list.size(), list);
            QCOMPARE(l.left.height(), leftHeight);
            QCOMPARE(l.search.right() + 1, inside.width() - 120); // the search bar stays at the right edge
        }
    }
};

QTEST_GUILESS_MAIN(CatalogueCoreTest)
#include "tst_cataloguecore.moc"
