#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "app/ConsoleStreams.h"
#include "app/DesktopPlatform.h"
#include "app/MainWindow.h"
#include "base/SettingsHome.h"
#include "cli/CommandLine.h"

int main(int argc, char** argv) {
    // A command runs headless: no display, no widgets, the settings read where they lie.
    if (argc > 1 && CommandLine::Takes(QString::fromLocal8Bit(argv[1]))) {
        QCoreApplication app(argc, argv);
        PrepareConsoleStreams();
        QTextStream out(stdout), err(stderr);
        return CommandLine::Run(QCoreApplication::arguments().mid(1), out, err);
    }
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
