#pragma once
// Start-up switches, fixed for the whole run by the main window's start-up.
#include <QString>
#include <QStringList>

struct StartupSwitches {
    int FeatureMode = 0;      // service level 0..4
    int FullSerialLists = 0;  // 1: ten baud rates and three parities
    int EnglishUi = 0;        // 1: English texts
    int ComboLeft = 960;      // twips: width of the label column before the serial lists
};

StartupSwitches& Switches();

// The switches set2.rc's three lines give (service level, full lists, English); anything
// missing or garbled is its default. A level that rounds, half to even, outside 0..4 is 0.
StartupSwitches SwitchesOfSet2(const QStringList& lines);

inline bool BeepModeOn() {
    return Switches().FeatureMode == 1 || Switches().FeatureMode == 4;
}
inline bool ServiceButtonsShown() {
    return BeepModeOn();
}
inline bool RegisterWindowAllowed() {
    return Switches().FeatureMode >= 2 && Switches().FeatureMode <= 4;
}
// ComboLeft in pixels at 96 dpi.
inline int ComboLeftPixels() {
    return Switches().ComboLeft * 96 / 1440;
}

// The fifteen model strings in their fixed order; a function-test window's title is its entry.
const QStringList& ModelNames();
