// Settings files: whatever is on disk, reading never fails and rewriting never truncates.
#include <gtest/gtest.h>

#include <QStringEncoder>

#include "base/SettingsFiles.h"
#include "tests/support/PtyPeer.h"

using SettingsFiles::IntervalOfTmLine;
using SettingsFiles::LeadingNumber;
using SettingsFiles::ReadLines;

TEST(SettingsFiles, ReadsTheFirstLinesOfAnyFile) {
    ScratchSys sys;
    const QString path = "sys/x.rc";
    struct Case {
        QByteArray content;
        QStringList lines;
    } cases[] = {
        {"1\r\n9600\r\nNone\r\nextra\r\n", {"1", "9600", "None"}},
        {"1\n9600\nNone", {"1", "9600", "None"}},
        {"", {"", "", ""}},
        {"3\r\n", {"3", "", ""}},
        {"\r\n\r\n", {"", "", ""}},
    };
    for (const Case& c : cases) {
        sys.WriteFile("x.rc", c.content);
        EXPECT_EQ(ReadLines(path, 3), c.lines) << c.content.toStdString();
    }
    EXPECT_EQ(ReadLines("sys/missing.rc", 3), QStringList({"", "", ""}));
    EXPECT_EQ(ReadLines("sys", 3), QStringList({"", "", ""}));  // a directory

    // Chinese words written by a Chinese Windows installation.
    QStringEncoder gb("GB18030");
    sys.WriteFile("x.rc", "3\r\n19200\r\n" + QByteArray(gb.encode(QString("奇校验"))) + "\r\n");
    EXPECT_EQ(ReadLines(path, 3)[2], "奇校验");
    sys.WriteFile("x.rc", QString("3\r\n19200\r\n偶校验\r\n").toUtf8());
    EXPECT_EQ(ReadLines(path, 3)[2], "偶校验");

    // Binary garbage and a 1 MB line: some text comes back, nothing breaks.
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage.append(static_cast<char>((i * 37) & 0xFF));
    sys.WriteFile("x.rc", garbage);
    EXPECT_EQ(ReadLines(path, 3).size(), 3);
    sys.WriteFile("x.rc", QByteArray(1 << 20, '7') + "\r\n2\r\n");
    const QStringList huge = ReadLines(path, 2);
    EXPECT_LE(huge[0].size(), 4096);
    EXPECT_EQ(huge[1], "2");
}

TEST(SettingsFiles, RewriteReplacesExistingFilesOnlyAndWholly) {
    ScratchSys sys;
    sys.WriteFile("x.rc", "a long old content\r\nline 2\r\nline 3\r\nline 4\r\n");
    EXPECT_TRUE(SettingsFiles::RewriteLines("sys/x.rc", {"1", "9600", "偶校验"}));
    EXPECT_EQ(sys.ReadFile("x.rc"), QString("1\r\n9600\r\n偶校验\r\n").toUtf8());
    EXPECT_FALSE(SettingsFiles::RewriteLines("sys/none.rc", {"1"}));
    EXPECT_FALSE(QFile::exists("sys/none.rc"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir("sys").entryList(QDir::Files).filter("x.rc").size(), 1);
}

TEST(SettingsFiles, NumbersAndTimerColumns) {
    EXPECT_EQ(LeadingNumber("4"), 4);
    EXPECT_EQ(LeadingNumber("  12abc"), 12);
    EXPECT_EQ(LeadingNumber("-3"), -3);
    EXPECT_EQ(LeadingNumber("2.5x"), 2.5);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("."), 0);
    EXPECT_EQ(LeadingNumber("１"), 0);  // a full-width digit is no number

    EXPECT_EQ(IntervalOfTmLine("Poll time: 00200"), 200);
    EXPECT_EQ(IntervalOfTmLine("Poll time: 00200 ms, anything"), 200);
    EXPECT_EQ(IntervalOfTmLine("Poll time: 150ms"), 150);
    EXPECT_EQ(IntervalOfTmLine("Poll time: ms"), 0);
    EXPECT_EQ(IntervalOfTmLine("short"), 0);
    EXPECT_EQ(IntervalOfTmLine("12345678901"), 0);
    EXPECT_EQ(IntervalOfTmLine("Poll time: 99999"), 0);  // no usable interval
    EXPECT_EQ(IntervalOfTmLine("Poll time:  7"), 7);
}
