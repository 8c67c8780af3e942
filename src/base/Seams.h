#pragma once
// The program's side effects that tests must be able to answer: user messages and questions, file
// dialogs, opening a file or address with the system, the program folder, the clock and the screen.

#include <QDateTime>
#include <QString>
#include <functional>

namespace vestrel {

enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgResult { Ok, Cancel, Yes, No };

struct Message {
    QString text;
    QString title; // empty: the product name, like a box given no title
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString folder;      // initial folder
    QString defaultName; // initial file name
    QString filter;      // "description|pattern" as the windows give it
    bool confirmOverwrite = false;
};

// Every user message, file dialog and shell "open" of the program goes through one Interaction.
class Interaction {
public:
    virtual ~Interaction() = default;
    virtual MsgResult message(const Message& m) = 0;
    // Returns the chosen path, or an empty text when the user cancelled.
    virtual QString fileDialog(const FileDialogRequest& r) = 0;
    // Opens a file path or an address with the system's handler; false when nothing could open it.
    virtual bool openWithSystem(const QString& pathOrUrl) = 0;
};

Interaction& interaction();
// Installs the handler; the caller keeps ownership. nullptr restores the default one.
void setInteraction(Interaction* handler);
// The default used before the GUI installs its own: answers nothing and records nothing.
void setDefaultInteraction(Interaction* handler);

// Convenience wrappers used by the windows.
MsgResult showMessage(const QString& text, const QString& title = {}, MsgIcon icon = MsgIcon::None,
                      MsgButtons buttons = MsgButtons::Ok);

// The folder that holds the executable; tests point it at a temporary folder.
QString programFolder();
void setProgramFolder(const QString& folder);
// A path inside the program folder, built with native separators left to Qt.
QString programPath(const QString& relative);

// The folder of the user's data (database, backups, model file). It follows the program folder until set
// apart, as when the program folder is read-only; setProgramFolder makes it follow again.
QString dataFolder();
void setDataFolder(const QString& folder);
QString dataPath(const QString& relative);

// The clock (backup names, default export names); tests fix it.
QDateTime now();
void setClock(std::function<QDateTime()> clock); // empty function restores the real clock

// Screen width in pixels; the GUI installs the real one, tests fix it.
double screenWidthPixels();
void setScreenWidthProvider(std::function<double()> provider);

// The product name, used as the title of messages given no title of their own.
QString productName();

} // namespace vestrel
