// Vestrel: least-cost blends of petroleum-coke lots.

#include "app/Startup.h"
#include "base/Seams.h"
#include "base/gui/QtInteraction.h"
#include "base/gui/WindowHub.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vestrel"));
    vestrel::InstallQtSeams();

    // The program folder is the executable's folder; the program reads no arguments or settings.
    auto startup = vestrel::RunStartup(QCoreApplication::applicationDirPath());
    if (!startup.proceed) return 0;

    vestrel::hub::showStartWindow();
    return QApplication::exec();
}
