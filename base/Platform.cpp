#include "base/Platform.h"

#include <QMessageBox>
#include <QThread>

namespace {
class DesktopPlatform : public Platform {
  public:
    void ShowMessage(const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok);
        box.exec();
    }
    void Wait(int milliseconds) override { QThread::msleep(milliseconds); }
    void Beep(int frequencyHz, int milliseconds) override { PlayTone(frequencyHz, milliseconds); }
};

Platform* installed = nullptr;
}  // namespace

Platform& CurrentPlatform() {
    static DesktopPlatform desktop;
    return installed ? *installed : desktop;
}

void InstallPlatform(Platform* platform) {
    installed = platform;
}
