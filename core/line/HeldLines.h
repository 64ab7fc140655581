#pragma once
// The devices and network addresses the lines of this process hold. A second line that wants one
// is refused as a second program would be, and the first keeps working.
#include <QString>

namespace HeldLines {
// What `name` is held under: a device by the file it leads to, a network line by its host and
// port (whatever its kind: it is the same gateway).
QString KeyOf(const QString& name);
// Takes `key` for `holder`; false when another holder has it.
bool Claim(const QString& key, const void* holder);
// Gives `key` back, when `holder` has it.
void Release(const QString& key, const void* holder);
// How many devices and addresses the process holds now.
int Count();
}  // namespace HeldLines
