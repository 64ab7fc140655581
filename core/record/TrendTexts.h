#pragma once
// The words of the trend chart and the recording of readings, in either language.
#include <QString>

namespace TrendTexts {
enum Ui {
    Trend,   // the button that opens the chart
    Record,  // the toggle that records readings to a file
    Title,   // "Trend - %1"
    Pause,
    Follow,  // back to the last ten minutes, following new readings
    ZoomIn,
    ZoomOut,
    Hint,      // how the mouse zooms and pans
    Time,      // the first column of a recording
    NoValue,   // no reading at the cursor
    FileName,  // the file name offered for a recording: %1 window, %2 date and time
    NoChart,   // the Trend button's answer in a build made without Qt Charts
    UiCount
};
QString UiText(Ui key, bool english);
// The language the program shows.
bool English();
}  // namespace TrendTexts
