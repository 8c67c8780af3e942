// Qt's standard buttons read Chinese whatever the system language: the real message box, not the seam.
#include "app/Startup.h"
#include "base/gui/QtInteraction.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

using namespace vestrel;

namespace {

// Button texts without their keyboard mnemonic ("是(&Y)" reads 是), in the order they stand.
QStringList buttonTexts(QMessageBox* box) {
    QList<QAbstractButton*> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    QStringList texts;
    for (QAbstractButton* b : buttons)
        texts << b->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
    return texts;
}

QMessageBox* openBox() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) return box;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
    return nullptr;
}

} // namespace

class TranslationTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY2(InstallQtTranslation(VESTREL_BIN_DIR),
                 "cannot load " VESTREL_BIN_DIR "/translations/qtbase_zh_CN.qm (the build copies it there)");
    }

    void standardButtonsAreChinese_data() {
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("press");
        QTest::addColumn<MsgResult>("result");
        QTest::newRow("OK") << MsgButtons::Ok << QStringList{"确定"} << "确定" << MsgResult::Ok;
        QTest::newRow("OK/Cancel, OK") << MsgButtons::OkCancel << QStringList{"确定", "取消"} << "确定"
                                       << MsgResult::Ok;
        QTest::newRow("OK/Cancel, Cancel")
            << MsgButtons::OkCancel << QStringList{"确定", "取消"} << "取消" << MsgResult::Cancel;
        QTest::newRow("Yes/No, Yes") << MsgButtons::YesNo << QStringList{"是", "否"} << "是" << MsgResult::Yes;
        QTest::newRow("Yes/No, No") << MsgButtons::YesNo << QStringList{"是", "否"} << "否" << MsgResult::No;
    }

    void standardButtonsAreChinese() {
        QFETCH(MsgButtons, buttons);
        QFETCH(QStringList, texts);
        QFETCH(QString, press);
        QFETCH(MsgResult, result);
        QStringList seen;
        bool pressed = false;
        // Runs inside the box's own event loop: read the buttons, then press one, so nothing waits on a person.
        std::function<void(int)> answer = [&](int triesLeft) {
            QMessageBox* box = openBox();
            if (!box) {
                if (triesLeft > 0) QTimer::singleShot(10, this, [&answer, triesLeft] { answer(triesLeft - 1); });
                return;
            }
            seen = buttonTexts(box);
            for (QAbstractButton* b : box->buttons())
                if (b->text().startsWith(press)) {
                    b->click();
                    pressed = true;
                    return;
                }
            box->reject();
        };
        QTimer::singleShot(0, this, [&answer] { answer(100); });
        QtInteraction qt;
        const MsgResult got = qt.message(Message{"点确定打开，点取消不打开", "提示", MsgIcon::Question, buttons});
        QVERIFY2(!seen.isEmpty(), "no message box was shown");
        std::sort(seen.begin(), seen.end());
        std::sort(texts.begin(), texts.end());
        QCOMPARE(seen, texts);
        QVERIFY(pressed);
        QCOMPARE(got, result);
    }
};

QTEST_MAIN(TranslationTest)
#include "tst_translation.moc"
