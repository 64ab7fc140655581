#include <QApplication>

#include "app/DesktopPlatform.h"
#include "app/MainWindow.h"
#include "app/SettingsHome.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallDesktopPlatform();
    QApplication::setApplicationName("ORMELIX");
    // The desktop entry this window belongs to, for its icon in the task bar.
    QGuiApplication::setDesktopFileName("zntool");
    SettingsHome::Enter();
    Main main;
    main.Form_Load();
    main.show();
    return app.exec();
}
