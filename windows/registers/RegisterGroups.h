#pragma once
// The blocks of holding registers the register window reads, and the labels of the system block.
#include <QString>
#include <QStringList>
#include <optional>
#include <span>

struct RegisterGroup {
    const char* entry;  // text in Combo_Sel, the same in both languages
    int first;          // first register of the block
    int count;          // registers read at each poll
};

// The groups Combo_Sel offers: six, and the two adjustment blocks in service levels 3 and 4.
std::span<const RegisterGroup> RegisterGroups(int featureMode);

// The offered group whose entry text is `text` exactly; nothing for a text of the user's own.
std::optional<RegisterGroup> GroupOfEntry(const QString& text, int featureMode);

// Twelve-character labels of system registers 100..115, shown in service level 4.
const QStringList& CommandNames();

// Bytes of a function 3 reply carrying `count` registers: address, function, byte count, data, CRC.
constexpr int ReadReplyBytes(int count) {
    return 5 + 2 * count;
}
