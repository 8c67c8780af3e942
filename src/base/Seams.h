#pragma once
// The program's side effects that tests must be able to answer: user messages and questions, file
// dialogs, opening a file or address with the system, the program folder, the clock and the screen.

#include <QDateTime>
#include <QRect>
#include <QString>
#include <functional>

namespace vestrel {

enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgResult { Ok, Cancel, Yes, No, Extra };

struct Message {
    QString text;
    QString title; // empty: the product name, like a box given no title
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    // A further button beside the standard ones ("查看原因"); clicking it answers MsgResult::Extra. Empty: none.
    QString extraButton;
};

struct FileDialogRequest {
    // Open: an existing file only (a restore). Save: any name, a new file included (an export).
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString folder;                // initial folder
    QString defaultName;           // initial file name
    QString filter;                // "description|pattern" as the windows give it
    bool confirmOverwrite = false; // Save only: the dialog itself asks before an existing file is chosen
    int* chosenFilter = nullptr;   // when set, gets the filter left selected, counted from 0
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
// A message with one further button; true when the user chose it.
bool showMessageWithExtra(const QString& text, const QString& extraButton, const QString& title = {},
                          MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::Ok);
// A failed database operation's reason, the one way such failures reach the user.
void showDbError(const QString& reason);

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
// The part of the screen that windows may take (without task bars), in pixels; the GUI installs the real one.
// An empty rectangle means no limit is known, which is the case until one is installed.
QRect availableScreenGeometry();
void setAvailableScreenProvider(std::function<QRect()> provider);

// The product name, used as the title of messages given no title of their own.
QString productName();

} // namespace vestrel
