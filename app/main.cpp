#include <QApplication>

#include "app/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("ORMELIX");
    Main main;
    main.Form_Load();
    main.show();
    return app.exec();
}
