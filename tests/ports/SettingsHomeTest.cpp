// Where the settings live: a working folder with sys/ as always, else the user's own folder,
// filled from the shipped defaults without ever replacing what the user changed.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/SettingsHome.h"

namespace {
void Write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}
}  // namespace

TEST(SettingsHome, AWorkingFolderWithSysIsKeptElseTheUsersFolderIsSeeded) {
    struct Case {
        const char* what;
        bool workHasSys;
        QByteArray userSetRc;   // the user's set.rc before, empty: no user folder yet
        bool shipped;           // the installation ships its defaults
        bool inUserFolder;      // expected: work in the user's folder
        QByteArray setRcAfter;  // the user's set.rc after ("(missing)": none)
    } cases[] = {
        {"run from a folder with sys/", true, "", true, false, "(missing)"},
        {"first start from the menu", false, "", true, true, "1\r\n9600\r\nNone\r\n"},
        {"later start: the user's set.rc stays", false, "7\r\n19200\r\nEven\r\n", true, true,
         "7\r\n19200\r\nEven\r\n"},
        {"nothing shipped, nothing kept", false, "", false, false, "(missing)"},
        {"nothing shipped, the user's kept", false, "7\r\n19200\r\nEven\r\n", false, true,
         "7\r\n19200\r\nEven\r\n"},
    };
    for (const Case& c : cases) {
        QTemporaryDir root;
        const QString work = root.path() + "/work",
                      user = root.path() + "/home/.local/share/zntool",
                      shipped = root.path() + "/usr/share/zntool/sys";
        QDir().mkpath(work);
        if (c.workHasSys) Write(work + "/sys/set.rc", "3\r\n4800\r\nNone\r\n");
        if (!c.userSetRc.isEmpty()) Write(user + "/sys/set.rc", c.userSetRc);
        if (c.shipped) {
            Write(shipped + "/set.rc", "1\r\n9600\r\nNone\r\n");
            Write(shipped + "/set2.rc", "0\r\n0\r\n0\r\n");
            Write(shipped + "/tm.rc", "Poll       00200\r\n");
            Write(shipped + "/kv.ic", "icon");
            QFile::setPermissions(shipped + "/set.rc", QFile::ReadOwner | QFile::ReadOther);
        }
        const QString chosen =
            SettingsHome::Prepare(work, user, {root.path() + "/absent", shipped});
        EXPECT_EQ(chosen, c.inUserFolder ? user : work) << c.what;
        EXPECT_EQ(Read(user + "/sys/set.rc"), c.setRcAfter) << c.what;
        if (c.inUserFolder && c.shipped) {
            for (const char* name : {"set2.rc", "tm.rc", "kv.ic"})
                EXPECT_EQ(Read(user + "/sys/" + name), Read(shipped + "/" + name)) << c.what;
            // The copies are the user's to rewrite, whatever the installed files' mode.
            EXPECT_TRUE(QFile::permissions(user + "/sys/set.rc") & QFile::WriteOwner) << c.what;
        }
        EXPECT_EQ(QFileInfo::exists(work + "/sys"), c.workHasSys) << c.what;
    }
}
