#pragma once
// Test helpers: a scripted interaction seam, a temporary program folder, widget lookup.

#include "base/Seams.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>

namespace vestrel::test {

// Records every message, dialog and open request, and answers from queues. A question (anything but a
// plain OK box) or a file dialog with nothing queued fails the running test instead of blocking.
class ScriptedInteraction : public Interaction {
public:
    ScriptedInteraction();           // installs itself
    ~ScriptedInteraction() override; // uninstalls itself

    struct Call {
        QString kind; // "message", "file", "open"
        Message message;
        FileDialogRequest file;
        QString target;
    };

    QList<Call> calls;
    QQueue<MsgResult> answers;
    QQueue<QString> files;
    bool openResult = true;
    // Runs when a message arrives, before it is answered (for example to look at widgets meanwhile).
    std::function<void(const Message&)> onMessage;

    MsgResult message(const Message& m) override;
    QString fileDialog(const FileDialogRequest& r) override;
    bool openWithSystem(const QString& pathOrUrl) override;

    QList<Message> messages() const;
    QStringList messageTexts() const;
    QString lastMessageText() const;
    QStringList opened() const;
    int unexpected = 0; // calls that found nothing queued
};

// A temporary folder set as the program folder, with the database path inside it.
class TempProgramFolder {
public:
    TempProgramFolder();
    ~TempProgramFolder();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString dbPath() const;

private:
    QTemporaryDir m_dir;
};

// Ends a case's windows: closes every top-level window, or deletes every one without a parent, and carries out
// the deletions they queued.
void closeAllWindows();
void deleteAllWindows();

// The child with that objectName, or nullptr.
template <class T = QWidget> T* find(QObject* root, const QString& name) {
    return root ? root->findChild<T*>(name) : nullptr;
}

} // namespace vestrel::test
