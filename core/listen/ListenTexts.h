#pragma once
// The words of the listen-only mode, in either language.
#include <QString>

namespace ListenTexts {
enum Key {
    Button,  // the main window's button
    Title,
    Port,
    Settings,
    Tolerance,
    LateAfter,
    NoReplyAfter,
    Start,
    Stop,
    Modules,
    Listening,  // "Listening on %1 at %2: nothing is sent"
    Stopped,
    CannotListenModbusTcp,  // %1: the line
    FramesHeard,            // %1 frames, %2 noise
    // The module table's columns, in order.
    ColAddress,
    ColModel,
    ColRequests,
    ColReplies,
    ColExceptions,
    ColNoReplies,
    ColBadCrcs,
    ColOtherFaults,
    ColMinMs,
    ColMeanMs,
    ColMaxMs,
    ColLastSeen,
    KeyCount
};
QString Text(Key key, bool english);
}  // namespace ListenTexts
