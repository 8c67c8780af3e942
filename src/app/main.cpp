// Vestrel: least-cost blends of petroleum-coke lots.

#include "app/Startup.h"
#include "base/Seams.h"
#include "base/gui/QtInteraction.h"
#include "base/gui/WindowHub.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>

int main(int argc, char* argv[]) {
    // Without a desktop Qt would abort with a platform-plugin dump; one clear line says what is missing.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!vestrel::DesktopSessionAvailable(arguments)) {
        std::fprintf(stderr, "%s\n", vestrel::NoDesktopMessage().toUtf8().constData());
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vestrel"));
    vestrel::InstallQtSeams();

    // The program folder is the executable's folder; the program reads no arguments or settings. Qt's
    // Chinese texts come first, so that even the "already running" box has Chinese buttons.
    const QString programFolder = QCoreApplication::applicationDirPath();
    vestrel::InstallQtTranslation(programFolder);
    auto startup = vestrel::RunStartup(programFolder);
    if (!startup.proceed) return 0;

    vestrel::hub::showStartWindow();
    return QApplication::exec();
}
