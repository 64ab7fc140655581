#pragma once
// The command line's own texts in both languages: its messages and its help.
#include <QString>

namespace CliTexts {
enum Key {
    UnknownCommand,    // %1 word
    UnknownOption,     // %1 option, %2 command
    RepeatedOption,    // %1 option
    MissingValue,      // %1 option
    MissingOption,     // %1 option
    NotANumber,        // %1 option, %2 text, %3 low, %4 high
    NotADecimal,       // %1 option, %2 text, %3 low, %4 high
    NotABaud,          // %1 option, %2 text
    NotAParity,        // %1 option, %2 text
    NotAFormat,        // %1 option, %2 text
    NotALanguage,      // %1 option, %2 text
    NotAModel,         // %1 option, %2 text
    NotARegisterType,  // %1 option, %2 text
    FromAfterTo,       // %1 from, %2 to
    PairNeedsCount,    // --count with a pair type
    NotFound,          // search: no module answered
    OtherAddress,      // %1 found address, %2 wanted
    NoReply,           // %1 address
    BadReply,          // %1 address, %2 received text
    NothingToChange,   // set without a new address or settings
    NotInList,         // %1 option, %2 settings
    ReadBackDiffers,   // %1 what was read back
    LogFailed,         // %1 path, %2 reason
    Listening,         // %1 line, %2 settings
    RecordFailed,      // %1 path, %2 reason
    LineFailed,        // %1 line name, %2 why
    Watching,          // %1 lines, %2 modules
    ColRegister,
    ColValue,
    ColTime,
    HelpHint,  // %1 command or empty
    KeyCount
};
// The text in the language the text table was filled in.
QString Text(Key key);
// The help of `command`, or of the program for an empty one.
QString Help(const QString& command);
}  // namespace CliTexts
