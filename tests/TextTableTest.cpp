#include <gtest/gtest.h>

#include "base/TextTable.h"

TEST(TextTable, EveryKeyHasATextInBothLanguages) {
    for (bool english : {false, true}) {
        TextTable::Fill(english);
        for (int i = 0; i < static_cast<int>(TextKey::Count); ++i) {
            const auto key = static_cast<TextKey>(i);
            EXPECT_FALSE(Tt(key).isEmpty()) << TextTable::KeyName(key).toStdString() << english;
        }
    }
}

TEST(TextTable, LanguagesDifferWhereTheyShouldAndTextsKeepTheirPunctuation) {
    TextTable::Fill(false);
    EXPECT_EQ(Tt(TextKey::MsgOpenPortFirst), "请先打开串口！");
    EXPECT_EQ(Tt(TextKey::FrameComm), " 通讯设置 ");
    EXPECT_EQ(Tt(TextKey::CaptionRead), "读 取");
    EXPECT_TRUE(
        Tt(TextKey::ExplainParamChange).contains("9600,8," + Tt(TextKey::ParityNoneTagged) + ",1"));
    EXPECT_EQ(Tt(TextKey::PrefixAddress), "模块地址: ");
    const QString chineseRead = Tt(TextKey::ExplainParamRead);

    TextTable::Fill(true);
    EXPECT_EQ(Tt(TextKey::MsgOpenPortFirst), "Please open serial port！");
    EXPECT_EQ(Tt(TextKey::FrameComm), " Communication ");
    EXPECT_EQ(Tt(TextKey::CaptionWrite), "Write");
    EXPECT_EQ(Tt(TextKey::ExplainAddressChange), Tt(TextKey::ExplainParamRead));
    EXPECT_NE(Tt(TextKey::ExplainParamRead), chineseRead);
    EXPECT_EQ(Tt(TextKey::ParityOddTagged), Tt(TextKey::ParityOdd));
    EXPECT_EQ(Tt(TextKey::LabelReceiveData), "Serial Recieve Data");
    EXPECT_EQ(Tt(TextKey::MsgNoAddress), "Moudle address not selected！");
}
