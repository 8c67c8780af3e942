#include "base/Seams.h"

#include <QDir>

namespace vestrel {

namespace {

// Until a window layer installs a real handler, questions are answered with the cautious choice.
class SilentInteraction : public Interaction {
public:
    MsgResult message(const Message& m) override {
        switch (m.buttons) {
        case MsgButtons::Ok:
            return MsgResult::Ok;
        case MsgButtons::OkCancel:
            return MsgResult::Cancel;
        case MsgButtons::YesNo:
            return MsgResult::No;
        }
        return MsgResult::Ok;
    }
    QString fileDialog(const FileDialogRequest&) override { return {}; }
    bool openWithSystem(const QString&) override { return false; }
};

SilentInteraction g_silent;
Interaction* g_default = &g_silent;
Interaction* g_current = nullptr;
QString g_programFolder;
QString g_dataFolder;
std::function<QDateTime()> g_clock;
std::function<double()> g_screenWidth;
std::function<QRect()> g_availableScreen;

} // namespace

Interaction& interaction() {
    return g_current ? *g_current : *g_default;
}

void setInteraction(Interaction* handler) {
    g_current = handler;
}

void setDefaultInteraction(Interaction* handler) {
    g_default = handler ? handler : &g_silent;
}

MsgResult showMessage(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) {
    return interaction().message(Message{text, title, icon, buttons, {}});
}

bool showMessageWithExtra(const QString& text, const QString& extraButton, const QString& title, MsgIcon icon,
                          MsgButtons buttons) {
    return interaction().message(Message{text, title, icon, buttons, extraButton}) == MsgResult::Extra;
}

void showDbError(const QString& reason) {
    showMessage(reason.isEmpty() ? QStringLiteral("数据库操作失败。") : reason, QStringLiteral("数据库错误"),
                MsgIcon::Critical);
}

QString programFolder() {
    return g_programFolder.isEmpty() ? QDir::currentPath() : g_programFolder;
}

void setProgramFolder(const QString& folder) {
    g_programFolder = QDir::cleanPath(folder);
    g_dataFolder.clear();
}

QString programPath(const QString& relative) {
    return QDir(programFolder()).filePath(relative);
}

QString dataFolder() {
    return g_dataFolder.isEmpty() ? programFolder() : g_dataFolder;
}

void setDataFolder(const QString& folder) {
    g_dataFolder = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

QString dataPath(const QString& relative) {
    return QDir(dataFolder()).filePath(relative);
}

QDateTime now() {
    return g_clock ? g_clock() : QDateTime::currentDateTime();
}

void setClock(std::function<QDateTime()> clock) {
    g_clock = std::move(clock);
}

double screenWidthPixels() {
    return g_screenWidth ? g_screenWidth() : 1024.0;
}

void setScreenWidthProvider(std::function<double()> provider) {
    g_screenWidth = std::move(provider);
}

QRect availableScreenGeometry() {
    return g_availableScreen ? g_availableScreen() : QRect();
}

void setAvailableScreenProvider(std::function<QRect()> provider) {
    g_availableScreen = std::move(provider);
}

QString productName() {
    return QStringLiteral("Vestrel");
}

} // namespace vestrel
