#include "support/TestSupport.h"

#include "data/Dbconnection.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

namespace vestrel::test {

ScriptedInteraction::ScriptedInteraction() {
    setInteraction(this);
}

ScriptedInteraction::~ScriptedInteraction() {
    setInteraction(nullptr);
}

MsgResult ScriptedInteraction::message(const Message& m) {
    calls.append(Call{QStringLiteral("message"), m, {}, {}});
    if (onMessage) onMessage(m);
    if (!answers.isEmpty()) return answers.dequeue();
    if (m.buttons == MsgButtons::Ok) return MsgResult::Ok;
    ++unexpected;
    QTest::qFail(qPrintable(QStringLiteral("unanswered question: ") + m.text), __FILE__, __LINE__);
    return m.buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
}

QString ScriptedInteraction::fileDialog(const FileDialogRequest& r) {
    calls.append(Call{QStringLiteral("file"), {}, r, {}});
    if (!files.isEmpty()) return files.dequeue();
    ++unexpected;
    QTest::qFail(qPrintable(QStringLiteral("unanswered file dialog: ") + r.title), __FILE__, __LINE__);
    return {};
}

bool ScriptedInteraction::openWithSystem(const QString& pathOrUrl) {
    calls.append(Call{QStringLiteral("open"), {}, {}, pathOrUrl});
    return openResult;
}

QList<Message> ScriptedInteraction::messages() const {
    QList<Message> out;
    for (const Call& c : calls)
        if (c.kind == QLatin1String("message")) out << c.message;
    return out;
}

QStringList ScriptedInteraction::messageTexts() const {
    QStringList out;
    for (const Message& m : messages())
        out << m.text;
    return out;
}

QString ScriptedInteraction::lastMessageText() const {
    const QStringList t = messageTexts();
    return t.isEmpty() ? QString() : t.last();
}

QStringList ScriptedInteraction::opened() const {
    QStringList out;
    for (const Call& c : calls)
        if (c.kind == QLatin1String("open")) out << c.target;
    return out;
}

TempProgramFolder::TempProgramFolder() {
    setProgramFolder(m_dir.path());
    SetDbPath(m_dir.filePath(QStringLiteral("coal.dat")));
}

TempProgramFolder::~TempProgramFolder() {
    CloseDb();
    SetDbPath(QString());
}

QString TempProgramFolder::dbPath() const {
    return m_dir.filePath(QStringLiteral("coal.dat"));
}

void closeAllWindows() {
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void deleteAllWindows() {
    QList<QPointer<QWidget>> owned;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!w->parent()) owned << w;
    for (const QPointer<QWidget>& w : owned)
        delete w.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace vestrel::test
