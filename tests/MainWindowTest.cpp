// Start-up: switches, language and the rewrite of the settings files, whatever they hold.
#include <gtest/gtest.h>

#include <QFile>

#include "app/MainWindow.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "workwindow/WorkWindow.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"

namespace {
QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}
}  // namespace

TEST(StartUp, SwitchesComeFromSet2RcAndAreWrittenBackAsUsed) {
    struct Case {
        QByteArray set2;
        int featureMode, fullLists, english;
        QByteArray rewritten;
    } cases[] = {
        {"4\r\n1\r\n1\r\n", 4, 1, 1, "4\r\n1\r\n1\r\n"},
        {"9\r\n0\r\n0\r\n", 0, 0, 0, "0\r\n0\r\n0\r\n"},
        {"7\r\n1\r\nabc\r\n", 0, 1, 0, "0\r\n1\r\n0\r\n"},
        {"2\n0\n2\n", 2, 0, 0, "2\r\n0\r\n0\r\n"},
        {"1", 1, 0, 0, "1\r\n0\r\n0\r\n"},
        {"", 0, 0, 0, "0\r\n0\r\n0\r\n"},
        {"\xff\xfe\x00garbage", 0, 0, 0, "0\r\n0\r\n0\r\n"},
        // Rounded half to even; a level rounding outside 0..4 is 0, however far outside.
        {"4.5\r\n0\r\n0\r\n", 4, 0, 0, "4\r\n0\r\n0\r\n"},
        {"4.6\r\n0\r\n0\r\n", 0, 0, 0, "0\r\n0\r\n0\r\n"},
        {"-0.4\r\n0\r\n0\r\n", 0, 0, 0, "0\r\n0\r\n0\r\n"},
        {"-1\r\n0\r\n0\r\n", 0, 0, 0, "0\r\n0\r\n0\r\n"},
        {"-99999999999\r\n1\r\n0\r\n", 0, 1, 0, "0\r\n1\r\n0\r\n"},
    };
    for (const Case& c : cases) {
        ScratchSys sys;
        sys.WriteFile("set2.rc", c.set2);
        Main main;
        main.Form_Load();
        EXPECT_EQ(Switches().FeatureMode, c.featureMode) << c.set2.toStdString();
        EXPECT_EQ(Switches().FullSerialLists, c.fullLists) << c.set2.toStdString();
        EXPECT_EQ(Switches().EnglishUi, c.english) << c.set2.toStdString();
        EXPECT_EQ(Switches().ComboLeft, c.english ? 1320 : 960);
        EXPECT_EQ(sys.ReadFile("set2.rc"), c.rewritten) << c.set2.toStdString();
        EXPECT_EQ(main.Command1[2]->isVisibleTo(&main), c.featureMode >= 2);
    }
}

TEST(StartUp, ParityWordIsTranslatedIntoTheLanguageOfTheRun) {
    ScratchSys sys;
    sys.WriteFile("set.rc", QString("3\r\n19200\r\n奇校验\r\n").toUtf8());
    sys.WriteFile("set2.rc", "0\r\n0\r\n1\r\n");
    Main english;
    english.Form_Load();
    EXPECT_EQ(sys.ReadFile("set.rc"), "3\r\n19200\r\nOdd\r\n");
    sys.WriteFile("set2.rc", "0\r\n0\r\n0\r\n");
    sys.WriteFile("set.rc", "3\r\n19200\r\nEven\r\n");
    Main chinese;
    chinese.Form_Load();
    EXPECT_EQ(sys.ReadFile("set.rc"), QString("3\r\n19200\r\n偶校验\r\n").toUtf8());
    sys.WriteFile("set.rc", "3\r\n19200\r\nMark\r\n");
    chinese.Form_Load();
    EXPECT_EQ(sys.ReadFile("set.rc"), "3\r\n19200\r\nMark\r\n");
}

TEST(StartUp, MissingFilesLeaveTheDefaultsAndCreateNothing) {
    ScratchSys sys;
    QFile::remove("sys/set.rc");
    QFile::remove("sys/set2.rc");
    QFile::remove("sys/tm.rc");
    Main main;
    main.Form_Load();
    EXPECT_EQ(Switches().FeatureMode, 0);
    EXPECT_EQ(Switches().EnglishUi, 0);
    EXPECT_EQ(main.windowTitle(), "ORMELIX模块调试软件_V1.42S");
    EXPECT_FALSE(QFile::exists("sys/set.rc"));
    EXPECT_FALSE(QFile::exists("sys/set2.rc"));
}

TEST(MainWindow, ModelListsCaptionsAndUnknownModels) {
    ScratchSys sys;
    RecordingPlatform platform;
    Main main;
    main.Form_Load();
    EXPECT_EQ(Items(main.Combo_Model),
              QStringList({"ZN220", "ZN230", "ZN240", "ZN250", "ZN260", "ZN270", "ZN310", "ZN320",
                           "ZN330", "ZN340", "ZN350", "ZN410", "ZN420", "ZN430"}));
    EXPECT_EQ(main.Combo_Model->currentText(), "Combo_Model");
    EXPECT_EQ(main.Label1->text(), "模块型号选择");
    EXPECT_EQ(main.Command1[0]->text(), "功能调试");
    EXPECT_FALSE(main.Command1[2]->isVisibleTo(&main));

    for (const QString& text : {QString("Combo_Model"), QString("zn210"), QString(""),
                                QString("ZN 210"), QString("ZN999")}) {
        main.Combo_Model->setEditText(text);
        main.Command1_Click(0);
    }
    EXPECT_EQ(platform.messages.size(), 5);
    EXPECT_EQ(platform.messages.filter("请选择模块型号！").size(), 5);

    sys.WriteFile("set2.rc", "3\r\n0\r\n1\r\n");
    main.Form_Load();
    EXPECT_EQ(Items(main.Combo_Model).size(), 13);
    EXPECT_FALSE(Items(main.Combo_Model).contains("ZN430"));
    EXPECT_EQ(main.windowTitle(), "ORMELIX Debugging Software_V1.42S");
    EXPECT_EQ(main.Command1[2]->text(), "Register RD/WR");
    EXPECT_TRUE(main.Command1[2]->isVisibleTo(&main));
    main.Combo_Model->setEditText("zn220");
    main.Command1_Click(0);
    EXPECT_EQ(platform.messages.last(), "Please select module model！");
}

TEST(MainWindow, EveryWindowOpensOnceAndHandsBackToTheMainWindow) {
    ScratchSys sys;
    RecordingPlatform platform;
    sys.WriteFile("set2.rc", "4\r\n0\r\n1\r\n");
    Main main;
    main.Form_Load();
    main.show();
    QStringList keys = ModelNames();
    keys << "SetFrm"
         << "SysFrm";
    for (const QString& key : keys) {
        WorkWindow* window = main.Window(key);
        ASSERT_NE(window, nullptr) << key.toStdString();
        EXPECT_EQ(main.Window(key), window);
    }
    // Typed ZN210 (never listed) and the English-unlisted ZN430 open their windows.
    for (const QString& model : {QString("ZN210"), QString("ZN430"), QString("ZN330")}) {
        main.Combo_Model->setEditText(model);
        main.Command1_Click(0);
        WorkWindow* window = main.Window(model);
        EXPECT_TRUE(window->isVisible()) << model.toStdString();
        EXPECT_EQ(window->windowTitle(), model);
        EXPECT_FALSE(main.isVisible());
        window->close();
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(main.isVisible());
    }
    main.Command1_Click(1);
    EXPECT_EQ(main.Window("SetFrm")->windowTitle(), "Parameter Setting");
    main.Window("SetFrm")->close();
    main.Command1_Click(2);
    EXPECT_EQ(main.Window("SysFrm")->windowTitle(), "Register Reading / Writing");
    main.Window("SysFrm")->close();
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(platform.messages.isEmpty());
}
