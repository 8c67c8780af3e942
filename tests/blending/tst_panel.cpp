#include "base/gui/WindowHub.h"
#include "blending/gui/BlendingGrid.h"
#include "blending/gui/BlendingPanel.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

using namespace vestrel;
using vestrel::test::find;

namespace {

QLineEdit* box(QWidget* root, const char* name, int row) {
    return find<QLineEdit>(root, QLatin1String(name) + u'_' + QString::number(row));
}

void type(QLineEdit* edit, const QString& text) {
    QVERIFY(edit);
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class PanelTest : public QObject {
    Q_OBJECT
private slots:
    void controlsAndTexts() {
        BlendingPanel panel;
        const QStringList cells{"txtMingcheng", "txtQuanshui",    "txtLiu",       "txtHuifen",  "txtHuifafen",
                                "txtGudingtan", "txtNeishui",     "txtReliang",   "txtNianjie", "txtJiaozhi",
                                "txtKeMoxing",  "txtHuiRongDian", "txtHuishoulv", "txtKuCun",   "txtJiage"};
        for (int row = 0; row < 10; ++row) {
            int previousLeft = -1;
            for (const QString& c : cells) {
                auto* edit = box(&panel, c.toLatin1().constData(), row);
                QVERIFY2(edit, qPrintable(c));
                QVERIFY(edit->text().isEmpty() && edit->isEnabled());
                if (previousLeft >= 0) QCOMPARE(edit->x() - previousLeft, 48); // 720 twips
                previousLeft = edit->x();
            }
            auto* chk = find<QCheckBox>(&panel, QStringLiteral("chk_%1").arg(row));
            QVERIFY(chk);
            QCOMPARE(chk->text(), QString::number(row + 1));
            QCOMPARE(find<QPushButton>(&panel, QStringLiteral("btnDel_%1").arg(row))->text(), QStringLiteral("删除"));
        }
        const QStringList targets{"txtNeishuiMax",   "txtQuanshuiMax", "txtReliangMax",     "txtLiuMax",
                                  "txtHuifenMax",    "txtHuifafenMax", "txtNianjieMax",     "txtJiaozhiMax",
                                  "txtGudingtanMin", "txtKemoxingMax", "txtHuirongdianMax", "txtHuiShouMax",
                                  "txtZhongliang"};
        for (const QString& t : targets) {
            auto* edit = find<QLineEdit>(&panel, t);
            QVERIFY2(edit && edit->isEnabled() && edit->text().isEmpty(), qPrintable(t));
        }
        QCOMPARE(find<QGroupBox>(&panel, "fraMid")->title(), QStringLiteral("精煤要达到的指标"));
        QCOMPARE(find<QGroupBox>(&panel, "fraWeiLiang")->title(), QStringLiteral("微量元素指标填写"));
        QCOMPARE(find<QGroupBox>(&panel, "fraBottom")->title(), QStringLiteral("其他选项(可不填，操作不熟练者慎用)"));
        QCOMPARE(find<QPushButton>(&panel, "Command1")->text(), QStringLiteral("开始最低价格配比"));
        QCOMPARE(find<QCheckBox>(&panel, "chkAll")->text(),
                 QStringLiteral("全选 煤前面√(勾选)则表示此种煤必须在配煤时用上"));
        QCOMPARE(find<QLabel>(&panel, "Label2")->text(),
                 QStringLiteral("煤名称和价格请务必填写，所填数据无需填写\"%\"，如全水12.3%请填12.3即可"));
        QCOMPARE(find<QLabel>(&panel, "Label1")->text(),
                 QStringLiteral("注意：用精煤配煤，不要填写回收率。用原煤配煤，所有的指标要填写成试验后的指标，回收率也"
                                "为经过试验后得到精煤的回收率"));
        QVERIFY(!find<QLabel>(&panel, "Label3"));

        const QStringList captions{"", "选焦配比", "清空列表", "开始配煤"};
        const QStringList tips{"", "从仓库中选择煤种导入下面的列表", "将下面列表内的数据全部清空", "点击配煤"};
        QVERIFY(find<QToolBar>(&panel, "tbrMenu"));
        for (int i = 0; i < 4; ++i) {
            auto* action = find<QAction>(&panel, QStringLiteral("tbrMenu_%1").arg(i + 1));
            QVERIFY(action);
            QCOMPARE(action->text(), captions[i]);
            if (i > 0) QCOMPARE(action->toolTip(), tips[i]);
        }
        QStringList labels;
        for (const char* n : {"lbQuanshuiMax", "lbLiuMax", "lbHuifenMax", "lbHuifafenMax", "lbGudingtanMin"})
            labels << find<QLabel>(&panel, n)->text();
        QCOMPARE(labels, (QStringList{"全水<=", "硫分<=", "灰份<=", "挥发份<=", "<=固定碳"}));
        QCOMPARE(find<QLabel>(&panel, "lbZhongliang")->text(), QStringLiteral("必须根据库存所剩配"));
        QCOMPARE(find<QLabel>(&panel, "lbDun")->text(), QStringLiteral("吨"));
    }

    void runButtonShowsFirstMessage_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("Command1") << "Command1";
        QTest::newRow("toolbar 4") << "tbrMenu_4";
    }
    void runButtonShowsFirstMessage() {
        QFETCH(QString, button);
        test::ScriptedInteraction ui;
        BlendingPanel panel;
        int runs = 0;
        panel.setRunHandler([&] { ++runs; });
        type(box(&panel, "txtMingcheng", 0), QStringLiteral("A"));
        type(box(&panel, "txtJiage", 0), QStringLiteral("1500"));
        type(box(&panel, "txtLiu", 0), QStringLiteral("3.2"));
        type(box(&panel, "txtMingcheng", 3), QStringLiteral("B"));
        type(box(&panel, "txtJiage", 3), QStringLiteral("1800"));
        type(box(&panel, "txtLiu", 3), QStringLiteral("1.5"));
        find<QCheckBox>(&panel, "chk_3")->setChecked(true);

        const auto press = [&] {
            if (auto* b = find<QPushButton>(&panel, button))
                b->click();
            else
                find<QAction>(&panel, button)->trigger();
        };
        press();
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("请您至少填写一项您要达到的指标！")});
        const Message shown = ui.messages().first();
        QCOMPARE(shown.title, QString());
        QVERIFY(shown.buttons == MsgButtons::Ok && shown.icon == MsgIcon::None);
        QCOMPARE(runs, 0);
        // The refused run has compacted the rows all the same, and the box went along.
        QCOMPARE(box(&panel, "txtMingcheng", 1)->text(), QStringLiteral("B"));
        QVERIFY(box(&panel, "txtMingcheng", 3)->text().isEmpty());
        QVERIFY(find<QCheckBox>(&panel, "chk_1")->isChecked());
        QVERIFY(!find<QCheckBox>(&panel, "chk_3")->isChecked());

        type(find<QLineEdit>(&panel, "txtLiuMax"), QStringLiteral("2.5"));
        type(find<QLineEdit>(&panel, "txtZhongliang"), QStringLiteral("abc"));
        press();
        QCOMPARE(ui.lastMessageText(), QStringLiteral("请将配多少吨煤填写成数字！"));
        QCOMPARE(runs, 0);

        type(find<QLineEdit>(&panel, "txtZhongliang"), QStringLiteral("50"));
        press();
        QCOMPARE(ui.lastMessageText(),
                 QStringLiteral("你既然要算库存的指标，但是你参与配煤的第1种煤，没有填写库存的值，这怎么计算？"));
        type(box(&panel, "txtKuCun", 0), QStringLiteral("60"));
        type(box(&panel, "txtKuCun", 1), QStringLiteral("100"));
        panel.setSingleLotSeen(true);
        press();
        QCOMPARE(ui.messageTexts().size(), 3);
        QCOMPARE(runs, 1);
        QCOMPARE(panel.panelLots().size(), 2);
        QCOMPARE(panel.panelLots()[1].MingCheng, QStringLiteral("B"));
        QCOMPARE(panel.panelLots()[1].Liu, 1.5);
        QCOMPARE(panel.state().texts.target(3), QStringLiteral("2.5")); // sulphur
        QCOMPARE(panel.state().texts.tonnes, QStringLiteral("50"));
        QVERIFY(panel.state().texts.mustUse[1]);
        QVERIFY(!panel.singleLotSeen());
    }

    void clearDeleteAndSelectAll() {
        BlendingPanel panel;
        QList<Mei> lots;
        for (const char* name : {"A", "B", "C"}) {
            Mei m;
            m.MingCheng = QString::fromUtf8(name);
            m.JiaGe = 1000;
            m.Kucun = 12.3456;
            lots << m;
        }
        panel.SetTxtValue(lots);
        QCOMPARE(box(&panel, "txtKuCun", 2)->text(), QStringLiteral("12.35"));

        find<QCheckBox>(&panel, "chkAll")->click();
        for (int row = 0; row < 10; ++row)
            QVERIFY(find<QCheckBox>(&panel, QStringLiteral("chk_%1").arg(row))->isChecked());

        find<QPushButton>(&panel, "btnDel_1")->click();
        QCOMPARE(box(&panel, "txtMingcheng", 0)->text(), QStringLiteral("A"));
        QVERIFY(box(&panel, "txtMingcheng", 1)->text().isEmpty());
        QVERIFY(box(&panel, "txtJiage", 1)->text().isEmpty());
        QCOMPARE(box(&panel, "txtMingcheng", 2)->text(), QStringLiteral("C"));
        QVERIFY(find<QCheckBox>(&panel, "chk_1")->isChecked());

        type(find<QLineEdit>(&panel, "txtLiuMax"), QStringLiteral("2"));
        find<QAction>(&panel, "tbrMenu_3")->trigger();
        for (int row = 0; row < 10; ++row)
            QVERIFY(box(&panel, "txtMingcheng", row)->text().isEmpty() &&
                    box(&panel, "txtJiage", row)->text().isEmpty());
        QVERIFY(find<QCheckBox>(&panel, "chk_0")->isChecked());
        QCOMPARE(find<QLineEdit>(&panel, "txtLiuMax")->text(), QStringLiteral("2"));

        find<QCheckBox>(&panel, "chkAll")->click();
        QVERIFY(!find<QCheckBox>(&panel, "chk_0")->isChecked());
    }

    void hubFillsTheMainWindowsPanel() {
        QWidget* main = hub::mainWindow();
        QVERIFY(main);
        Mei lot;
        lot.MingCheng = QStringLiteral("甲焦");
        lot.JiaGe = 1800;
        hub::panelSetTxtValue({lot});
        QCOMPARE(box(main, "txtMingcheng", 0)->text(), QStringLiteral("甲焦"));
        QCOMPARE(box(main, "txtJiage", 0)->text(), QStringLiteral("1800.00"));
        QVERIFY(box(main, "txtKuCun", 0)->text().isEmpty());
        delete main;
    }
};

QTEST_MAIN(PanelTest)
#include "tst_panel.moc"
