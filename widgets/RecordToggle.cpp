#include "widgets/RecordToggle.h"

#include <QAbstractButton>

void FollowRecording(QAbstractButton* button, std::function<bool()> recording,
                     std::function<void()> start, std::function<void()> stop) {
    button->setCheckable(true);
    // toggled, not clicked: every way of pressing the button changes its checked state, only
    // some of them click it.
    QObject::connect(button, &QAbstractButton::toggled, button,
                     [button, recording = std::move(recording), start = std::move(start),
                      stop = std::move(stop)](bool checked) {
                         // The owner showing the recording's state, or our own correction below.
                         if (checked == recording()) return;
                         if (checked)
                             start();
                         else
                             stop();
                         button->setChecked(recording());
                     });
}
