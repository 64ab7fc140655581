#pragma once
// The start-up sequence that fixes the language and switches for the whole run.
#include <QString>

// Reads set.rc and set2.rc, sets the switches, fills the text table and rewrites both files with
// the effective values (parity word translated). Tolerates missing, short or garbled files.
void RunStartUp();

// A parity word of either language as the word of the current language; other texts unchanged.
QString TranslateParityWord(const QString& word);
