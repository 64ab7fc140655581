#include "app/DesktopPlatform.h"

#include <QMessageBox>
#include <QThread>

void DesktopPlatform::ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok);
    box.exec();
}

void DesktopPlatform::Wait(int milliseconds) {
    QThread::msleep(milliseconds);
}

void DesktopPlatform::Beep(int frequencyHz, int milliseconds) {
    PlayTone(frequencyHz, milliseconds);
}

void InstallDesktopPlatform() {
    static DesktopPlatform desktop;
    InstallPlatform(&desktop);
}
