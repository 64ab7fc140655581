#include "core/record/TrendTexts.h"

#include "base/Switches.h"

namespace {
QString Pick(bool english, const char* en, const char* zh) {
    return QString::fromUtf8(english ? en : zh);
}
}  // namespace

namespace TrendTexts {
bool English() {
    return Switches().EnglishUi == 1;
}

QString UiText(Ui key, bool english) {
    switch (key) {
        case Trend:
            return Pick(english, "Trend", "趋势");
        case Record:
            return Pick(english, "Record", "记录");
        case Title:
            return Pick(english, "Trend - %1", "趋势 - %1");
        case Pause:
            return Pick(english, "Pause", "暂停");
        case Follow:
            return Pick(english, "Last 10 min", "最近 10 分钟");
        case ZoomIn:
            return Pick(english, "Zoom in", "放大");
        case ZoomOut:
            return Pick(english, "Zoom out", "缩小");
        case Hint:
            return Pick(english, "Wheel: zoom, drag: pan", "滚轮缩放，拖动平移");
        case Time:
            return Pick(english, "Time", "时间");
        case NoValue:
            return Pick(english, "none", "无");
        case FileName:
            return Pick(english, "%1 readings %2.csv", "%1 读数 %2.csv");
        case NoChart:
            return Pick(english,
                        "This build of the program has no trend chart: Qt Charts was not "
                        "available when it was made. Recording readings works as usual.",
                        "此版本的程序没有趋势图：构建时没有 Qt Charts。读数记录照常可用。");
        case UiCount:
            break;
    }
    return QString();
}
}  // namespace TrendTexts
