// Every committed seed and reproducer of every fuzz target, fed to the same entry function the
// fuzzer runs. A reproducer is kept for each finding once fixed, so the fault cannot return.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/fuzz/FuzzTargets.h"

namespace {
struct Target {
    const char* name;  // the folder of its inputs below corpus/ and repro/
    int (*fuzzOne)(const uint8_t*, size_t);
};
constexpr Target kTargets[] = {
    {"reply", FuzzReply},         {"reply", FuzzReplyDecode},
    {"settings", FuzzSettings},   {"settings", FuzzSettingsRoundTrip},
    {"simframer", FuzzSimFramer}, {"typedframe", FuzzTypedFrame},
};

// The files of one folder below tests/fuzz/, by name.
QStringList FilesOf(const QString& folder) {
    QDir dir(QStringLiteral(ZN_FUZZ_DIR "/") + folder);
    QStringList paths;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) paths << dir.filePath(name);
    return paths;
}
}  // namespace

TEST(FuzzReplay, EverySeedAndReproducerPasses) {
    SetFuzzFindingsThrow(true);
    for (const Target& target : kTargets) {
        const QStringList seeds = FilesOf(QStringLiteral("corpus/") + target.name);
        EXPECT_FALSE(seeds.isEmpty()) << "no seeds for " << target.name;
        for (const QString& path : seeds + FilesOf(QStringLiteral("repro/") + target.name)) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            const QByteArray input = file.readAll();
            try {
                target.fuzzOne(reinterpret_cast<const uint8_t*>(input.constData()),
                               static_cast<size_t>(input.size()));
            } catch (const FuzzFinding& finding) {
                ADD_FAILURE() << target.name << ": " << path.toStdString() << ": "
                              << finding.what();
            }
        }
    }
    SetFuzzFindingsThrow(false);
}
