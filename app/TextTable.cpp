#include "app/TextTable.h"

#include <array>

namespace {
constexpr int kCount = static_cast<int>(TextKey::Count);

struct Entry {
    const char* name;
    const char* chinese;
    const char* english;
};

constexpr std::array<Entry, kCount> kEntries = {{
#define ZN_TEXT_ENTRY(key, zh, en) {#key, zh, en},
    ZN_TEXT_KEYS(ZN_TEXT_ENTRY)
#undef ZN_TEXT_ENTRY
}};

std::array<QString, kCount>& Table() {
    static std::array<QString, kCount> table;
    return table;
}
}  // namespace

namespace TextTable {
void Fill(bool english) {
    for (int i = 0; i < kCount; ++i)
        Table()[i] = QString::fromUtf8(english ? kEntries[i].english : kEntries[i].chinese);
}

const QString& Text(TextKey key) { return Table()[static_cast<int>(key)]; }

QString KeyName(TextKey key) { return QString::fromLatin1(kEntries[static_cast<int>(key)].name); }
}  // namespace TextTable
