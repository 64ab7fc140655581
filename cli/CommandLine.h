#pragma once
// zntool COMMAND [options]: the windows' work run headless on the core, for scripts. Without a
// command the program opens its main window as always.
#include <QStringList>
#include <QTextStream>

namespace CommandLine {
// The first argument makes a command line: a command's name, or --help / -h.
bool Takes(const QString& firstArgument);
// Runs the command in `args` (the words after the program's name) and gives the exit code:
// 0 done, 1 a negative result, 2 wrong usage, 3 the line failed. Results go to `out`, messages
// to `err` in the language of set2.rc or --lang.
int Run(const QStringList& args, QTextStream& out, QTextStream& err);
}  // namespace CommandLine
