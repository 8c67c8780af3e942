#include "app/gui/frmConnect.h"
#include "app/gui/frmMain.h"
#include "base/gui/WindowHub.h"
#include "blending/gui/BlendingPanel.h"
#include "catalogue/DaoFunction.h"
#include "catalogue/gui/frmKucun.h"
#include "data/Backup.h"
#include "data/Dbconnection.h"
#include "history/gui/frmLishi.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <memory>

using namespace vestrel;

namespace {

struct Recorded {
    QPointer<QWidget> widget;
    QString tag;
};

// The numbers of a control's tag: left, top, width, height in twips, then the font size.
QList<double> tagNumbers(const QString& tag) {
    QList<double> n;
    for (const QString& part : tag.split(' ', Qt::SkipEmptyParts))
        n << part.toDouble();
    while (n.size() < 5)
        n << 0;
    return n;
}

QWidget* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name) return w;
    return nullptr;
}

QList<QWidget*> visibleTopLevels(const QString& name) {
    QList<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) out << w;
    return out;
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> m_folder;

    // The main window shown with two probe controls of known place and font added to the panel, so the
    // scaling is checked even where the panel has few controls of its own.
    frmMain* shownMainWindow() {
        auto* main = qobject_cast<frmMain*>(hub::mainWindow());
        if (!main) return nullptr;
        auto* label = new QLabel("probe", main->panel());
        label->setObjectName("probeLabel");
        label->setGeometry(30, 40, 120, 24);
        QFont font = label->font();
        font.setPointSizeF(9);
        label->setFont(font);
        auto* frame = new QGroupBox("frame", main->panel());
        frame->setObjectName("probeFrame");
        frame->setGeometry(300, 200, 200, 100);
        auto* box = new QLineEdit(frame);
        box->setObjectName("probeBox");
        box->setGeometry(10, 20, 80, 22);
        font.setPointSizeF(10.5);
        box->setFont(font);
        main->show();
        if (!QTest::qWaitForWindowExposed(main)) return nullptr;
        return main;
    }

    // Resizes so that the OUTER size becomes the given one.
    static void resizeOuter(QWidget* w, int outerWidth, int outerHeight) {
        const QSize frame = w->frameGeometry().size() - w->geometry().size();
        w->resize(outerWidth - frame.width(), outerHeight - frame.height());
        QTRY_COMPARE(w->frameGeometry().size(), QSize(outerWidth, outerHeight));
    }

    static QList<Recorded> taggedControls(QWidget* root) {
        QList<Recorded> out;
        for (QWidget* w : root->findChildren<QWidget*>())
            if (w->property("tag").isValid()) out << Recorded{w, w->property("tag").toString()};
        return out;
    }

private slots:
    void init() { m_folder = std::make_unique<test::TempProgramFolder>(); }

    void cleanup() {
        test::deleteAllWindows();
        m_folder.reset();
    }

    void splashAddsSevenDotsThenOpensMainWindow() {
        test::ScriptedInteraction ui;
        hub::showStartWindow();
        QPointer<QWidget> splash = topLevel("frmConnect");
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QCOMPARE(splash->windowTitle(), QString("正在载入配焦面板，请稍后"));
        auto* label = test::find<QLabel>(splash, "Label1");
        auto* timer = splash->findChild<QTimer*>("Timer1");
        QVERIFY(label && timer);
        QCOMPARE(label->text(), QString("正在载入配焦面板，请稍后"));
        QCOMPARE(timer->interval(), 500);
        QVERIFY(timer->isActive());
        timer->stop(); // the test drives the ticks itself
        QList<QLabel*> images;
        for (int i = 0; i < 4; ++i) {
            images << test::find<QLabel>(splash, QString("imgLoad_%1").arg(i));
            QVERIFY(images.last());
            QVERIFY(!images.last()->pixmap().isNull());
        }
        QVERIFY(visibleTopLevels("frmMain").isEmpty());

        auto* connect = qobject_cast<frmConnect*>(splash.data());
        for (int tick = 1; tick <= 7; ++tick) {
            connect->Timer1_Timer();
            QCOMPARE(label->text(), QString("正在载入配焦面板，请稍后") + QString(tick, '.'));
            // Frames 1, 2, 3, 1, ... appear in the shown image.
            const int frame = (tick - 1) % 3 + 1;
            QCOMPARE(images[0]->pixmap().toImage(), images[frame]->pixmap().toImage());
            QVERIFY(visibleTopLevels("frmMain").isEmpty());
        }
        connect->Timer1_Timer();
        QCOMPARE(visibleTopLevels("frmMain").size(), 1);
        QTRY_VERIFY(splash.isNull());
        QVERIFY(ui.calls.isEmpty());
    }

    void menusAndToolbar() {
        frmMain main;
        // Top-level entries with their items indented; the exit entry is a command without items.
        QStringList menus;
        for (QAction* entry : main.menuBar()->actions()) {
            QMenu* menu = entry->menu();
            menus << (menu ? menu->objectName() : entry->objectName()) + " " + entry->text();
            if (menu)
                for (QAction* item : menu->actions())
                    menus << "  " + item->objectName() + " " + item->text();
        }
        QCOMPARE(menus, (QStringList{"munDacz 仓库存煤(&N)", "  munCangKu 库存情况", "  munADD 增加煤种",
                                     "munSjgl 数据管理(&S)", "  munSJBF 数据备份", "  munSJHY 数据还原",
                                     "munBZ 帮助(&H)", "  munXTBZ 系统帮助", "  munGY 关于", "munTc 退出(&X)"}));

        auto* bar = test::find<QToolBar>(&main, "Toolbar1");
        QVERIFY(bar);
        QStringList buttons;
        for (QAction* a : bar->actions()) {
            buttons << a->objectName() + " " + a->text();
            QCOMPARE(a->icon().isNull(), a->text().isEmpty()); // every captioned button has its picture
        }
        QCOMPARE(buttons, (QStringList{"Toolbar1_1 ", "Toolbar1_2 主界面", "Toolbar1_3 库存", "Toolbar1_4 历史配比",
                                       "Toolbar1_5 ", "Toolbar1_6 手动配比", "Toolbar1_7 退出"}));
        QCOMPARE(bar->iconSize(), QSize(32, 32));
    }

    void commandsOpenTheirWindows_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("window"); // empty: the command does nothing
        QTest::newRow("库存情况") << "munCangKu"
                                  << "frmKucun";
        QTest::newRow("增加煤种") << "munADD"
                                  << "frmUpdate";
        QTest::newRow("库存") << "Toolbar1_3"
                              << "frmKucun";
        QTest::newRow("历史配比") << "Toolbar1_4"
                                  << "frmLishi";
        QTest::newRow("手动配比") << "Toolbar1_6"
                                  << "frmTest";
        QTest::newRow("主界面") << "Toolbar1_2"
                                << "";
        QTest::newRow("button 1") << "Toolbar1_1"
                                  << "";
        QTest::newRow("button 5") << "Toolbar1_5"
                                  << "";
    }
    void commandsOpenTheirWindows() {
        QFETCH(QString, action);
        QFETCH(QString, window);
        test::ScriptedInteraction ui;
        frmMain* main = shownMainWindow();
        QVERIFY(main);
        main->findChild<QAction*>(action)->trigger();
        QStringList shown;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w != main) shown << w->objectName();
        // The loading note is gone again; the window is shown, or nothing is.
        QCOMPARE(shown, window.isEmpty() ? QStringList() : QStringList{window});
        QVERIFY(main->isVisible());
        QVERIFY(ui.calls.isEmpty());
    }

    void helpOpensManualBesideProgram() {
        test::ScriptedInteraction ui;
        frmMain main;
        main.findChild<QAction*>("munXTBZ")->trigger();
        QCOMPARE(ui.opened(), QStringList{QDir(m_folder->path()).filePath("help/index.html")});
        // The manual ships beside the built program and explains the daily work.
        QFile manual(QString(VESTREL_BIN_DIR) + "/help/index.html");
        QVERIFY(manual.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(manual.readAll());
        for (const char* topic : {"焦炭库存", "开始最低价格配比", "历史配比", "导出Excel", "数据备份", "数据还原"})
            QVERIFY2(text.contains(QString::fromUtf8(topic)), topic);
    }

    void bannerOpensHomePage() {
        test::ScriptedInteraction ui;
        frmMain* main = shownMainWindow();
        QVERIFY(main);
        auto* banner = test::find<QLabel>(main, "picBanner");
        QVERIFY(banner && banner->isVisible());
        QTest::mouseClick(banner, Qt::LeftButton, {}, banner->rect().center());
        QCOMPARE(ui.opened(), QStringList{"https://vestrel.example/"});
    }

    void aboutIsModalWithVersion() {
        test::ScriptedInteraction ui;
        frmMain* main = shownMainWindow();
        QVERIFY(main);
        main->findChild<QAction*>("munGY")->trigger();
        auto* about = test::find<QDialog>(main, "frmAbout");
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowModality(), Qt::ApplicationModal);
        QCOMPARE(about->windowTitle(), QString("关于Vestrel"));
        QCOMPARE(test::find<QLabel>(about, "lbAbout")->text(), QString("版本号：1.0"));
        about->close();
        main->findChild<QAction*>("munGY")->trigger();
        QCOMPARE(main->findChildren<QDialog*>("frmAbout").size(), 1); // one About window, shown again
        QVERIFY(about->isVisible());
    }

    void dataMenuRunsBackupAndRestore() {
        test::ScriptedInteraction ui;
        QVERIFY(QDir(m_folder->path()).mkdir("bakup"));
        QVERIFY(CreateDatabaseFile(m_folder->dbPath()));
        frmMain main;
        main.findChild<QAction*>("munSJBF")->trigger();
        QVERIFY(ui.lastMessageText().startsWith(QString("数据已备份到  ")));
        ui.files.enqueue(QString());
        main.findChild<QAction*>("munSJHY")->trigger();
        QCOMPARE(ui.calls.last().file.title, QString("选择还原文件"));
    }

    void restoreReloadsOpenWindows() {
        test::ScriptedInteraction ui;
        QVERIFY(QDir(m_folder->path()).mkdir("bakup"));
        Mei lot;
        lot.MingCheng = "A";
        QCOMPARE(SaveMei(lot), SaveResult::Saved);
        frmMain main;
        main.findChild<QAction*>("munSJBF")->trigger(); // the backup holds lot A and no run
        lot.MingCheng = "B";
        QCOMPARE(SaveMei(lot), SaveResult::Saved);
        QVERIFY(OpenDb());
        QVERIFY(QSqlQuery(Conn()).exec("INSERT INTO Lishi_fangan (xinxi) VALUES ('run')"));
        CloseDb();
        hub::showCatalogueWindow();
        hub::showHistoryWindow();
        auto* catalogue = qobject_cast<frmKucun*>(topLevel("frmKucun"));
        auto* history = qobject_cast<frmLishi*>(topLevel("frmLishi"));
        QVERIFY(catalogue && history);
        QCOMPARE(catalogue->listData().rowCount(), 2);
        QCOMPARE(history->leftList().rowCount(), 1);

        ui.files.enqueue(BackupFilePath(now().date()));
        ui.answers.enqueue(MsgResult::Yes);
        main.findChild<QAction*>("munSJHY")->trigger();
        QCOMPARE(ui.lastMessageText(), QString("数据已经成功还原！请重新登陆 "));
        QCOMPARE(catalogue->listData().rowCount(), 1);
        QCOMPARE(catalogue->listData().cell(0, 1), QString("A"));
        QCOMPARE(test::find<QLabel>(catalogue, "labCONUT")->text(), QString("1 种"));
        QCOMPARE(history->leftList().rowCount(), 0);
        QCOMPARE(history->zhibiaoText(), QString());
    }

    void resizeScalesEveryControl_data() {
        QTest::addColumn<double>("fx");
        QTest::addColumn<double>("fy");
        QTest::newRow("twice as large") << 2.0 << 2.0;
        QTest::newRow("twice as wide") << 2.0 << 1.0;
        QTest::newRow("twice as high") << 1.0 << 2.0;
        QTest::newRow("back to the original") << 1.0 << 1.0;
    }
    void resizeScalesEveryControl() {
        QFETCH(double, fx);
        QFETCH(double, fy);
        frmMain* main = shownMainWindow();
        QVERIFY(main);
        const QSize outer = main->frameGeometry().size();
        QCOMPARE(main->OrigWidth(), outer.width() * 15);
        QCOMPARE(main->OrigHeight(), outer.height() * 15);
        auto* label = test::find<QLabel>(main, "probeLabel");
        QCOMPARE(label->property("tag").toString(), QString("450 600 1800 360 9 "));
        QCOMPARE(test::find<QLineEdit>(main, "probeBox")->property("tag").toString(),
                 QString("150 300 1200 330 10.5 "));
        // The panel's own controls, inside frames and inside the grid, are recorded as well.
        for (const char* name : {"txtMingcheng_0", "txtJiage_9", "chk_0", "btnDel_9", "chkAll", "tbrMenu", "fraMid",
                                 "txtLiuMax", "txtZhongliang", "Command1"}) {
            auto* control = test::find(main, name);
            QVERIFY2(control && control->property("tag").isValid(), name);
        }
        const QList<Recorded> controls = taggedControls(main);

        resizeOuter(main, qRound(outer.width() * 1.5), qRound(outer.height() * 1.5)); // scaling starts from the load
        resizeOuter(main, qRound(outer.width() * fx), qRound(outer.height() * fy));

        const double rf = std::min(fx, fy);
        for (const Recorded& c : controls) {
            QVERIFY(c.widget);
            const QString name = c.widget->objectName();
            if (name == "picBanner") continue; // placed by its own rule
            const QList<double> n = tagNumbers(c.tag);
            const QRect expected(qRound(n[0] * fx / 15), qRound(n[1] * fy / 15), qRound(n[2] * fx / 15),
                                 qRound(n[3] * fy / 15));
            if (name == "chkAll") {
                QCOMPARE(c.widget->pos(), expected.topLeft());
                QCOMPARE(c.widget->width(), 400); // 6000 twips
            } else {
                QVERIFY2(c.widget->geometry() == expected, qPrintable(name));
            }
            if (n[4] > 0) QVERIFY2(qFuzzyCompare(c.widget->font().pointSizeF(), n[4] * rf), qPrintable(name));
        }
        QCOMPARE(label->geometry(), QRect(qRound(30 * fx), qRound(40 * fy), qRound(120 * fx), qRound(24 * fy)));
        QCOMPARE(label->font().pointSizeF(), 9 * rf);
    }

    void bannerStaysAtTheRightEdge_data() {
        QTest::addColumn<int>("outerWidth");
        QTest::newRow("narrow") << 900;
        QTest::newRow("wide") << 1600;
        QTest::newRow("very wide") << 2400;
    }
    void bannerStaysAtTheRightEdge() {
        QFETCH(int, outerWidth);
        frmMain* main = shownMainWindow();
        QVERIFY(main);
        resizeOuter(main, outerWidth, main->frameGeometry().height());
        auto* banner = test::find<QLabel>(main, "picBanner");
        QCOMPARE(banner->width() * 15, 7500);
        QVERIFY(qAbs(banner->height() * 15 - 680) < 15);
        const int left = banner->mapTo(main, QPoint(0, 0)).x();
        QVERIFY2(qAbs(left * 15 - (outerWidth * 15 - 7600)) < 15, qPrintable(QString::number(left)));
    }

    void minimisingChangesNothing() {
        frmMain* main = shownMainWindow();
        QVERIFY(main);
        auto* label = test::find<QLabel>(main, "probeLabel");
        const QRect before = label->geometry();
        const QSize size = main->size();
        main->setWindowState(Qt::WindowMinimized);
        main->resize(size / 4);
        QCoreApplication::processEvents();
        QCOMPARE(label->geometry(), before);
        QCOMPARE(label->font().pointSizeF(), 9.0);
    }

    void exitAsksFirst_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<MsgResult>("answer");
        QTest::newRow("menu, No") << "munTc" << MsgResult::No;
        QTest::newRow("menu, Yes") << "munTc" << MsgResult::Yes;
        QTest::newRow("toolbar, No") << "Toolbar1_7" << MsgResult::No;
        QTest::newRow("toolbar, Yes") << "Toolbar1_7" << MsgResult::Yes;
    }
    void exitAsksFirst() {
        QFETCH(QString, command);
        QFETCH(MsgResult, answer);
        test::ScriptedInteraction ui;
        frmMain* main = shownMainWindow();
        QVERIFY(main);
        hub::showCatalogueWindow();
        hub::showEntryForm(0);
        const auto visibleWindows = [] {
            int n = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                n += w->isVisible();
            return n;
        };
        QCOMPARE(visibleWindows(), 3);
        ui.answers.enqueue(answer);
        main->findChild<QAction*>(command)->trigger();
        QCOMPARE(ui.messages().size(), 1);
        const Message m = ui.messages().first();
        QCOMPARE(m.text, QString("确认要退出系统吗?"));
        QCOMPARE(m.title, QString("提示"));
        QCOMPARE(m.icon, MsgIcon::Information);
        QCOMPARE(m.buttons, MsgButtons::YesNo);
        // No keeps every window; Yes closes them all.
        QCOMPARE(visibleWindows(), answer == MsgResult::No ? 3 : 0);
    }

    void closingTheFrameAsksNothing() {
        test::ScriptedInteraction ui;
        frmMain* main = shownMainWindow();
        QVERIFY(main);
        QVERIFY(main->close());
        QVERIFY(ui.calls.isEmpty());
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
