// The entry form: checks, saving, the catalogue after a save, vanished lots and repeated requests.
#include "base/gui/WindowHub.h"
#include "catalogue/DaoFunction.h"
#include "catalogue/gui/frmKucun.h"
#include "catalogue/gui/frmUpdate.h"
#include "data/Dbconnection.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <memory>

using namespace vestrel;

namespace {

frmUpdate* entryForm() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<frmUpdate*>(w); f && !f->closing()) return f;
    return nullptr;
}

void type(frmUpdate* f, const QString& box, const QString& text) {
    test::find<QLineEdit>(f, box)->setText(text);
}
QString boxText(frmUpdate* f, const QString& box) {
    return test::find<QLineEdit>(f, box)->text();
}
void submit(frmUpdate* f) {
    test::find<QPushButton>(f, "btnSubmit")->click();
}

qint32 addLot(const QString& name, double ash, double price) {
    Mei lot;
    lot.MingCheng = name;
    lot.HuiFen = ash;
    lot.JiaGe = price;
    SaveMei(lot);
    return qint32(CountMeitan().value_or(0));
}

} // namespace

class UpdateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> folder;
    std::unique_ptr<test::ScriptedInteraction> ui;

private slots:
    void init() {
        folder = std::make_unique<test::TempProgramFolder>();
        ui = std::make_unique<test::ScriptedInteraction>();
        setClock([] { return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)); });
    }
    void cleanup() {
        test::closeAllWindows();
        setClock({});
        QCOMPARE(ui->unexpected, 0);
        ui.reset();
        folder.reset();
    }

    void failedChecksInOneBoxAndNothingSaved() {
        hub::showEntryForm(0);
        frmUpdate* f = entryForm();
        type(f, "txtHuifen", "abc");
        submit(f);
        QCOMPARE(ui->messages().size(), 1);
        const Message m = ui->messages().first();
        QCOMPARE(m.text, QString::fromUtf8("请填写煤名称\r\n请填写煤的价格\r\n填写的灰分必须是数字\r\n"));
        QCOMPARE(m.title, QString());
        QCOMPARE(m.icon, MsgIcon::None);
        QCOMPARE(m.buttons, MsgButtons::Ok);
        QCOMPARE(entryForm(), f); // still open with the input
        QCOMPARE(boxText(f, "txtHuifen"), QString("abc"));
        QCOMPARE(CountMeitan().value(), 0);
        QVERIFY(!hub::isCatalogueWindowLoaded());
    }

    void priceOf1e15RefusedAndNothingSaved() {
        hub::showEntryForm(0);
        frmUpdate* f = entryForm();
        type(f, "txtName", QString::fromUtf8("大庆焦"));
        type(f, "txtJiage", "1e15");
        submit(f);
        QCOMPARE(ui->messageTexts(), QStringList{QString::fromUtf8("填写的价格必须是绝对值小于1000000000的数字\r\n")});
        QCOMPARE(entryForm(), f);
        QCOMPARE(CountMeitan().value(), 0);
    }

    void priceOnlyLotSavedWithZerosAndCatalogueShown() {
        hub::showEntryForm(0); // as the main window's "增加煤种" does
        frmUpdate* f = entryForm();
        type(f, "txtName", QString::fromUtf8("新焦"));
        type(f, "txtJiage", "12");
        submit(f);
        QCOMPARE(ui->messages().size(), 1);
        QCOMPARE(ui->messages().first().text, QString::fromUtf8("添加煤种成功！"));
        QCOMPARE(ui->messages().first().title, QString());
        QCOMPARE(ui->messages().first().icon, MsgIcon::None);
        QVERIFY(!entryForm());

        auto* w = qobject_cast<frmKucun*>(hub::catalogueWindow());
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->listData().rowCount(), 1);
        QCOMPARE(w->listData().cell(0, 1), QString::fromUtf8("新焦"));

        QVERIFY(OpenDb());
        QSqlQuery q(Conn());
        QVERIFY(q.exec("SELECT * FROM meitan"));
        QVERIFY(q.next());
        for (const char* c : {"ShuiFen", "Liu", "HuiFen", "HuiFaFen", "GuDingTan", "NeiShui", "ReLiang", "G", "Y",
                              "KeMoXing", "HuiRongDian", "huishoulv", "kucun", "leixing"})
            QCOMPARE(q.value(c).toDouble(), 0.0);
        QCOMPARE(q.value("JiaGe").toDouble(), 12.0);
        QCOMPARE(q.value("riqi").toString(), QString("2024-05-06 07:08:09"));
        q.finish();
        CloseDb();
    }

    void roundedOnSaveAndShownOnEdit() {
        hub::showEntryForm(0);
        frmUpdate* f = entryForm();
        type(f, "txtName", "A");
        type(f, "txtJiage", "100");
        type(f, "txtHuifen", "8.456");
        submit(f);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(LoadMei(1)->HuiFen, 8.46);

        hub::showEntryForm(1);
        f = entryForm();
        QCOMPARE(f->MeiId, 1);
        QCOMPARE(boxText(f, "txtHuifen"), QString("8.46"));
        QCOMPARE(boxText(f, "txtJiage"), QString("100.00"));
        QCOMPARE(boxText(f, "txtLiu"), QString());
        type(f, "txtName", "A2");
        submit(f);
        QCOMPARE(ui->lastMessageText(), QString::fromUtf8("修改成功！"));
        QCOMPARE(CountMeitan().value(), 1);
        QCOMPARE(LoadMei(1)->MingCheng, QString("A2"));
        auto* w = qobject_cast<frmKucun*>(hub::catalogueWindow());
        QCOMPARE(w->listData().cell(0, 1), QString("A2"));
    }

    void vanishedLotNotSavedAndFormKept() {
        const qint32 id = addLot("A", 5, 10);
        hub::showEntryForm(id);
        frmUpdate* f = entryForm();
        QVERIFY(DeleteMei(id)); // another window deletes it meanwhile
        type(f, "txtName", "A changed");
        submit(f);
        QCOMPARE(ui->messageTexts(), QStringList{QString::fromUtf8("这种煤已经被删除，没有保存。")});
        QCOMPARE(entryForm(), f);
        QCOMPARE(f->MeiId, id);
        QCOMPARE(boxText(f, "txtName"), QString("A changed"));
        QCOMPARE(CountMeitan().value(), 0);
    }

    void requestForAnotherLotReloads() {
        const qint32 a = addLot("A", 1, 10);
        const qint32 b = addLot("B", 2, 20);
        hub::showEntryForm(a);
        frmUpdate* f = entryForm();
        type(f, "txtName", "typed");
        hub::showEntryForm(b);
        QCOMPARE(entryForm(), f);
        QCOMPARE(f->MeiId, b);
        QCOMPARE(boxText(f, "txtName"), QString("B"));
        QCOMPARE(boxText(f, "txtHuifen"), QString("2.00"));
        type(f, "txtHuifen", "9");
        hub::showEntryForm(b); // the same request keeps the input
        QCOMPARE(boxText(f, "txtHuifen"), QString("9"));
        hub::showEntryForm(0);
        QCOMPARE(f->MeiId, 0);
        QCOMPARE(boxText(f, "txtName"), QString());
        QCOMPARE(boxText(f, "txtHuifen"), QString());
    }

    void closedWithoutSavingThenNewIsEmpty() {
        const qint32 a = addLot("A", 1, 10);
        hub::showEntryForm(a);
        frmUpdate* f = entryForm();
        type(f, "txtName", "typed");
        f->close();
        QCOMPARE(f->MeiId, 0);
        QCOMPARE(LoadMei(a)->MingCheng, QString("A"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        hub::showEntryForm(0);
        f = entryForm();
        QCOMPARE(f->MeiId, 0);
        QCOMPARE(boxText(f, "txtName"), QString());
        QVERIFY(ui->calls.isEmpty());
    }

    void unusableDatabaseReported() {
        QFile bad(folder->dbPath());
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a database");
        bad.close();
        hub::showEntryForm(3);
        QVERIFY(!entryForm());
        QCOMPARE(ui->messages().size(), 1);
        QCOMPARE(ui->messages().first().icon, MsgIcon::Critical);
        QVERIFY(!hub::catalogueWindow());
        QCOMPARE(ui->messages().size(), 2);
    }
};

QTEST_MAIN(UpdateTest)
#include "tst_update.moc"
