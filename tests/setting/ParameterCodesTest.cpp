// Parameter codes both ways, entry texts, the candidate table and the decoding of the read reply.
#include <gtest/gtest.h>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "tests/support/QStringPrinter.h"
#include "core/modules/ModuleParameters.h"
#include "core/modules/ParameterCodes.h"

using namespace ParameterCodes;

namespace {
class ParameterCodesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
    }
};
}  // namespace

TEST_F(ParameterCodesTest, CandidateTablesInSearchOrder) {
    struct Case {
        bool full;
        int step;
        SerialCandidate expected;
    };
    const Case cases[] = {
        {true, 0, {1200, 'N'}},   {true, 3, {9600, 'N'}},   {true, 9, {115200, 'N'}},
        {true, 10, {1200, 'O'}},  {true, 14, {14400, 'O'}}, {true, 15, {19200, 'O'}},
        {true, 20, {1200, 'E'}},  {true, 26, {28800, 'E'}}, {true, 29, {115200, 'E'}},
        {true, 30, {1200, 'N'}},  {true, -1, {1200, 'N'}},  {false, 0, {4800, 'N'}},
        {false, 3, {38400, 'N'}}, {false, 4, {4800, 'E'}},  {false, 5, {9600, 'E'}},
        {false, 7, {38400, 'E'}}, {false, 8, {4800, 'N'}},  {false, 29, {4800, 'N'}},
    };
    for (const Case& c : cases) {
        const SerialCandidate got = SearchCandidate(c.step, c.full);
        EXPECT_EQ(got.baud, c.expected.baud) << c.full << " step " << c.step;
        EXPECT_EQ(got.parity, c.expected.parity) << c.full << " step " << c.step;
    }
    EXPECT_EQ(CandidateCount(true), 30);
    EXPECT_EQ(CandidateCount(false), 8);
}

TEST_F(ParameterCodesTest, EntryTextsInBothLanguages) {
    EXPECT_EQ(EntryText({9600, 'N'}), "9600,None,8,1");
    EXPECT_EQ(EntryText({19200, 'O'}), "19200,Odd,8,1");
    EXPECT_EQ(EntryText({115200, 'E'}), "115200,Even,8,1");
    EXPECT_EQ(ParityWord('O'), "Odd");
    const QStringList shortList = Entries(false);
    EXPECT_EQ(shortList,
              QStringList({"4800,None,8,1", "9600,None,8,1", "19200,None,8,1", "38400,None,8,1",
                           "4800,Even,8,1", "9600,Even,8,1", "19200,Even,8,1", "38400,Even,8,1"}));
    const QStringList full = Entries(true);
    ASSERT_EQ(full.size(), 30);
    EXPECT_EQ(full[0], "1200,None,8,1");
    EXPECT_EQ(full[14], "14400,Odd,8,1");
    EXPECT_EQ(full[29], "115200,Even,8,1");

    TextTable::Fill(false);
    EXPECT_EQ(EntryText({9600, 'N'}), "9600,N(无校验),8,1");
    EXPECT_EQ(EntryText({57600, 'O'}), "57600,O(奇校验),8,1");
    EXPECT_EQ(EntryText({115200, 'E'}), "115200,E(偶校验),8,1");
    EXPECT_EQ(ParityWord('E'), "偶校验");
    EXPECT_EQ(Entries(false)[6], "19200,E(偶校验),8,1");
}

TEST_F(ParameterCodesTest, CodesReadFromAModuleShowTheirEntry) {
    const std::pair<int, QString> cases[] = {
        {100, "1200,None,8,1"},
        {103, "9600,None,8,1"},
        {109, "115200,None,8,1"},
        {110, "1200,Odd,8,1"},
        {115, "19200,Odd,8,1"},
        {124, "14400,Even,8,1"},
        {129, "115200,Even,8,1"},
        {1, "4800,None,8,1"},
        {4, "38400,None,8,1"},
        {5, "4800,Even,8,1"},
        {8, "38400,Even,8,1"},
        {0, ""},
        {9, ""},
        {99, ""},
        {130, ""},
        {0x0103, ""},
        {65535, ""},
    };
    for (const auto& [code, entry] : cases) EXPECT_EQ(EntryOfCode(code), entry) << code;
}

TEST_F(ParameterCodesTest, EntryTextsGiveTheCodeToWrite) {
    struct Case {
        QString text;
        int shortListsCode;
        int fullListsCode;
    };
    const Case cases[] = {
        {"4800,None,8,1", 1, 102},    {"9600,None,8,1", 2, 103},
        {"19200,None,8,1", 3, 105},   {"38400,None,8,1", 4, 107},
        {"4800,Even,8,1", 5, 122},    {"9600,Even,8,1", 6, 123},
        {"19200,Even,8,1", 7, 125},   {"38400,Even,8,1", 8, 127},
        {"1200,None,8,1", 100, 100},  {"115200,Even,8,1", 129, 129},
        {"19200,Odd,8,1", 115, 115},  {"4800,Odd,8,1", 112, 112},
        {"9600,None,8,2", 0, 0},      {" 9600,None,8,1", 0, 0},
        {"9600,none,8,1", 0, 0},      {"", 0, 0},
        {"9600,N(无校验),8,1", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CodeOfEntry(c.text, false), c.shortListsCode) << c.text.toStdString();
        EXPECT_EQ(CodeOfEntry(c.text, true), c.fullListsCode) << c.text.toStdString();
    }
    // Every entry of both lists survives the round trip through its code.
    for (bool full : {false, true})
        for (const QString& entry : Entries(full))
            EXPECT_EQ(EntryOfCode(CodeOfEntry(entry, full)), entry) << entry.toStdString();

    TextTable::Fill(false);
    EXPECT_EQ(CodeOfEntry("9600,N(无校验),8,1", false), 2);
    EXPECT_EQ(CodeOfEntry("57600,O(奇校验),8,1", false), 118);
    EXPECT_EQ(CodeOfEntry("9600,None,8,1", true), 0);
}

TEST_F(ParameterCodesTest, ModelCodes) {
    const std::pair<int, QString> cases[] = {
        {210, "ZN210"}, {260, "ZN260"}, {270, "ZN270"}, {310, "ZN310"},    {350, "ZN350"},
        {410, "ZN410"}, {430, "ZN430"}, {0, ""},        {200, ""},         {280, ""},
        {360, ""},      {440, ""},      {2100, ""},     {0x0104, "ZN260"},
    };
    for (const auto& [code, model] : cases)
        EXPECT_EQ(ModuleParametersText::ModelOfCode(code), model) << code;
}

TEST_F(ParameterCodesTest, ReadReplyDecodesToThreeLines) {
    // 00 03 06, address 1, code 103, model 260, CRC.
    const QString reply = "00 03 06 00 01 00 67 01 04 A0 A9 ";
    const ModuleParameters parameters = ModuleParametersText::Decode(reply);
    EXPECT_EQ(parameters.address, 1);
    EXPECT_EQ(parameters.parameterCode, 103);
    EXPECT_EQ(parameters.modelCode, 260);
    EXPECT_EQ(ModuleParametersText::Lines(parameters),
              "Address: 1\r\nParameters: 9600,None,8,1\r\nModel: ZN260");
    EXPECT_EQ(ModuleParametersText::Lines({254, 7, 430}),
              "Address: 254\r\nParameters: 19200,Even,8,1\r\nModel: ZN430");
    EXPECT_EQ(ModuleParametersText::Lines({0xAB, 300, 0}),
              "Address: 171\r\nParameters: \r\nModel: ");
    TextTable::Fill(false);
    EXPECT_EQ(ModuleParametersText::Lines(parameters),
              "模块地址: 1\r\n通讯参数: 9600,N(无校验),8,1\r\n模块型号: ZN260");
}
