#pragma once
// The start-up sequence that fixes the language and switches for the whole run.
#include <QString>
#include <QStringList>

#include "base/Switches.h"

// Reads set.rc and set2.rc, sets the switches, fills the text table and rewrites both files with
// the effective values (parity word translated). Tolerates missing, short or garbled files.
void RunStartUp();

// set2.rc's lines as the start-up rewrites them: the switches in force.
QStringList Set2RcLinesOf(const StartupSwitches& switches);
// set.rc's first four lines as the start-up rewrites them: three lines and a fourth (a device
// path) only when it holds something, the parity word in the current language.
QStringList SetRcLinesAtStartUp(QStringList lines);

// A parity word of either language as the word of the current language; other texts unchanged.
QString TranslateParityWord(const QString& word);
