// The digital input and output windows over a pseudo-terminal: polls and writes byte for byte,
// the indicators painted from replies, presets, beeps, and the pause of polling around writes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <functional>
#include <memory>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "tests/support/WindowTest.h"
#include "windows/digital/DigitalIoWindows.h"

namespace {
const QString kNormal = "Communication data normal！";
const QString kError = "Communication data error！";

// Inputs shown ON, 1-based, each checked for its caption and colour.
QString OnIndicators(const std::vector<IndicatorLabel*>& indicators) {
    QStringList on;
    for (size_t i = 0; i < indicators.size(); ++i) {
        const bool isOn = indicators[i]->text() == "ON";
        EXPECT_EQ(indicators[i]->TextColor(),
                  isOn ? IndicatorLabel::kOnColor : IndicatorLabel::kOffColor)
            << "indicator " << i;
        if (isOn) on << QString::number(i + 1);
    }
    return on.join(",");
}

class DigitalWindowTest : public WindowTest {
  protected:
    QString Sent(int timeoutMs = 500) { return Request(timeoutMs); }
    // One poll of the input loop: tick, the request, the reply, the time-out.
    void Poll(DigitalIoWindow& window, const QString& request, const QByteArray& reply) {
        window.TM_Acquisition_A_Timer();
        EXPECT_EQ(Sent(), request);
        module.Write(reply);
        window.TM_Overtime_A_Timer();
    }
};
}  // namespace

TEST_F(DigitalWindowTest, InputPollsGoOutByteForByteAndAreConfirmed) {
    struct Case {
        std::function<std::unique_ptr<DigitalIoWindow>()> open;
        QString request;
        QByteArray reply;
    } cases[] = {
        {[this] { return OpenWith<ZN330Frm>(); }, "01 02 00 00 00 10 79 C6 ",
         HexBytes("01 02 02 00 00", true)},
        {[this] { return OpenWith<ZN310Frm>(); }, "01 02 00 00 00 08 79 CC ",
         HexBytes("01 02 01 00", true)},
        {[this] { return OpenWith<ZN350Frm>(); }, "01 02 00 00 00 08 79 CC ",
         HexBytes("01 02 01 00", true)},
    };
    for (const Case& c : cases) {
        auto window = c.open();
        window->Command_OK1_Click();
        EXPECT_EQ(window->Inputs->Loop->Button->text(), "Stop");
        EXPECT_EQ(window->PollFlag, 1);
        window->TM_Acquisition_A_Timer();
        EXPECT_FALSE(window->Inputs->Loop->Acquisition->Enabled());
        EXPECT_TRUE(window->Inputs->Loop->Overtime->Enabled());
        EXPECT_EQ(Sent(), c.request);
        EXPECT_EQ(window->Panel()->Text_Send->text(), c.request);
        module.Write(c.reply);
        window->TM_Overtime_A_Timer();
        EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal);
        EXPECT_EQ(window->Panel()->Text_Receive->text(), SpacedHex(c.reply));
        EXPECT_TRUE(window->Inputs->Loop->Acquisition->Enabled());
        EXPECT_FALSE(window->Inputs->Loop->Overtime->Enabled());
        // A reply of the sixteen-input length is refused by the eight-input windows and back.
        window->TM_Acquisition_A_Timer();
        Sent();
        module.Write(HexBytes(c.reply.size() == 7 ? "01 02 01 00" : "01 02 02 00 00", true));
        window->TM_Overtime_A_Timer();
        EXPECT_EQ(window->Panel()->Text_Message->text(), kError);
        window->Form_QueryUnload();
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(DigitalWindowTest, ZN330PaintsSixteenIndicatorsAndKeepsThemOnBadReplies) {
    auto window = OpenWith<ZN330Frm>();
    const QString poll = "01 02 00 00 00 10 79 C6 ";
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "");
    window->Command_OK1_Click();
    Poll(*window, poll, HexBytes("01 02 02 05 80", true));
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "1,3,16");
    EXPECT_EQ(window->Inputs->Label18[15]->text(), "DI_16");

    QByteArray badCrc = HexBytes("01 02 02 FF FF", true);
    badCrc[6] = static_cast<char>(badCrc[6] ^ 0x40);
    const QList<QByteArray> rejected = {
        HexBytes("02 02 02 FF FF", true),  // another module
        HexBytes("01 03 02 FF FF", true),  // another function
        badCrc,
        HexBytes("01 82 02", true),  // exception reply
        HexBytes("01 02 01 FF", true),
        QByteArray(),
    };
    for (const QByteArray& reply : rejected) {
        Poll(*window, poll, reply);
        EXPECT_EQ(window->Panel()->Text_Message->text(), kError) << SpacedHex(reply).toStdString();
        EXPECT_EQ(window->Panel()->Text_Receive->text(), "");
        EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "1,3,16");
        EXPECT_TRUE(window->Inputs->Loop->Acquisition->Enabled());
    }
    Poll(*window, poll, HexBytes("01 02 02 30 01", true));
    EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal);
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "5,6,9");
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(DigitalWindowTest, StopWhileAwaitingShowsTheReplyButPaintsNothingAndSendsNoMore) {
    auto window = OpenWith<ZN330Frm>();
    window->Command_OK1_Click();
    window->TM_Acquisition_A_Timer();
    Sent();
    window->Command_OK1_Click();  // Stop
    EXPECT_EQ(window->PollFlag, 0);
    const QByteArray reply = HexBytes("01 02 02 FF FF", true);
    module.Write(reply);
    window->TM_Overtime_A_Timer();
    EXPECT_EQ(window->Panel()->Text_Receive->text(), SpacedHex(reply));
    EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal);
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "");
    EXPECT_FALSE(window->Inputs->Loop->Acquisition->Enabled());
    EXPECT_EQ(window->Inputs->Loop->Button->text(), "Read");
}

TEST_F(DigitalWindowTest, EveryOnInputBeepsOnlyInTheBeepModes) {
    auto window = OpenWith<ZN330Frm>();
    window->Command_OK1_Click();
    const QString poll = "01 02 00 00 00 10 79 C6 ";
    for (int mode = 0; mode <= 4; ++mode) {
        Switches().FeatureMode = mode;
        platform.beeps = 0;
        Poll(*window, poll, HexBytes("01 02 02 05 80", true));
        EXPECT_EQ(platform.beeps, mode == 1 || mode == 4 ? 3 : 0) << "FeatureMode " << mode;
    }
    Switches().FeatureMode = 4;
    platform.beeps = 0;
    Poll(*window, poll, HexBytes("01 02 02 FF FF", true));
    EXPECT_EQ(platform.beeps, 16);
    platform.beeps = 0;
    Poll(*window, poll, HexBytes("01 02 02 00 00", true));
    EXPECT_EQ(platform.beeps, 0);
}

TEST_F(DigitalWindowTest, PresetsWriteTheirPatternOnEveryOutputWindow) {
    Switches().FeatureMode = 1;
    struct Case {
        std::function<std::unique_ptr<DigitalIoWindow>()> open;
        QString halfOn1, halfOn2, allOn, allOff;  // data bytes after the byte count
        QString header;
    } cases[] = {
        {[this] { return OpenWith<ZN320Frm>(); }, "55", "AA", "FF", "00", "01 0F 00 00 00 08 01"},
        {[this] { return OpenWith<ZN340Frm>(); }, "55 55", "AA AA", "FF FF", "00 00",
         "01 0F 00 00 00 10 02"},
        {[this] { return OpenWith<ZN310Frm>(); }, "05", "0A", "0F", "00", "01 0F 00 00 00 04 01"},
        {[this] { return OpenWith<ZN350Frm>(); }, "55", "AA", "FF", "00", "01 0F 00 00 00 08 01"},
    };
    for (const Case& c : cases) {
        auto window = c.open();
        const QString data[4] = {c.halfOn1, c.halfOn2, c.allOn, c.allOff};
        for (int preset = 0; preset < 4; ++preset) {
            EXPECT_TRUE(window->Outputs->DO_Set_Command[preset]->isVisibleTo(window.get()));
            window->DO_Set_Command_Click(preset);
            const QString request = SpacedHex(HexBytes(c.header + " " + data[preset], true));
            EXPECT_EQ(Sent(), request) << window->windowTitle().toStdString() << " " << preset;
            EXPECT_TRUE(window->Outputs->Overtime->Enabled());
            module.Write(HexBytes(c.header.left(17), true));
            window->TM_Overtime_B_Timer();
            EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal);
            EXPECT_FALSE(window->Outputs->Overtime->Enabled());
        }
        window->Form_QueryUnload();
    }
    // The byte values the documentation of these modules gives.
    auto zn320 = OpenWith<ZN320Frm>();
    zn320->DO_Set_Command_Click(2);
    EXPECT_EQ(Sent(), "01 0F 00 00 00 08 01 FF BE D5 ");
    zn320->Form_QueryUnload();
    auto zn340 = OpenWith<ZN340Frm>();
    zn340->DO_Set_Command_Click(2);
    EXPECT_EQ(Sent(), "01 0F 00 00 00 10 02 FF FF E3 90 ");
    zn340->Form_QueryUnload();
    auto zn310 = OpenWith<ZN310Frm>();
    zn310->DO_Set_Command_Click(0);
    EXPECT_EQ(Sent(), "01 0F 00 00 00 04 01 05 FE 95 ");
    zn310->DO_Set_Command_Click(3);
    EXPECT_EQ(Sent(), "01 0F 00 00 00 04 01 00 3E 96 ");
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(DigitalWindowTest, ZN340WritesEachHalfOfItsOutputsInItsOwnByte) {
    auto window = OpenWith<ZN340Frm>();
    window->DO_SHOW_Click(8);
    EXPECT_EQ(window->Outputs->Label15[8]->text(), "DO_09");
    window->Command_OK2_Click();
    EXPECT_EQ(Sent(), SpacedHex(HexBytes("01 0F 00 00 00 10 02 00 01", true)));
    window->DO_SHOW_Click(8);
    window->DO_SHOW_Click(7);
    window->Command_OK2_Click();
    EXPECT_EQ(Sent(), SpacedHex(HexBytes("01 0F 00 00 00 10 02 80 00", true)));
}

TEST_F(DigitalWindowTest, LabelClicksAndPresetsSetCaptionAndColourTogether) {
    Switches().FeatureMode = 4;
    auto window = OpenWith<ZN320Frm>();
    auto& outputs = window->Outputs->DO_SHOW;
    // Each preset after a mixed state: every label green when ON and white when OFF (checked by
    // OnIndicators), whatever colour it had before.
    const char* patterns[] = {"1,3,5,7", "2,4,6,8", "1,2,3,4,5,6,7,8", ""};
    for (int preset : {2, 0, 1, 3, 0}) {
        window->DO_SHOW_Click(preset);
        window->DO_Set_Command_Click(preset);
        EXPECT_EQ(OnIndicators(outputs), patterns[preset]) << preset;
        EXPECT_EQ(window->Panel()->Text_Send->text(), Sent()) << preset;
    }
    window->DO_Set_Command_Click(2);  // ALL ON
    Sent();
    window->DO_SHOW_Click(0);
    EXPECT_EQ(outputs[0]->text(), "OFF");
    EXPECT_EQ(outputs[0]->TextColor(), IndicatorLabel::kOffColor);
    // A real mouse press on the label does the same as the handler.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(outputs[0], &press);
    EXPECT_EQ(outputs[0]->text(), "ON");
    EXPECT_EQ(outputs[0]->TextColor(), IndicatorLabel::kOnColor);
    window->DO_Set_Command_Click(3);  // ALL OFF
    Sent();
    EXPECT_EQ(OnIndicators(outputs), "");
    // Clicks alone put nothing on the line.
    window->DO_SHOW_Click(3);
    window->DO_SHOW_Click(5);
    EXPECT_EQ(Sent(100), "");
    EXPECT_EQ(window->Panel()->Text_Send->text(),
              SpacedHex(HexBytes("01 0F 00 00 00 08 01 00", true)));
    // A failed write leaves the labels as set.
    window->Command_OK2_Click();
    EXPECT_EQ(Sent(), SpacedHex(HexBytes("01 0F 00 00 00 08 01 28", true)));
    window->TM_Overtime_B_Timer();
    EXPECT_EQ(window->Panel()->Text_Message->text(), kError);
    EXPECT_EQ(outputs[3]->text(), "ON");
    EXPECT_EQ(outputs[5]->text(), "ON");
    // The window opened again starts from its design state.
    window->Form_QueryUnload();
    window->OpenWindow();
    EXPECT_EQ(outputs[3]->text(), "OFF");
    EXPECT_EQ(outputs[3]->TextColor(), IndicatorLabel::kOffColor);
}

TEST_F(DigitalWindowTest, WriteWhilePollingPausesTheInputLoopAndResumesIt) {
    auto window = OpenWith<ZN310Frm>();
    const QString poll = "01 02 00 00 00 08 79 CC ";
    window->Command_OK1_Click();
    Poll(*window, poll, HexBytes("01 02 01 03", true));
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "1,2");

    // The write comes while a poll reply is on its way: the pause drops it.
    window->TM_Acquisition_A_Timer();
    Sent();
    module.Write(HexBytes("01 02 01 FF", true));
    window->DO_SHOW_Click(1);
    platform.waited = 0;
    window->Command_OK2_Click();
    EXPECT_EQ(platform.waited, 100);
    EXPECT_FALSE(window->Inputs->Loop->Acquisition->Enabled());
    EXPECT_FALSE(window->Inputs->Loop->Overtime->Enabled());
    EXPECT_EQ(window->Inputs->Loop->Button->text(), "Stop");
    EXPECT_EQ(window->PollFlag, 1);
    EXPECT_EQ(Sent(), SpacedHex(HexBytes("01 0F 00 00 00 04 01 02", true)));
    module.Write(HexBytes("01 0F 00 00 00 04", true));
    window->TM_Overtime_B_Timer();
    EXPECT_EQ(window->Panel()->Text_Message->text(), kNormal);
    EXPECT_TRUE(window->Inputs->Loop->Acquisition->Enabled());
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "1,2");

    // An unanswered write resumes polling all the same.
    window->Command_OK2_Click();
    Sent();
    window->TM_Overtime_B_Timer();
    EXPECT_EQ(window->Panel()->Text_Message->text(), kError);
    EXPECT_TRUE(window->Inputs->Loop->Acquisition->Enabled());
    Poll(*window, poll, HexBytes("01 02 01 80", true));
    EXPECT_EQ(OnIndicators(window->Inputs->DI_SHOW), "8");

    // A write while idle leaves the loop idle.
    window->Command_OK1_Click();
    window->Command_OK2_Click();
    Sent();
    module.Write(HexBytes("01 0F 00 00 00 04", true));
    window->TM_Overtime_B_Timer();
    EXPECT_FALSE(window->Inputs->Loop->Acquisition->Enabled());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(DigitalWindowTest, RefusedWritesSendNothing) {
    auto window = OpenWith<ZN350Frm>();
    window->Command_OK1_Click();
    for (const QString& text : {QString("256"), QString("x1"), QString("-3")}) {
        platform.messages.clear();
        window->AddressList(1)->setEditText(text);
        window->Command_OK2_Click();
        EXPECT_EQ(platform.messages, QStringList{"Setting error！"}) << text.toStdString();
        EXPECT_EQ(window->Panel()->Text_Send->text(), "");
    }
    platform.messages.clear();
    window->AddressList(1)->setEditText("");
    window->Command_OK2_Click();
    EXPECT_EQ(platform.messages, QStringList{"Moudle address not selected！"});
    EXPECT_EQ(Sent(100), "");
    // The poll address is its own list: polling is untouched by the refused writes.
    window->TM_Acquisition_A_Timer();
    EXPECT_EQ(Sent(), "01 02 00 00 00 08 79 CC ");

    window->Command_Port_Click();  // close: polling stops
    EXPECT_EQ(window->Inputs->Loop->Button->text(), "Read");
    EXPECT_EQ(window->PollFlag, 0);
    platform.messages.clear();
    window->AddressList(1)->setEditText("7");
    window->Command_OK2_Click();
    EXPECT_EQ(platform.messages, QStringList{"Please open serial port！"});
    EXPECT_FALSE(window->Inputs->Loop->Acquisition->Enabled());
}

TEST_F(DigitalWindowTest, LoadSetsCaptionsIntervalsAndServiceButtons) {
    TextTable::Fill(false);
    Switches().EnglishUi = 0;
    sys.WriteFile("tm.rc",
                  "Poll       00210\r\nDigitalIn  00120\r\nOutWrite   00330\r\n"
                  "Measure    00140\r\nAnalogOut  00150\r\nMeasure2   00160\r\n");
    ZN350Frm zn350;
    zn350.OpenWindow();
    EXPECT_EQ(zn350.windowTitle(), "ZN350");
    EXPECT_EQ(zn350.Inputs->title(), " 数字量输入采集 ");
    EXPECT_EQ(zn350.Outputs->title(), " 数字量输出控制 ");
    EXPECT_EQ(zn350.Inputs->Loop->Button->text(), "读 取");
    EXPECT_EQ(zn350.Outputs->WriteButton->text(), "确 定");
    EXPECT_EQ(zn350.Inputs->Label17->text(), "模块地址");
    EXPECT_EQ(zn350.Outputs->Label16->text(), "模块地址");
    EXPECT_EQ(zn350.Inputs->Loop->Acquisition->interval(), 210);
    EXPECT_EQ(zn350.Inputs->Loop->Overtime->interval(), 120);
    EXPECT_EQ(zn350.Outputs->Overtime->interval(), 330);
    EXPECT_EQ(zn350.Outputs->Label15[7]->text(), "DO_08");
    for (QPushButton* preset : zn350.Outputs->DO_Set_Command)
        EXPECT_FALSE(preset->isVisibleTo(&zn350));
    EXPECT_EQ(zn350.AddressList(0)->currentText(), "1");
    EXPECT_EQ(zn350.AddressList(1)->currentText(), "1");

    ZN310Frm zn310;
    zn310.OpenWindow();
    EXPECT_EQ(zn310.Outputs->title(), " 继电器输出控制 ");
    EXPECT_EQ(zn310.Outputs->DO_SHOW.size(), 4u);
    EXPECT_EQ(zn310.Outputs->Label15[3]->text(), "RY_04");
    EXPECT_EQ(zn310.Inputs->DI_SHOW.size(), 8u);

    ZN320Frm zn320;
    zn320.OpenWindow();
    EXPECT_EQ(zn320.Inputs, nullptr);
    EXPECT_EQ(zn320.AddressList(0), nullptr);
    EXPECT_NE(zn320.AddressList(1), nullptr);
    EXPECT_EQ(zn320.Outputs->Overtime->interval(), 330);
    EXPECT_EQ(zn320.findChildren<QPushButton*>("Command_OK1").size(), 0);

    ZN330Frm zn330;
    zn330.OpenWindow();
    EXPECT_EQ(zn330.Outputs, nullptr);
    EXPECT_EQ(zn330.Inputs->DI_SHOW.size(), 16u);
    EXPECT_EQ(zn330.Inputs->Loop->Overtime->interval(), 120);
    EXPECT_EQ(zn330.findChild<QWidget*>("DI_SHOW(15)")->accessibleDescription(), "DI_SHOW(15)");
}
