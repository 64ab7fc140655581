// The four input windows over a pseudo-terminal: polls, decoding into the labels, rejected
// replies, adjust and clear with the pause and resume of polling, the service buttons and what
// survives closing and reopening.
#include <memory>

#include "app/WorkWindows.h"
#include "tests/support/WindowTest.h"
#include "windows/analog/AnalogInputWindow.h"

namespace {
std::unique_ptr<AnalogInputWindow> Make(const QString& model) {
    WorkWindow* window = WorkWindowFactories().at(model)();
    return std::unique_ptr<AnalogInputWindow>(dynamic_cast<AnalogInputWindow*>(window));
}

QStringList Readings(const AnalogInputWindow& window) {
    QStringList texts;
    for (QLabel* label : window.Input->AI_SHOW) texts << label->text();
    return texts;
}
}  // namespace

class InputWindowTest : public WindowTest {
  protected:
    // One poll: tick, the request on the wire, the module's reply, the reply handler.
    QString Poll(AnalogInputWindow& window, const QByteArray& reply) {
        window.TM_Acquisition_A_Timer();
        const QString request = Request();
        module.Write(reply);
        window.TM_Overtime_A_Timer();
        return request;
    }
};

TEST_F(InputWindowTest, EachModelPollsItsChannelsAndRejectsTheOtherLength) {
    struct Case {
        const char* model;
        const char* request;
        int channels;
        int overtime;  // ms, from its tm.rc line
        const char* caption;
    };
    const Case cases[] = {
        {"ZN210", "01 03 00 00 00 04 44 09 ", 4, 41, " Temperature Input "},
        {"ZN220", "01 03 00 00 00 08 44 0C ", 8, 61, " Temperature Input "},
        {"ZN260", "01 03 00 00 00 08 44 0C ", 8, 41, " Analog Input "},
        {"ZN270", "01 03 00 00 00 08 44 0C ", 8, 41, " Analog Input "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        auto window = Make(c.model);
        ASSERT_TRUE(window);
        Start(*window);
        EXPECT_EQ(window->windowTitle(), c.model);
        EXPECT_EQ(window->Input->title(), c.caption);
        EXPECT_EQ(window->Label17->text(), "Address");
        EXPECT_EQ(window->Input->Loop()->Acquisition->interval(), 200);
        EXPECT_EQ(window->Input->Loop()->Overtime->interval(), c.overtime);
        ASSERT_EQ(window->Input->Channels(), c.channels);

        window->Command_OK1_Click();
        EXPECT_EQ(window->Input->Loop()->Button->text(), "Stop");
        EXPECT_EQ(window->PollFlag, 1);
        QList<int> values;
        for (int k = 0; k < c.channels; ++k) values << 550 + k;
        const QByteArray good = ReadReply(values);
        EXPECT_EQ(Poll(*window, good), c.request);
        EXPECT_EQ(Message(*window), Normal());
        EXPECT_EQ(window->Panel()->Text_Receive->text(), SpacedHex(good));
        const QStringList shown = Readings(*window);

        // The reply the other input window would get: four registers instead of eight, or back.
        const QByteArray other = ReadReply(QList<int>(c.channels == 4 ? 8 : 4, 1000));
        Poll(*window, other);
        EXPECT_EQ(Message(*window), Error());
        EXPECT_EQ(window->Panel()->Text_Receive->text(), "");
        EXPECT_EQ(Readings(*window), shown);
        // Polling goes on after the error.
        EXPECT_TRUE(window->Input->Loop()->Acquisition->Enabled());
        EXPECT_FALSE(window->Input->Loop()->Overtime->Enabled());
        window->close();
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(InputWindowTest, TemperatureRepliesDecodeIntoLabels) {
    auto zn210 = Make("ZN210");
    Start(*zn210);
    zn210->Command_OK1_Click();
    Poll(*zn210, HexBytes("01 03 08 03 23 02 26 00 00 FF FF", true));
    EXPECT_EQ(Readings(*zn210), QStringList({"25.3℃", "0.0℃", "-55.0℃", "6498.5℃"}));
    EXPECT_EQ(zn210->Input->Readings[0], 803);
    EXPECT_EQ(zn210->Input->Readings[1], 550);
    EXPECT_EQ(zn210->Input->Readings[2], 0);
    EXPECT_EQ(zn210->Input->Readings[3], 65535);
    zn210->close();

    UseLanguage(false);
    auto zn220 = Make("ZN220");
    Start(*zn220);
    EXPECT_EQ(zn220->Input->title(), " 温度采集 ");
    zn220->Command_OK1_Click();
    Poll(*zn220, ReadReply({0x00FD, 0x278D, 0x2710, 0xFFFF, 0, 9999, 10001, 65534}));
    EXPECT_EQ(zn220->Panel()->Text_Message->text(), "通讯数据正常！");
    EXPECT_EQ(Readings(*zn220), QStringList({"25.3℃", "-12.5℃", "-0.0℃", "未连接", "0.0℃", "999.9℃",
                                             "-0.1℃", "-5553.4℃"}));
}

TEST_F(InputWindowTest, AnalogRepliesDecodeIntoMilliampsAndVolts) {
    const QByteArray reply = ReadReply({0x0FFF, 0x0800, 0x0333, 0x0000, 0, 0, 8190, 1229});
    auto zn260 = Make("ZN260");
    Start(*zn260);
    zn260->Command_OK1_Click();
    Poll(*zn260, reply);
    EXPECT_EQ(Readings(*zn260), QStringList({"20.00mA", "10.00mA", "4.00mA", "0.00mA", "0.00mA",
                                             "0.00mA", "40.00mA", "6.00mA"}));
    EXPECT_EQ(zn260->Input->Readings[6], 8190);
    zn260->close();

    auto zn270 = Make("ZN270");
    Start(*zn270);
    zn270->Command_OK1_Click();
    Poll(*zn270, reply);
    EXPECT_EQ(Readings(*zn270), QStringList({"10.00V", "5.00V", "2.00V", "0.00V", "0.00V", "0.00V",
                                             "20.00V", "3.00V"}));
    EXPECT_EQ(zn270->Input->Label18[0]->text(), "VI_1");
    EXPECT_EQ(zn270->Input->Label18[7]->text(), "VI_8");
}

TEST_F(InputWindowTest, GarbageLeftInTheDriverNeverSpoilsTheNextReply) {
    // Garbage longer than one read leaves bytes in the driver. ZN260 re-opens on the rejected
    // reply, ZN270 does not; either way they are thrown away before the next request.
    for (const char* model : {"ZN260", "ZN270"}) {
        SCOPED_TRACE(model);
        auto window = Make(model);
        Start(*window);
        window->Command_OK1_Click();
        Poll(*window, QByteArray(300, '\x55'));
        EXPECT_EQ(Message(*window), Error());
        Poll(*window, ReadReply(QList<int>(8, 4095)));
        EXPECT_EQ(Message(*window), Normal());
        EXPECT_EQ(window->Input->AI_SHOW[0]->text(),
                  QString(model) == "ZN260" ? "20.00mA" : "10.00V");
        window->close();
    }
}

TEST_F(InputWindowTest, AdjustAndClearRequests) {
    UseLanguage(false, 4);
    auto zn210 = Make("ZN210");
    Start(*zn210);
    EXPECT_EQ(zn210->Input->Command_Adj[0]->text(), "调 整");
    EXPECT_EQ(zn210->Input->Command_Clr->text(), "清 除");
    EXPECT_EQ(zn210->TM_Overtime_C->interval(), 100);
    // No reading yet: the adjustment is 0.
    zn210->Input->Command_Adj[0]->click();
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 06 03 E8 00 00", true)));
    module.Write(HexBytes("01 06 03 E8 00 00", true));
    zn210->TM_Overtime_C_Timer();
    EXPECT_EQ(Message(*zn210), "通讯数据正常！");

    zn210->Command_OK1_Click();
    Poll(*zn210, ReadReply({0, 1900, 2000, 2048}));
    zn210->Command_OK1_Click();  // stop
    const QString adjustments[] = {"01 06 03 E8 00 00", "01 06 03 E9 00 00", "01 06 03 EA 00 F0",
                                   "01 06 03 EB 00 00"};
    for (int channel = 0; channel < 4; ++channel) {
        zn210->Input->Command_Adj[channel]->click();
        EXPECT_EQ(Request(), SpacedHex(HexBytes(adjustments[channel], true)));
        zn210->TM_Overtime_C_Timer();  // silence
        EXPECT_EQ(Message(*zn210), "通讯数据错误！");
    }
    zn210->Input->Command_Clr->click();
    EXPECT_EQ(Request(), "01 06 04 4C 00 00 49 2D ");
    zn210->close();

    auto zn260 = Make("ZN260");
    Start(*zn260);
    EXPECT_EQ(zn260->Input->Command_Adj[7]->text(), "ADJ");
    EXPECT_EQ(zn260->Input->Command_Clr->text(), "CLEAR");
    zn260->Command_OK1_Click();
    Poll(*zn260, ReadReply({0, 0, 0, 0, 0, 0, 1901, 2000}));
    zn260->Command_OK1_Click();
    zn260->Command_Adj_Click(7);
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 06 03 EF 00 F0", true)));
    zn260->Command_Adj_Click(6);
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 06 03 EE 00 FF", true)));
    // Stray bytes waiting in the driver are dropped before the command goes out.
    module.Write(HexBytes("01 06 03 EE 00 FF", true));
    zn260->Input->Command_Clr->click();
    EXPECT_EQ(Request(), "01 06 04 4C 00 58 48 D7 ");
    module.Write(HexBytes("01 06 04 4C 00 58 48 D7"));
    zn260->TM_Overtime_C_Timer();
    EXPECT_EQ(Message(*zn260), "通讯数据正常！");
    EXPECT_EQ(zn260->Panel()->Text_Receive->text(), "01 06 04 4C 00 58 48 D7 ");
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(InputWindowTest, AdjustWhilePollingPausesAndResumes) {
    UseLanguage(true, 1);
    auto window = Make("ZN270");
    Start(*window);
    window->Command_OK1_Click();
    Poll(*window, ReadReply({2000, 0, 0, 0, 0, 0, 0, 0}));
    // A poll goes out and its reply is on its way when the user presses ADJ.
    window->TM_Acquisition_A_Timer();
    EXPECT_EQ(Request(), "01 03 00 00 00 08 44 0C ");
    module.Write(ReadReply(QList<int>(8, 1)));
    platform.waited = 0;
    window->Command_Adj_Click(0);
    EXPECT_EQ(platform.waited, 100);
    EXPECT_FALSE(window->Input->Loop()->Acquisition->Enabled());
    EXPECT_FALSE(window->Input->Loop()->Overtime->Enabled());
    EXPECT_TRUE(window->TM_Overtime_C->Enabled());
    EXPECT_EQ(window->PollFlag, 1);
    EXPECT_EQ(window->Input->Loop()->Button->text(), "Stop");
    const QByteArray echo = HexBytes("01 06 03 E8 00 F0", true);
    EXPECT_EQ(Request(), SpacedHex(echo));
    EXPECT_EQ(window->Panel()->Text_Send->text(), SpacedHex(echo));
    // The poll reply in transit was dropped: only the echo is read.
    module.Write(echo);
    window->TM_Overtime_C_Timer();
    EXPECT_EQ(Message(*window), Normal());
    EXPECT_EQ(window->Panel()->Text_Receive->text(), SpacedHex(echo));
    EXPECT_FALSE(window->TM_Overtime_C->Enabled());
    EXPECT_TRUE(window->Input->Loop()->Acquisition->Enabled());
    EXPECT_EQ(Poll(*window, ReadReply(QList<int>(8, 0))), "01 03 00 00 00 08 44 0C ");
    EXPECT_EQ(Message(*window), Normal());

    // A clear that gets no answer resumes polling all the same.
    window->Command_Clr_Click();
    EXPECT_EQ(Request(), "01 06 04 4C 00 58 48 D7 ");
    window->TM_Overtime_C_Timer();
    EXPECT_EQ(Message(*window), Error());
    EXPECT_TRUE(window->Input->Loop()->Acquisition->Enabled());

    // An address the module cannot have: nothing is sent, and the loop, which would refuse it
    // at its next tick with the same message, stops with this one.
    window->AddressList(0)->setEditText("300");
    window->Command_Adj_Click(1);
    EXPECT_EQ(platform.messages, QStringList{"Setting error！"});
    EXPECT_TRUE(Quiet());
    EXPECT_FALSE(window->Input->Loop()->Acquisition->Enabled());
    EXPECT_EQ(window->Input->Loop()->Button->text(), "Read");
    window->AddressList(0)->setEditText("1");
    window->Input->Loop()->Click();

    // With the port closed the command is refused and polling has stopped with it.
    window->Command_Port_Click();
    window->Command_Adj_Click(1);
    EXPECT_EQ(platform.messages.last(), "Please open serial port！");
    EXPECT_EQ(window->Input->Loop()->Button->text(), "Read");
    EXPECT_FALSE(window->Input->Loop()->Acquisition->Enabled());
    EXPECT_FALSE(window->TM_Overtime_C->Enabled());
}

TEST_F(InputWindowTest, ServiceButtonsOnlyInModesOneAndFour) {
    for (int mode = 0; mode <= 4; ++mode) {
        UseLanguage(true, mode);
        const bool shown = mode == 1 || mode == 4;
        for (const char* model : {"ZN210", "ZN260", "ZN270"}) {
            auto window = Make(model);
            window->OpenWindow();
            for (QPushButton* adjust : window->Input->Command_Adj)
                EXPECT_EQ(!adjust->isHidden(), shown) << model << " mode " << mode;
            EXPECT_EQ(!window->Input->Command_Clr->isHidden(), shown) << model << " mode " << mode;
            window->close();
        }
        auto zn220 = Make("ZN220");
        EXPECT_TRUE(zn220->Input->Command_Adj.empty());
        EXPECT_EQ(zn220->Input->Command_Clr, nullptr);
        EXPECT_EQ(zn220->TM_Overtime_C, nullptr);
    }
    EXPECT_EQ(Make("ZN210")->Input->Command_Adj.size(), 4u);
    EXPECT_EQ(Make("ZN260")->Input->Command_Adj.size(), 8u);
}

TEST_F(InputWindowTest, ReadingsSurviveCloseAndReopenButLabelsAndPollingDoNot) {
    UseLanguage(true, 4);
    auto window = Make("ZN210");
    Start(*window);
    window->Command_OK1_Click();
    Poll(*window, ReadReply({2000, 803, 0, 0}));
    EXPECT_EQ(window->Input->AI_SHOW[1]->text(), "25.3℃");
    window->close();
    EXPECT_EQ(window->PollFlag, 0);
    EXPECT_FALSE(window->Input->Loop()->Acquisition->Enabled());

    window->OpenWindow();
    EXPECT_EQ(window->Input->Loop()->Button->text(), "Read");
    EXPECT_EQ(window->Panel()->Command_Port->text(), "Port Open");
    EXPECT_EQ(Readings(*window), QStringList({"", "", "", ""}));
    EXPECT_EQ(window->Input->Readings[0], 2000);
    window->Command_Port_Click();
    window->Command_Adj_Click(0);  // from the reading taken before closing
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 06 03 E8 00 F0", true)));
}
