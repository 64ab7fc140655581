// The combination windows over a pseudo-terminal: the measurement loop and the digital-input loop
// excluding each other, every write confirmed by TM_Overtime_C and resuming the loop PollFlag
// names, the adjustment values and the temperature texts.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "tests/support/WindowTest.h"
#include "windows/digital/CombinationWindows.h"

namespace {
const QString kNormal = "Communication data normal！";
const QString kError = "Communication data error！";
const QString kAnalogPoll = "01 03 00 00 00 06 C5 C8 ";
const QString kInputPoll = "01 02 00 00 00 04 79 C9 ";

QString Texts(const std::vector<QLabel*>& labels) {
    QStringList texts;
    for (const QLabel* label : labels) texts << label->text();
    return texts.join("|");
}

QString OnIndicators(const std::vector<IndicatorLabel*>& indicators) {
    QStringList on;
    for (size_t i = 0; i < indicators.size(); ++i)
        if (indicators[i]->text() == "ON" && indicators[i]->TextColor() == IndicatorLabel::kOnColor)
            on << QString::number(i + 1);
    return on.join(",");
}

class CombinationTest : public WindowTest {
  protected:
    QString Sent(int timeoutMs = 500) { return Request(timeoutMs); }

    // The timers of the window with the handler the event loop would run for each.
    static std::vector<std::pair<VbTimer*, std::function<void()>>> Timers(CombinationWindow& w) {
        return {
            {w.Measurements->Loop()->Acquisition, [&w] { w.TM_Acquisition_A_Timer(); }},
            {w.Measurements->Loop()->Overtime, [&w] { w.TM_Overtime_A_Timer(); }},
            {w.Inputs->Loop->Acquisition, [&w] { w.TM_Acquisition_B_Timer(); }},
            {w.Inputs->Loop->Overtime, [&w] { w.TM_Overtime_B_Timer(); }},
            {w.Outputs->Overtime, [&w] { w.TM_Overtime_C_Timer(); }},
        };
    }
    // Names of the timers now enabled.
    static QStringList Enabled(CombinationWindow& w) {
        QStringList names;
        for (auto& [timer, handler] : Timers(w))
            if (timer->Enabled()) names << timer->objectName();
        return names;
    }
    // Runs the one timer that is due, as the event loop would; a request it sends is answered by
    // `answer`, and recorded.
    void Step(CombinationWindow& w, const std::function<QByteArray(const QString&)>& answer) {
        const QStringList due = Enabled(w);
        ASSERT_EQ(due.size(), 1) << due.join(",").toStdString();
        for (auto& [timer, handler] : Timers(w)) {
            if (!timer->Enabled()) continue;
            handler();
            if (timer->objectName().startsWith("TM_Acquisition")) {
                requests << Sent();
                module.Write(answer(requests.back()));
            }
            return;
        }
    }

    QStringList requests;
};
}  // namespace

TEST_F(CombinationTest, RequestsOfEveryWindowGoOutByteForByte) {
    Switches().FeatureMode = 1;
    struct Case {
        std::function<std::unique_ptr<CombinationWindow>()> open;
        QString measurementPoll;
        QByteArray measurementReply;
    } cases[] = {
        {[this] { return OpenWith<ZN410Frm>(); }, kAnalogPoll,
         HexBytes("01 03 0C 00 00 00 00 00 00 00 00 00 00 00 00", true)},
        {[this] { return OpenWith<ZN420Frm>(); }, kAnalogPoll,
         HexBytes("01 03 0C 00 00 00 00 00 00 00 00 00 00 00 00", true)},
        {[this] { return OpenWith<ZN430Frm>(); }, "01 03 00 00 00 04 44 09 ",
         HexBytes("01 03 08 00 00 00 00 00 00 00 00", true)},
    };
    for (const Case& c : cases) {
        auto window = c.open();
        const std::string model = window->windowTitle().toStdString();
        window->Command_OK1_Click();
        window->TM_Acquisition_A_Timer();
        EXPECT_EQ(Sent(), c.measurementPoll) << model;
        module.Write(c.measurementReply);
        window->TM_Overtime_A_Timer();
        EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal) << model;

        window->Command_OK2_Click();
        window->TM_Acquisition_B_Timer();
        EXPECT_EQ(Sent(), kInputPoll) << model;
        module.Write(HexBytes("01 02 01 00", true));
        window->TM_Overtime_B_Timer();
        EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal) << model;

        const char* data[4] = {"05", "0A", "0F", "00"};
        for (int preset = 0; preset < 4; ++preset) {
            window->DO_Set_Command_Click(preset);
            EXPECT_EQ(Sent(),
                      SpacedHex(HexBytes(QString("01 0F 00 00 00 04 01 ") + data[preset], true)))
                << model << " preset " << preset;
            module.Write(HexBytes("01 0F 00 00 00 04", true));
            window->TM_Overtime_C_Timer();
            EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal) << model;
        }
        window->Form_QueryUnload();
    }
    auto zn430 = OpenWith<ZN430Frm>();
    zn430->DO_Set_Command_Click(3);
    EXPECT_EQ(Sent(), "01 0F 00 00 00 04 01 00 3E 96 ");
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(CombinationTest, SwitchingLoopsSendsOnlyTheNewLoopsRequests) {
    auto window = OpenWith<ZN420Frm>();
    const auto answer = [](const QString& request) {
        return request == kInputPoll
                   ? HexBytes("01 02 01 05", true)
                   : HexBytes("01 03 0C 0F FF 00 00 00 00 00 00 00 00 00 00", true);
    };
    window->Command_OK1_Click();
    Step(*window, answer);  // analog poll sent and answered, reply not collected yet
    EXPECT_EQ(requests, QStringList{kAnalogPoll});

    platform.waited = 0;
    window->Command_OK2_Click();
    EXPECT_EQ(window->Measurements->Loop()->Button->text(), "Read");
    EXPECT_EQ(window->Inputs->Loop->Button->text(), "Stop");
    EXPECT_EQ(window->PollFlag, 2);
    EXPECT_EQ(platform.waited, 100);
    EXPECT_EQ(Enabled(*window), QStringList{"TM_Acquisition_B"});
    requests.clear();
    for (int i = 0; i < 8; ++i) Step(*window, answer);
    EXPECT_EQ(requests, QStringList(4, kInputPoll));
    EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal);
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "1,3");
    // The analog reply that was in transit at the switch was dropped, never painted.
    EXPECT_EQ(window->Measurements->AI_SHOW[0]->text(), "");

    window->Command_OK1_Click();
    EXPECT_EQ(window->Inputs->Loop->Button->text(), "Read");
    EXPECT_EQ(window->PollFlag, 1);
    requests.clear();
    for (int i = 0; i < 6; ++i) Step(*window, answer);
    EXPECT_EQ(requests, QStringList(3, kAnalogPoll));
    EXPECT_EQ(window->Measurements->AI_SHOW[0]->text(), "10.00V");
    EXPECT_EQ(window->Measurements->AI_SHOW[1]->text(), "0.00V");

    window->Command_OK1_Click();  // Stop: nothing is due any more
    EXPECT_EQ(window->PollFlag, 0);
    EXPECT_EQ(Enabled(*window), QStringList{});
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(CombinationTest, EveryWriteResumesTheLoopThatWasRunning) {
    Switches().FeatureMode = 4;
    auto window = OpenWith<ZN410Frm>();
    const auto answer = [](const QString& request) {
        return request == kInputPoll
                   ? HexBytes("01 02 01 02", true)
                   : HexBytes("01 03 0C 07 D0 00 00 00 00 00 00 00 00 00 00", true);
    };
    // Loop A first, so the adjustment below has a reading of 2000 on channel 1.
    window->Command_OK1_Click();
    Step(*window, answer);
    Step(*window, answer);
    window->Command_OK2_Click();
    Step(*window, answer);
    Step(*window, answer);
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "2");

    struct Write {
        const char* what;
        std::function<void()> click;
        QString request;
        QByteArray reply;  // empty: the module stays silent
    } writes[] = {
        {"output", [&] { window->Command_OK3_Click(); },
         SpacedHex(HexBytes("01 0F 00 00 00 04 01 04", true)), HexBytes("01 0F 00 00 00 04", true)},
        {"ADJ", [&] { window->Command_Adj_Click(0); },
         SpacedHex(HexBytes("01 06 03 E8 00 F0", true)), HexBytes("01 06 03 E8 00 F0", true)},
        {"CLEAR", [&] { window->Command_Clr_Click(); }, "01 06 04 4C 00 58 48 D7 ",
         HexBytes("01 06 04 4C 00 58 48 D7")},
        {"unanswered output", [&] { window->Command_OK3_Click(); },
         SpacedHex(HexBytes("01 0F 00 00 00 04 01 04", true)), QByteArray()},
    };
    window->DO_SHOW_Click(2);
    for (int loop : {2, 1}) {
        if (loop == 1) {
            window->Command_OK1_Click();
            Step(*window, answer);
            Step(*window, answer);
        }
        const QString resumed = loop == 1 ? "TM_Acquisition_A" : "TM_Acquisition_B";
        for (const Write& write : writes) {
            // The write comes while the loop's own reply is awaited: the pause drops that reply.
            Step(*window, answer);
            write.click();
            EXPECT_EQ(Enabled(*window), QStringList{"TM_Overtime_C"}) << write.what;
            EXPECT_EQ(window->PollFlag, loop);
            EXPECT_EQ(Sent(), write.request) << write.what;
            module.Write(write.reply);
            window->TM_Overtime_C_Timer();
            EXPECT_EQ(window->Panel()->Text_Message->text(),
                      write.reply.isEmpty() ? kError : kNormal)
                << write.what;
            EXPECT_EQ(Enabled(*window), QStringList{resumed}) << write.what << " loop " << loop;
        }
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(CombinationTest, AdjustmentValuesFollowTheStoredReadings) {
    Switches().FeatureMode = 1;
    auto window = OpenWith<ZN410Frm>();
    window->Command_OK1_Click();
    window->TM_Acquisition_A_Timer();
    EXPECT_EQ(Sent(), kAnalogPoll);
    // Raw counts 1900, 1901, 2000, 2048, 4095 and 0.
    module.Write(HexBytes("01 03 0C 07 6C 07 6D 07 D0 08 00 0F FF 00 00", true));
    window->TM_Overtime_A_Timer();
    EXPECT_EQ(Texts(window->Measurements->AI_SHOW), "9.28mA|9.28mA|9.77mA|10.00mA|20.00mA|0.00mA");
    window->Command_OK1_Click();  // idle: each write goes out at once

    const char* values[6] = {"00", "FF", "F0", "00", "00", "00"};
    for (int channel = 0; channel < 6; ++channel) {
        window->Command_Adj_Click(channel);
        EXPECT_EQ(Sent(), SpacedHex(HexBytes(QString("01 06 03 %1 00 %2")
                                                 .arg(0xE8 + channel, 2, 16)
                                                 .toUpper()
                                                 .arg(values[channel]),
                                             true)))
            << "channel " << channel;
        window->TM_Overtime_C_Timer();
    }
    window->Command_Clr_Click();
    EXPECT_EQ(Sent(), "01 06 04 4C 00 58 48 D7 ");
    window->TM_Overtime_C_Timer();

    // ADJ takes its address from the measurement list, not the output list.
    window->AddressList(2)->setEditText("9");
    window->AddressList(0)->setEditText("300");
    window->Command_Adj_Click(2);
    EXPECT_EQ(platform.messages, QStringList{"Setting error！"});
    EXPECT_EQ(Sent(100), "");
}

TEST_F(CombinationTest, AnalogUnitsAndServiceButtonsByModel) {
    for (int mode : {0, 1, 2, 3, 4}) {
        Switches().FeatureMode = mode;
        const bool service = mode == 1 || mode == 4;
        ZN420Frm zn420;
        zn420.OpenWindow();
        EXPECT_EQ(zn420.Measurements->Command_Adj.size(), 6u);
        for (QPushButton* adjust : zn420.Measurements->Command_Adj)
            EXPECT_EQ(adjust->isVisibleTo(&zn420), service) << mode;
        EXPECT_EQ(zn420.Measurements->Command_Clr->isVisibleTo(&zn420), service);
        for (QPushButton* preset : zn420.Outputs->DO_Set_Command)
            EXPECT_EQ(preset->isVisibleTo(&zn420), service) << mode;
        ZN430Frm zn430;
        zn430.OpenWindow();
        EXPECT_TRUE(zn430.Measurements->Command_Adj.empty());
        EXPECT_EQ(zn430.Measurements->Command_Clr, nullptr);
        EXPECT_EQ(zn430.Outputs->DO_Set_Command[0]->isVisibleTo(&zn430), service);
    }
    auto zn420 = OpenWith<ZN420Frm>();
    zn420->Command_OK1_Click();
    zn420->TM_Acquisition_A_Timer();
    Sent();
    module.Write(HexBytes("01 03 0C 0F FF 00 00 04 CD 08 00 00 00 00 00", true));
    zn420->TM_Overtime_A_Timer();
    EXPECT_EQ(Texts(zn420->Measurements->AI_SHOW), "10.00V|0.00V|3.00V|5.00V|0.00V|0.00V");
}

TEST_F(CombinationTest, ZN430ShowsWholeDegreesAndNoSensor) {
    auto window = OpenWith<ZN430Frm>();
    const QString poll = "01 03 00 00 00 04 44 09 ";
    window->Command_OK1_Click();
    window->TM_Acquisition_A_Timer();
    EXPECT_EQ(Sent(), poll);
    module.Write(HexBytes("01 03 08 00 00 03 E8 03 E9 FF FF", true));
    window->TM_Overtime_A_Timer();
    EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal);
    EXPECT_EQ(Texts(window->Measurements->AI_SHOW), "0℃|1000℃|No Sensor|No Sensor");

    // Another module's reply of the right length is refused; the readings stay.
    window->TM_Acquisition_A_Timer();
    Sent();
    module.Write(HexBytes("02 03 08 00 19 00 19 00 19 00 19", true));
    window->TM_Overtime_A_Timer();
    EXPECT_EQ(window->Panel()->Text_Message->text(), kError);
    EXPECT_EQ(Texts(window->Measurements->AI_SHOW), "0℃|1000℃|No Sensor|No Sensor");

    // A reply awaited when Stop is pressed is still painted.
    window->TM_Acquisition_A_Timer();
    Sent();
    window->Command_OK1_Click();
    module.Write(HexBytes("01 03 08 00 19 00 00 00 01 03 E8", true));
    window->TM_Overtime_A_Timer();
    EXPECT_EQ(Texts(window->Measurements->AI_SHOW), "25℃|0℃|1℃|1000℃");
    EXPECT_EQ(Enabled(*window), QStringList{});
}

TEST_F(CombinationTest, DigitalInputsArePaintedOnlyWhileTheirLoopRuns) {
    auto window = OpenWith<ZN430Frm>();
    window->Command_OK2_Click();
    for (int mode : {0, 1}) {
        Switches().FeatureMode = mode;
        platform.beeps = 0;
        window->TM_Acquisition_B_Timer();
        EXPECT_EQ(Sent(), kInputPoll);
        module.Write(HexBytes("01 02 01 FD", true));  // the high half is not this module's
        window->TM_Overtime_B_Timer();
        EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "1,3,4");
        EXPECT_EQ(platform.beeps, mode == 1 ? 3 : 0);
    }
    window->TM_Acquisition_B_Timer();
    Sent();
    window->Command_OK2_Click();  // Stop while the reply is on its way
    module.Write(HexBytes("01 02 01 02", true));
    window->TM_Overtime_B_Timer();
    EXPECT_EQ(window->Panel()->Text_Receive->text(), SpacedHex(HexBytes("01 02 01 02", true)));
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "1,3,4");
    EXPECT_EQ(Enabled(*window), QStringList{});

    // Closing the port stops the running loop.
    window->Command_OK2_Click();
    window->Command_Port_Click();
    EXPECT_EQ(window->Inputs->Loop->Button->text(), "Read");
    EXPECT_EQ(window->PollFlag, 0);
    EXPECT_EQ(Enabled(*window), QStringList{});
}

TEST_F(CombinationTest, LoadSetsCaptionsNamesAndIntervals) {
    TextTable::Fill(false);
    Switches().EnglishUi = 0;
    sys.WriteFile("tm.rc",
                  "Poll       00210\r\nDigitalIn  00120\r\nOutWrite   00330\r\n"
                  "Measure    00140\r\nAnalogOut  00150\r\nMeasure2   00160\r\n");
    ZN410Frm zn410;
    zn410.OpenWindow();
    EXPECT_EQ(zn410.windowTitle(), "ZN410");
    EXPECT_EQ(zn410.Measurements->objectName(), "Frame2");
    EXPECT_EQ(zn410.Measurements->title(), " 模拟量输入采集 ");
    EXPECT_EQ(zn410.Outputs->title(), " 数字量输出控制 ");
    EXPECT_EQ(zn410.Inputs->title(), " 数字量输入采集 ");
    EXPECT_EQ(zn410.Label6->text(), "模块地址");
    EXPECT_EQ(zn410.Outputs->Label16->text(), "模块地址");
    EXPECT_EQ(zn410.Inputs->Label17->text(), "模块地址");
    EXPECT_EQ(zn410.Measurements->Loop()->Button->objectName(), "Command_OK1");
    EXPECT_EQ(zn410.Inputs->Loop->Button->objectName(), "Command_OK2");
    EXPECT_EQ(zn410.Outputs->WriteButton->objectName(), "Command_OK3");
    EXPECT_EQ(zn410.Measurements->Loop()->Button->text(), "读 取");
    EXPECT_EQ(zn410.Inputs->Loop->Button->text(), "读 取");
    EXPECT_EQ(zn410.Outputs->WriteButton->text(), "确 定");
    EXPECT_EQ(Texts(zn410.Measurements->Label18), "AI_1|AI_2|AI_3|AI_4|AI_5|AI_6");
    EXPECT_EQ(Texts(zn410.Outputs->Label15), "DO_01|DO_02|DO_03|DO_04");
    EXPECT_EQ(Texts(zn410.Inputs->Label18), "DI_01|DI_02|DI_03|DI_04");
    for (int index : {0, 1, 2}) EXPECT_EQ(zn410.AddressList(index)->currentText(), "1");
    EXPECT_EQ(zn410.Measurements->Loop()->Acquisition->interval(), 210);
    EXPECT_EQ(zn410.Measurements->Loop()->Overtime->interval(), 140);
    EXPECT_EQ(zn410.Inputs->Loop->Acquisition->interval(), 210);
    EXPECT_EQ(zn410.Inputs->Loop->Overtime->interval(), 120);
    EXPECT_EQ(zn410.Outputs->Overtime->interval(), 330);
    EXPECT_EQ(zn410.findChildren<VbTimer*>("TM_Overtime_C").size(), 1);

    ZN420Frm zn420;
    zn420.OpenWindow();
    EXPECT_EQ(Texts(zn420.Measurements->Label18), "VI_1|VI_2|VI_3|VI_4|VI_5|VI_6");

    ZN430Frm zn430;
    zn430.OpenWindow();
    EXPECT_EQ(zn430.windowTitle(), "ZN430");
    EXPECT_EQ(zn430.Measurements->title(), " 温度采集 ");
    EXPECT_EQ(Texts(zn430.Measurements->Label18), "T_1|T_2|T_3|T_4");
    EXPECT_EQ(zn430.Measurements->Loop()->Overtime->interval(), 160);
    EXPECT_EQ(zn430.Inputs->Loop->Overtime->interval(), 120);
    EXPECT_EQ(zn430.Outputs->Overtime->interval(), 330);
}
