// The register window over a pseudo-terminal: group reads and their reply lengths, the four
// views, register writes, typed frames, and pausing and resuming the reading around commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <functional>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"
#include "windows/registers/SysFrm.h"

namespace {
const QString kNormal = "Communication data normal！";
const QString kError = "Communication data error！";

// A function 3 reply from address 1 carrying `count` registers, register i holding value(i).
QByteArray ReadReply(int count, const std::function<int(int)>& value) {
    QString body = QStringLiteral("01 03 %1 ").arg(2 * count, 2, 16, QLatin1Char('0'));
    for (int i = 0; i < count; ++i)
        body +=
            QStringLiteral("%1 ").arg(value(i) & 0xFFFF, 4, 16, QLatin1Char('0')).insert(2, ' ');
    return HexBytes(body, true);
}

class SysFrmTest : public ::testing::Test {
  protected:
    void SetUp() override { Load(4); }
    void TearDown() override { SerialPort::ClosePort(); }

    void Load(int featureMode, bool english = true) {
        TextTable::Fill(english);
        Switches() = StartupSwitches{};
        Switches().FeatureMode = featureMode;
        Switches().EnglishUi = english ? 1 : 0;
        sys.WriteFile("set.rc", english ? "1\r\n9600\r\nNone\r\n" : "1\r\n9600\r\n无校验\r\n");
        sys.WriteFile("tm.rc",
                      "Poll       00250\r\nDigitalIn  00101\r\nOutWrite   00102\r\n"
                      "Measure    00150\r\nAnalogOut  00103\r\nMeasure2   00104\r\n");
        window.OpenWindow();
    }
    void OpenPort() {
        window.Command_Port_Click();
        ASSERT_TRUE(window.Panel()->PortOpen());
    }
    // One poll of the selected group: the request must be `request` (CRC appended here).
    void Poll(const QString& request, const QByteArray& reply) {
        window.TM_Acquisition_A_Timer();
        EXPECT_EQ(SpacedHex(module.ReadRequest()), SpacedHex(HexBytes(request, true)));
        module.Write(reply);
        window.TM_Overtime_A_Timer();
    }
    // Writes `reg` and `value` as typed; returns the bytes that went out.
    QString Write(const QString& reg, const QString& value) {
        window.Text_REGWR->setText(reg);
        window.Text_WR->setText(value);
        window.Command_OK2_Click();
        // A frame that went out armed the confirmation wait: give it all the time a loaded
        // machine needs to arrive; a refused one only has to stay away for a moment.
        return SpacedHex(module.ReadRequest(window.TM_Overtime_C->Enabled() ? 5000 : 100));
    }
    QString Message() const { return window.Panel()->Text_Message->text(); }
    QStringList ReadLines() const { return window.Text_Read->toPlainText().split('\n'); }

    ScratchSys sys;
    RecordingPlatform platform;
    PtyPeer module{"sys/COM1"};
    SysFrm window;
};
}  // namespace

TEST_F(SysFrmTest, LoadSetsTheControlsOfEachServiceLevel) {
    for (int mode = 0; mode <= 4; ++mode) {
        Load(mode);
        EXPECT_EQ(window.Combo_Sel->count(), mode >= 3 ? 8 : 6) << mode;
        EXPECT_EQ(window.Combo_Sel->currentIndex(), 0);
        EXPECT_EQ(window.Combo_Sel->currentText(), "System Data");
        EXPECT_EQ(window.Command_OK3->isHidden(), mode != 4) << mode;
        EXPECT_EQ(window.Panel()->Text_Send->isReadOnly(), mode != 4) << mode;
    }
    EXPECT_EQ(window.windowTitle(), "Register Reading / Writing");
    EXPECT_EQ(window.Frame7->title(), " Register Reading ");
    EXPECT_EQ(window.Frame2->title(), " Register Writing ");
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_EQ(window.Command_OK2->text(), "Write");
    EXPECT_EQ(window.Label9->text(), "Register");
    EXPECT_EQ(window.AddressList(0)->currentText(), "1");
    EXPECT_EQ(window.AddressList(1)->count(), 254);
    EXPECT_EQ(window.TM_Acquisition_A->interval(), 250);
    EXPECT_EQ(window.TM_Overtime_A->interval(), 150);
    EXPECT_EQ(window.TM_Overtime_C->interval(), 100);
    EXPECT_EQ(window.TM_Overtime_ADJ->interval(), 200);
    for (VbTimer* timer : {window.TM_Acquisition_A, window.TM_Overtime_A, window.TM_Overtime_C,
                           window.TM_Overtime_ADJ})
        EXPECT_FALSE(timer->Enabled());
    Load(4, false);
    EXPECT_EQ(window.windowTitle(), "寄存器读写");
    EXPECT_EQ(window.Command_OK1->text(), "读 取");
    EXPECT_EQ(window.Command_OK3->text(), "确 定");
    EXPECT_EQ(window.Label8->text(), "Data WR");
}

TEST_F(SysFrmTest, EachGroupIsRequestedAndOnlyItsReplyLengthAccepted) {
    struct Case {
        const char* request;
        int count;
        int lines;
    };
    const Case cases[] = {
        {"01 03 00 64 00 10", 16, 16}, {"01 03 05 00 00 10", 16, 8},  {"01 03 05 40 00 10", 16, 16},
        {"01 03 06 00 00 05", 5, 5},   {"01 03 08 00 00 10", 16, 16}, {"01 03 09 00 00 20", 32, 16},
        {"01 03 03 E8 00 08", 8, 8},   {"01 03 00 30 00 06", 6, 6},
    };
    OpenPort();
    window.Command_OK1_Click();
    ASSERT_EQ(window.Combo_Sel->count(), 8);
    for (int index = 0; index < 8; ++index) {
        const Case& c = cases[index];
        window.Combo_Sel->setCurrentIndex(index);
        const QByteArray good = ReadReply(c.count, [](int i) { return i + 1; });
        Poll(c.request, good);
        EXPECT_EQ(Message(), kNormal) << c.request;
        EXPECT_EQ(window.Panel()->Text_Receive->text(), SpacedHex(good));
        EXPECT_EQ(ReadLines().size(), c.lines) << c.request;
        const QString shown = window.Text_Read->toPlainText();
        // One byte short, one byte long, and the reply of a neighbouring count: all rejected,
        // the display kept, the reading going on.
        for (const QByteArray& bad : {good.left(good.size() - 1), good + QByteArray(1, '\0'),
                                      ReadReply(c.count - 1, [](int) { return 0; })}) {
            Poll(c.request, bad);
            EXPECT_EQ(Message(), kError) << c.request << " " << SpacedHex(bad).toStdString();
            EXPECT_EQ(window.Text_Read->toPlainText(), shown);
            EXPECT_TRUE(window.TM_Acquisition_A->Enabled());
            EXPECT_TRUE(window.Panel()->PortOpen());
        }
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(SysFrmTest, PwmDataAcceptsFortyFiveCharactersOnly) {
    OpenPort();
    window.Command_OK1_Click();
    window.Combo_Sel->setCurrentIndex(3);
    const QByteArray good = ReadReply(5, [](int i) { return 0x100 * i; });
    ASSERT_EQ(SpacedHex(good).size(), 45);
    Poll("01 03 06 00 00 05", good);
    EXPECT_EQ(Message(), kNormal);
    EXPECT_EQ(ReadLines(),
              QStringList({"1536: 0", "1537: 256", "1538: 512", "1539: 768", "1540: 1024"}));
    // Bytes on the wire always give three characters each, so 44 and 46 characters cannot
    // arrive; the nearest lengths that can, 42 and 48, are rejected.
    for (int bytes : {14, 16}) {
        Poll("01 03 06 00 00 05", HexBytes("01 03 0A 00 00 01 00 02 00 03 00 04 00 05 00 06 00"
                                           " 07 00 08 00 09")
                                          .left(bytes - 2) +
                                      QByteArray(2, '\0'));
        EXPECT_EQ(Message(), kError) << bytes;
    }
    EXPECT_EQ(window.GroupCount, 5);
}

TEST_F(SysFrmTest, ExampleLinesOfTheFourViews) {
    OpenPort();
    window.Command_OK1_Click();
    Poll("01 03 00 64 00 10", ReadReply(16, [](int i) { return i == 0 ? 1 : i == 1 ? 103 : 0; }));
    EXPECT_EQ(ReadLines().value(0), "(setAddr  ) 100: 1");
    EXPECT_EQ(ReadLines().value(1), "(setBaud  ) 101: 103");
    EXPECT_EQ(ReadLines().value(15), "(None     ) 115: 0");

    window.Combo_Sel->setCurrentIndex(1);
    const int sensor[] = {0x41C8, 0x0000, 0x7FC0, 0x0000, 0xFF80, 0x0000, 0x41C9, 0x0000};
    Poll("01 03 05 00 00 10", ReadReply(16, [&](int i) { return i < 8 ? sensor[i] : 0; }));
    EXPECT_EQ(ReadLines().mid(0, 4), QStringList({"1280-1281: 25.0000", "1282-1283: NaN",
                                                  "1284-1285: -Infinity", "1286-1287: 25.1250"}));

    window.Combo_Sel->setCurrentIndex(5);
    Poll("01 03 09 00 00 20", ReadReply(32, [](int i) { return i == 0 ? 1 : i == 3 ? 5 : 0; }));
    EXPECT_EQ(ReadLines().mid(0, 2), QStringList({"2304-2305: 65536", "2306-2307: 5"}));
    EXPECT_EQ(ReadLines().value(15), "2334-2335: 0");

    window.Combo_Sel->setCurrentIndex(4);
    Poll("01 03 08 00 00 10", ReadReply(16, [](int i) { return i == 0 ? 17 : 0xFFFF; }));
    EXPECT_EQ(ReadLines().mid(0, 2), QStringList({"2048: 17", "2049: 65535"}));

    // Outside service level 4 the system lines carry no labels.
    window.Command_OK1_Click();
    Load(2);
    OpenPort();
    window.Command_OK1_Click();
    Poll("01 03 00 64 00 10", ReadReply(16, [](int i) { return i == 1 ? 103 : 0; }));
    EXPECT_EQ(ReadLines().value(1), "101: 103");
}

TEST_F(SysFrmTest, AGroupTypedIntoTheListKeepsTheGroupReadLast) {
    OpenPort();
    window.Command_OK1_Click();
    // Before any read, a text of the user's own names no block: refused, nothing sent.
    window.Combo_Sel->setEditText("my group");
    window.TM_Acquisition_A_Timer();
    EXPECT_EQ(platform.messages, QStringList{"Setting error！"});
    EXPECT_TRUE(module.ReadRequest(50).isEmpty());
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_EQ(window.PollFlag, 0);

    window.Command_OK1_Click();
    window.Combo_Sel->setCurrentIndex(3);
    const QByteArray pwm = ReadReply(5, [](int i) { return i; });
    Poll("01 03 06 00 00 05", pwm);
    window.Combo_Sel->setEditText("Sensor");
    Poll("01 03 06 00 00 05", pwm);
    EXPECT_EQ(Message(), kNormal);
    // Typing an entry's exact text picks that entry.
    window.Combo_Sel->setEditText("Count 16Bit");
    Poll("01 03 08 00 00 10", ReadReply(16, [](int) { return 0; }));
    EXPECT_EQ(Message(), kNormal);
    EXPECT_EQ(window.GroupStart, 2048);
}

TEST_F(SysFrmTest, ReadRefusedWithThePortClosedOrABadAddress) {
    window.Command_OK1_Click();
    window.TM_Acquisition_A_Timer();
    EXPECT_EQ(platform.messages, QStringList{"Please open serial port！"});
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
    OpenPort();
    for (const QString& address : {QString(), QString("256"), QString("1a")}) {
        platform.messages.clear();
        window.AddressList(0)->setEditText(address);
        window.Command_OK1_Click();
        window.TM_Acquisition_A_Timer();
        EXPECT_EQ(platform.messages.size(), 1);
        EXPECT_EQ(window.PollFlag, 0);
    }
    EXPECT_TRUE(module.ReadRequest(50).isEmpty());
    window.AddressList(0)->setEditText("254");
    window.Command_OK1_Click();
    Poll("FE 03 00 64 00 10", QByteArray());
    EXPECT_EQ(Message(), kError);
}

TEST_F(SysFrmTest, WriteFramesFromTheTypedNumbers) {
    struct Case {
        const char* reg;
        const char* value;
        const char* body;
    };
    const Case cases[] = {
        {"１００", "１２.５", "07 06 00 64 00 0C"}, {"100", "65535", "07 06 00 64 FF FF"},
        {"&H64", "&HFFFF", "07 06 00 64 FF FF"},    {"1000", "12.5", "07 06 03 E8 00 0C"},
        {"1000", "13.5", "07 06 03 E8 00 0E"},      {"65535", "0", "07 06 FF FF 00 00"},
    };
    OpenPort();
    window.AddressList(0)->setEditText("5");  // the read address plays no part
    window.AddressList(1)->setEditText("7");
    for (const Case& c : cases) {
        const QString sent = Write(c.reg, c.value);
        EXPECT_EQ(sent, SpacedHex(HexBytes(c.body, true))) << c.reg << " " << c.value;
        EXPECT_EQ(window.Panel()->Text_Send->text(), sent);
        EXPECT_TRUE(window.TM_Overtime_C->Enabled());
        module.Write(HexBytes(sent));  // the module echoes a write
        window.TM_Overtime_C_Timer();
        EXPECT_EQ(Message(), kNormal);
        EXPECT_EQ(window.Panel()->Text_Receive->text(), sent);
        EXPECT_FALSE(window.TM_Overtime_C->Enabled());
    }
    // A confirmation with a broken CRC or from another address is an error.
    const QString sent = Write("1", "2");
    QByteArray bad = HexBytes(sent);
    ASSERT_EQ(bad.size(), 8) << "no write frame went out: \"" << sent.toStdString() << '"';
    bad[7] = static_cast<char>(bad[7] ^ 1);
    module.Write(bad);
    window.TM_Overtime_C_Timer();
    EXPECT_EQ(Message(), kError);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(SysFrmTest, WritesThatCannotBeEncodedAreRefusedWithoutSending) {
    OpenPort();
    // Numbers outside 16 bits, and texts that are no number at all.
    const QStringList values[] = {{"1", "65536"}, {"1", "-1"},      {"65536", "1"}, {"-1", "0"},
                                  {"2", "70000"}, {"&H10000", "0"}, {"", ""},       {"abc", "1"},
                                  {"0x64", "1"},  {"1", "1e3"},     {"1", "1,000"}, {"1", ""},
                                  {"1", "12abc"}};
    for (const QStringList& pair : values) {
        platform.messages.clear();
        EXPECT_TRUE(Write(pair[0], pair[1]).isEmpty()) << pair.join(' ').toStdString();
        EXPECT_EQ(platform.messages, QStringList{"Setting error！"});
        EXPECT_FALSE(window.TM_Overtime_C->Enabled());
    }
    const std::pair<QString, QString> addresses[] = {{"", "Moudle address not selected！"},
                                                     {"300", "Setting error！"},
                                                     {"-1", "Setting error！"}};
    for (const auto& [address, message] : addresses) {
        platform.messages.clear();
        window.AddressList(1)->setEditText(address);
        EXPECT_TRUE(Write("1", "1").isEmpty());
        EXPECT_EQ(platform.messages, QStringList{message});
    }
    window.AddressList(1)->setEditText("1");
    window.Command_Port_Click();
    platform.messages.clear();
    EXPECT_TRUE(Write("1", "1").isEmpty());
    EXPECT_EQ(platform.messages, QStringList{"Please open serial port！"});
}

TEST_F(SysFrmTest, AWriteWhileReadingPausesAndResumesTheReading) {
    OpenPort();
    window.Command_OK1_Click();
    Poll("01 03 00 64 00 10", ReadReply(16, [](int) { return 9; }));
    // The next poll is in flight when the write comes: its reply is dropped by the re-open.
    window.TM_Acquisition_A_Timer();
    module.ReadRequest();
    module.Write(ReadReply(16, [](int) { return 8; }));
    platform.waited = 0;
    const QString sent = Write("100", "3");
    EXPECT_EQ(sent, SpacedHex(HexBytes("01 06 00 64 00 03", true)));
    EXPECT_EQ(platform.waited, 100);
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
    EXPECT_FALSE(window.TM_Overtime_A->Enabled());
    EXPECT_EQ(window.Command_OK1->text(), "Stop");
    module.Write(HexBytes(sent));
    window.TM_Overtime_C_Timer();
    EXPECT_EQ(Message(), kNormal);
    EXPECT_EQ(window.Panel()->Text_Receive->text(), sent);
    EXPECT_TRUE(window.TM_Acquisition_A->Enabled());
    EXPECT_EQ(window.PollFlag, 1);
    Poll("01 03 00 64 00 10", ReadReply(16, [](int i) { return i == 0 ? 3 : 9; }));
    EXPECT_EQ(ReadLines().value(0), "(setAddr  ) 100: 3");

    // A refused write resumes the reading too; a failed confirmation does as well.
    EXPECT_TRUE(Write("1", "-1").isEmpty());
    EXPECT_TRUE(window.TM_Acquisition_A->Enabled());
    EXPECT_FALSE(Write("1", "1").isEmpty());
    window.TM_Overtime_C_Timer();
    EXPECT_EQ(Message(), kError);
    EXPECT_TRUE(window.TM_Acquisition_A->Enabled());
}

TEST_F(SysFrmTest, TypedFramesAreSentAsTheyStandAndTheirRepliesShownUnjudged) {
    OpenPort();
    QLineEdit* send = window.Panel()->Text_Send;
    // Eight byte groups without a trailing blank: the read of register 100 with its CRC.
    send->setText("01 03 00 64 00 01 C5 D5");
    window.Command_OK3_Click();
    EXPECT_EQ(SpacedHex(module.ReadRequest()), "01 03 00 64 00 01 C5 D5 ");
    EXPECT_TRUE(window.TM_Overtime_ADJ->Enabled());
    // A reply with a broken CRC from another address is shown all the same.
    module.WriteHex("02 03 02 00 01 00 00");
    window.TM_Overtime_ADJ_Timer();
    EXPECT_EQ(window.Panel()->Text_Receive->text(), "02 03 02 00 01 00 00 ");
    EXPECT_EQ(Message(), "");
    EXPECT_FALSE(window.TM_Overtime_ADJ->Enabled());
    EXPECT_EQ(window.SentText, "01 03 00 64 00 01 C5 D5");

    // Two byte groups with a trailing blank: two bytes; no reply leaves the boxes empty.
    send->setText("01 03 ");
    window.Command_OK3_Click();
    EXPECT_EQ(SpacedHex(module.ReadRequest()), "01 03 ");
    window.TM_Overtime_ADJ_Timer();
    EXPECT_EQ(window.Panel()->Text_Receive->text(), "");
    EXPECT_EQ(Message(), "");
    EXPECT_TRUE(window.Panel()->PortOpen());

    // Two byte groups without the blank: nothing sent, nothing shown.
    send->setText("01 03");
    window.Command_OK3_Click();
    EXPECT_TRUE(module.ReadRequest(50).isEmpty());
    EXPECT_FALSE(window.TM_Overtime_ADJ->Enabled());
    EXPECT_EQ(Message(), "");

    // A character out of place: refused, and the status line says which and where.
    const std::pair<QString, QString> refused[] = {
        {"01 0G 00 64 00 01 C5 D5", "Not a hex digit: \"G\" at character 5"},
        {"010300640001C5D5", "Not a blank between bytes: \"0\" at character 3"},
        {"01-03-00-64-00-01-C5-D5", "Not a blank between bytes: \"-\" at character 3"},
    };
    for (const auto& [text, message] : refused) {
        send->setText(text);
        window.Command_OK3_Click();
        EXPECT_TRUE(module.ReadRequest(50).isEmpty()) << text.toStdString();
        EXPECT_EQ(Message(), message);
    }
    EXPECT_TRUE(platform.messages.isEmpty());

    window.Command_Port_Click();
    send->setText("01 03 00 64 00 01 C5 D5");
    window.Command_OK3_Click();
    EXPECT_EQ(platform.messages, QStringList{"Please open serial port！"});
    EXPECT_FALSE(window.TM_Overtime_ADJ->Enabled());

    // The adapter is pulled while the reply is awaited: one message, and the panel ends closed
    // rather than re-opening a device that is gone.
    OpenPort();
    platform.messages.clear();
    window.Command_OK3_Click();
    ASSERT_FALSE(module.ReadRequest().isEmpty());
    module.Vanish();
    window.TM_Overtime_ADJ_Timer();
    EXPECT_EQ(platform.messages, QStringList{"Serial port does not exist or already opened！"});
    EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Open");
    EXPECT_FALSE(SerialPort::IsOpen());
}

TEST_F(SysFrmTest, ATypedFrameWhileReadingResumesTheReading) {
    OpenPort();
    window.Command_OK1_Click();
    Poll("01 03 00 64 00 10", ReadReply(16, [](int) { return 1; }));
    window.Panel()->Text_Send->setText("01 06 00 64 00 02 49 D4");
    window.Command_OK3_Click();
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
    EXPECT_EQ(SpacedHex(module.ReadRequest()), "01 06 00 64 00 02 49 D4 ");
    module.WriteHex("01 06 00 64 00 02 49 D4");
    window.TM_Overtime_ADJ_Timer();
    EXPECT_TRUE(window.TM_Acquisition_A->Enabled());
    EXPECT_EQ(window.Command_OK1->text(), "Stop");
    // Refused frames resume it at once.
    for (const char* text : {"01 03", "zz 03 00"}) {
        window.Panel()->Text_Send->setText(text);
        window.Command_OK3_Click();
        EXPECT_TRUE(window.TM_Acquisition_A->Enabled()) << text;
    }
    Load(4, false);
    OpenPort();
    window.Panel()->Text_Send->setText("01 03 00 6x");
    window.Command_OK3_Click();
    EXPECT_EQ(Message(), "第 11 个字符 \"x\" 不是十六进制数字！");
    window.Panel()->Text_Send->setText("01 03,00");
    window.Command_OK3_Click();
    EXPECT_EQ(Message(), "第 6 个字符 \",\" 应为字节间的空格！");
}

TEST_F(SysFrmTest, AReaderScrolledDownKeepsHisPlaceWhileValuesChange) {
    // A window made small enough to need the scroll bar.
    window.Text_Read->setFixedHeight(60);
    QApplication::processEvents();
    OpenPort();
    window.Command_OK1_Click();
    QScrollBar* bar = window.Text_Read->verticalScrollBar();
    for (int poll = 0; poll < 3; ++poll) {
        Poll("01 03 00 64 00 10", ReadReply(16, [poll](int i) { return 100 * poll + i; }));
        ASSERT_EQ(Message(), kNormal);
        EXPECT_EQ(ReadLines().value(1), QStringLiteral("(setBaud  ) 101: %1").arg(100 * poll + 1));
        ASSERT_GT(bar->maximum(), 5);
        if (poll == 0) bar->setValue(5);
        EXPECT_EQ(bar->value(), 5) << poll;
    }
}
