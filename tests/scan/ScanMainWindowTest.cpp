// The main window's Bus Scan button at every service level, and a scan row opening its model's
// test window with the panel set to the row's port, settings and address.
#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "base/Switches.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TestPlatform.h"
#include "windows/scan/ScanFrm.h"

TEST(ScanMainWindow, TheButtonIsThereAtEveryLevelAndARowOpensItsTestWindow) {
    for (int level = 0; level <= 4; ++level) {
        for (int english = 0; english <= 1; ++english) {
            ScratchSys sys;
            RecordingPlatform platform;
            sys.WriteFile("set2.rc",
                          QStringLiteral("%1\r\n1\r\n%2\r\n").arg(level).arg(english).toUtf8());
            Main main;
            main.Form_Load();
            main.show();
            EXPECT_TRUE(main.Command_Scan->isVisible()) << level;
            EXPECT_EQ(main.Command_Scan->text(), english ? "Bus Scan" : "总线扫描");
            main.Command_Scan->click();
            auto* scan = qobject_cast<ScanFrm*>(main.Window("ScanFrm"));
            ASSERT_NE(scan, nullptr);
            EXPECT_TRUE(scan->isVisible());
            EXPECT_EQ(scan->windowTitle(), english ? "Bus Scan" : "总线扫描");
            EXPECT_FALSE(main.isVisible());
            if (level != 2) {
                scan->close();
                EXPECT_TRUE(main.isVisible());
                continue;
            }
            emit scan->OpenTestWindow({"ZN330", "COM7", {19200, 'E'}, 42});
            EXPECT_FALSE(scan->isVisible());
            WorkWindow* test = main.Window("ZN330");
            ASSERT_TRUE(test->isVisible());
            EXPECT_FALSE(main.isVisible());
            EXPECT_EQ(test->Panel()->Combo1->currentText(), "COM7");
            EXPECT_EQ(test->Panel()->Combo2->currentText(), "19200");
            EXPECT_EQ(test->Panel()->Combo3->currentText(), english ? "Even" : "偶校验");
            ASSERT_NE(test->AddressList(0), nullptr);
            for (int i = 0; test->AddressList(i); ++i)
                EXPECT_EQ(test->AddressList(i)->currentText(), "42") << i;
            test->close();
            EXPECT_TRUE(main.isVisible());
            EXPECT_TRUE(platform.messages.isEmpty());
        }
    }
}
