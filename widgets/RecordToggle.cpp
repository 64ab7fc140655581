#include "widgets/RecordToggle.h"

#include <QAbstractButton>
#include <QMetaObject>
#include <memory>

void FollowRecording(QAbstractButton* button, std::function<bool()> recording,
                     std::function<void()> start, std::function<void()> stop) {
    button->setCheckable(true);
    // A question already on its way: a second press before it is put asks nothing more.
    auto asking = std::make_shared<bool>(false);
    // toggled, not clicked: every way of pressing the button changes its checked state, only
    // some of them click it.
    QObject::connect(button, &QAbstractButton::toggled, button,
                     [button, asking, recording = std::move(recording), start = std::move(start),
                      stop = std::move(stop)](bool checked) {
                         // The owner showing the recording's state, or our own correction below.
                         if (checked == recording()) return;
                         if (!checked) {
                             stop();
                             button->setChecked(recording());
                             return;
                         }
                         // Unchecked until a recording really starts.
                         button->setChecked(false);
                         if (*asking) return;
                         *asking = true;
                         // The start may ask for a file in a modal dialog: asked from the event
                         // loop, the press returns at once, and a screen reader that pressed it is
                         // not held waiting.
                         QMetaObject::invokeMethod(
                             button,
                             [button, asking, recording, start] {
                                 if (!recording()) start();
                                 // Not before: the question's own event loop may see the
                                 // button pressed again.
                                 *asking = false;
                                 button->setChecked(recording());
                             },
                             Qt::QueuedConnection);
                     });
}
