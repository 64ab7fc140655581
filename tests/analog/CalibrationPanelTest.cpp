// The output calibration panel of the three-channel output windows: its visibility, the read,
// trim, write, start values, reset and presets, and its state after closing and reopening.
#include <memory>

#include "app/WorkWindows.h"
#include "tests/support/WindowTest.h"
#include "windows/analog/AnalogOutputWindow.h"

namespace {
std::unique_ptr<AnalogOutputWindow> MakeOutput(const QString& model) {
    WorkWindow* window = WorkWindowFactories().at(model)();
    return std::unique_ptr<AnalogOutputWindow>(dynamic_cast<AnalogOutputWindow*>(window));
}

QStringList TrimLabels(const CalibrationPanel& panel) {
    QStringList texts;
    for (QLabel* label : panel.Label_CAL) texts << label->text();
    return texts;
}

QList<int> TrimBars(const CalibrationPanel& panel) {
    QList<int> values;
    for (QScrollBar* bar : panel.HScroll2) values << bar->value();
    return values;
}

bool WriteButtonsShown(const CalibrationPanel& panel) {
    int shown = 0;
    for (QPushButton* write : panel.Command_CAL) shown += write->isHidden() ? 0 : 1;
    EXPECT_TRUE(shown == 0 || shown == 6);
    return shown == 6;
}
}  // namespace

class CalibrationTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        UseLanguage(true, 4);
    }
    // Reads the calibration values and answers with `values`.
    void Read(AnalogOutputWindow& window, const QByteArray& reply) {
        window.Calibration->Command_OK4->click();
        EXPECT_EQ(Request(), "01 03 00 30 00 06 C5 C7 ");
        module.Write(reply);
        window.TM_Overtime_B_Timer();
    }
};

TEST_F(CalibrationTest, InViewOnlyInModesOneAndFour) {
    for (int mode = 0; mode <= 4; ++mode) {
        UseLanguage(mode % 2 == 0, mode);
        for (const char* model : {"ZN240", "ZN250"}) {
            auto window = MakeOutput(model);
            window->OpenWindow();
            EXPECT_EQ(!window->Calibration->isHidden(), mode == 1 || mode == 4)
                << model << " mode " << mode;
            window->close();
        }
    }
    EXPECT_EQ(MakeOutput("ZN230")->Calibration, nullptr);
}

TEST_F(CalibrationTest, ReadShowsTheValuesAndRevealsTheWriteButtons) {
    auto window = MakeOutput("ZN240");
    Start(*window);
    CalibrationPanel& panel = *window->Calibration;
    EXPECT_EQ(panel.title(), " Calibration ");
    EXPECT_EQ(panel.Frame4->title(), " 0mA Calibration ");
    EXPECT_EQ(panel.Frame5->title(), " 20mA Calibration ");
    EXPECT_EQ(TrimLabels(panel), QStringList({"4000", "4000", "4000", "20000", "20000", "20000"}));
    EXPECT_FALSE(WriteButtonsShown(panel));

    // Rejected answers change nothing.
    Read(*window, QByteArray());
    Read(*window, ReadReply({4012, 3990, 4000, 20010, 19985}));
    QByteArray badCrc = ReadReply({4012, 3990, 4000, 20010, 19985, 20000});
    badCrc[16] = static_cast<char>(badCrc[16] ^ 0x01);
    Read(*window, badCrc);
    EXPECT_EQ(Message(*window), Error());
    EXPECT_EQ(TrimLabels(panel), QStringList({"4000", "4000", "4000", "20000", "20000", "20000"}));
    EXPECT_FALSE(WriteButtonsShown(panel));

    Read(*window, ReadReply({4012, 3990, 4000, 20010, 19985, 20000}));
    EXPECT_EQ(Message(*window), Normal());
    EXPECT_EQ(TrimLabels(panel), QStringList({"4012", "3990", "4000", "20010", "19985", "20000"}));
    EXPECT_EQ(TrimBars(panel), QList<int>({4012, 3990, 4000, 20010, 19985, 20000}));
    EXPECT_TRUE(WriteButtonsShown(panel));

    // Values outside a bar's range show in the label only.
    Read(*window, ReadReply({0, 4400, 3599, 20501, 19500, 65535}));
    EXPECT_EQ(TrimLabels(panel), QStringList({"0", "4400", "3599", "20501", "19500", "65535"}));
    EXPECT_EQ(TrimBars(panel), QList<int>({4012, 4400, 4000, 20010, 19500, 20000}));
    EXPECT_TRUE(WriteButtonsShown(panel));
    window->close();

    auto zn250 = MakeOutput("ZN250");
    Start(*zn250);
    EXPECT_EQ(TrimLabels(*zn250->Calibration),
              QStringList({"0", "0", "0", "10000", "10000", "10000"}));
    Read(*zn250, ReadReply({60, 50, 3, 9500, 10500, 10501}));
    EXPECT_EQ(TrimLabels(*zn250->Calibration),
              QStringList({"60", "50", "3", "9500", "10500", "10501"}));
    EXPECT_EQ(TrimBars(*zn250->Calibration), QList<int>({0, 50, 3, 9500, 10500, 10000}));
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(CalibrationTest, TrimAndWriteOneValue) {
    auto window = MakeOutput("ZN240");
    Start(*window);
    CalibrationPanel& panel = *window->Calibration;
    Read(*window, ReadReply({4000, 4000, 4000, 20000, 20000, 20000}));
    panel.Command_4[0]->click();
    EXPECT_EQ(panel.HScroll2[0]->value(), 3820);
    EXPECT_EQ(panel.Label_CAL[0]->text(), "3820");
    EXPECT_TRUE(Quiet());
    panel.Command_CAL[0]->click();
    EXPECT_EQ(Request(), "01 06 00 30 0E EC 8C 28 ");
    module.Write(HexBytes("01 06 00 30 0E EC 8C 28"));
    window->TM_Overtime_B_Timer();
    EXPECT_EQ(Message(*window), Normal());

    // An arrow click trims by one count, a click in the trough by ten.
    panel.HScroll2[4]->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(panel.Label_CAL[4]->text(), "19999");
    panel.HScroll2[4]->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(panel.Label_CAL[4]->text(), "19989");
    panel.Command_CAL_Click(4);
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 06 00 34 4E 15", true)));
    panel.Command_CAL_Click(5);
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 06 00 35 4E 20", true)));

    window->AddressList(1)->setEditText("");
    panel.Command_CAL_Click(5);
    panel.Command_OK4_Click();
    EXPECT_EQ(platform.messages,
              QStringList({"Moudle address not selected！", "Moudle address not selected！"}));
    EXPECT_TRUE(Quiet());
}

TEST_F(CalibrationTest, AValueOutsideItsBarIsWrittenBackAsShown) {
    struct Case {
        const char* model;
        QList<int> read;  // the six values the module answers with
        int index;        // the Write button pressed
        const char* body;
    };
    const Case cases[] = {
        {"ZN250", {60, 0, 0, 10000, 10000, 10000}, 0, "01 06 00 30 00 3C"},
        {"ZN250", {0, 0, 0, 10000, 11000, 10000}, 4, "01 06 00 34 2A F8"},
        {"ZN240", {0, 4000, 4000, 20000, 20000, 20000}, 0, "01 06 00 30 00 00"},
        {"ZN240", {4000, 4000, 4000, 20000, 20000, 65535}, 5, "01 06 00 35 FF FF"},
        {"ZN240", {4000, 4012, 4000, 20000, 20000, 20000}, 1, "01 06 00 31 0F AC"},  // in range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        auto window = MakeOutput(c.model);
        Start(*window);
        CalibrationPanel& panel = *window->Calibration;
        Read(*window, ReadReply(c.read));
        ASSERT_EQ(Message(*window), Normal());
        EXPECT_EQ(panel.Label_CAL[c.index]->text(), QString::number(c.read[c.index]));
        panel.Command_CAL[c.index]->click();
        EXPECT_EQ(Request(), SpacedHex(HexBytes(c.body, true)));
        // Once the bar is moved, its value is shown and sent.
        panel.HScroll2[c.index]->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        const int moved = panel.HScroll2[c.index]->value();
        EXPECT_EQ(panel.Label_CAL[c.index]->text(), QString::number(moved));
        panel.Command_CAL_Click(c.index);
        EXPECT_EQ(Request(), SpacedHex(HexBytes(QStringLiteral("01 06 00 %1 %2 %3")
                                                    .arg(0x30 + c.index, 2, 16, QChar('0'))
                                                    .arg(moved >> 8, 2, 16, QChar('0'))
                                                    .arg(moved & 0xFF, 2, 16, QChar('0'))
                                                    .toUpper(),
                                                true)));
        window->close();
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(CalibrationTest, StartValuesAndResetSendNothing) {
    auto window = MakeOutput("ZN240");
    Start(*window);
    CalibrationPanel& panel = *window->Calibration;
    Read(*window, ReadReply({0, 3990, 4000, 20010, 19985, 20000}));
    panel.Command_4_Click(1);
    panel.Command_20_Click(0);
    EXPECT_EQ(TrimLabels(panel), QStringList({"0", "3820", "4000", "20000", "19985", "20000"}));
    EXPECT_EQ(TrimBars(panel), QList<int>({4000, 3820, 4000, 20000, 19985, 20000}));
    panel.Command_CLR->click();
    EXPECT_EQ(TrimLabels(panel), QStringList({"4000", "4000", "4000", "20000", "20000", "20000"}));
    EXPECT_EQ(TrimBars(panel), QList<int>({4000, 4000, 4000, 20000, 20000, 20000}));
    EXPECT_TRUE(Quiet());
    window->close();

    auto zn250 = MakeOutput("ZN250");
    Start(*zn250);
    CalibrationPanel& volts = *zn250->Calibration;
    EXPECT_TRUE(volts.Command_4.empty());
    ASSERT_EQ(volts.Label16.size(), 3u);
    EXPECT_EQ(volts.Label16[2]->text(), "Vout3");
    EXPECT_EQ(volts.Command_20[0]->text(), "Vout1");
    volts.HScroll2[0]->setValue(7);
    volts.HScroll2[3]->setValue(9600);
    volts.Command_20[0]->click();
    EXPECT_EQ(TrimBars(volts), QList<int>({7, 0, 0, 10000, 10000, 10000}));
    volts.Command_CLR_Click();
    EXPECT_EQ(TrimLabels(volts), QStringList({"0", "0", "0", "10000", "10000", "10000"}));
    EXPECT_TRUE(Quiet());
}

TEST_F(CalibrationTest, PresetsSetThreeBarsAndSendOneFrame) {
    auto window = MakeOutput("ZN240");
    Start(*window);
    QStringList captions;
    for (QPushButton* preset : window->Calibration->Command_OK3) captions << preset->text();
    EXPECT_EQ(captions, QStringList({"4mA", "7mA", "10mA", "13mA", "17mA", "20mA"}));
    window->Calibration->Command_OK3[3]->click();
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(window->Output->HScroll1[c]->value(), 13000);
        EXPECT_EQ(window->Output->Label_I[c]->text(), "13.00");
    }
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 10 00 00 00 03 06 32 C8 32 C8 32 C8", true)));
    EXPECT_TRUE(Quiet());
    module.Write(HexBytes("01 10 00 00 00 03", true));
    window->TM_Overtime_B_Timer();
    EXPECT_EQ(Message(*window), Normal());
    window->close();

    auto zn250 = MakeOutput("ZN250");
    Start(*zn250);
    zn250->Calibration->Command_OK3_Click(0);  // "0V" when the bars already stand at 0
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 10 00 00 00 03 06 00 00 00 00 00 00", true)));
    zn250->Calibration->Command_OK3_Click(5);
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 10 00 00 00 03 06 27 10 27 10 27 10", true)));
    EXPECT_EQ(zn250->Output->Label_I[1]->text(), "10.00");
    // With the port closed a preset still moves the bars but sends nothing.
    zn250->Command_Port_Click();
    zn250->Calibration->Command_OK3_Click(2);
    EXPECT_EQ(zn250->Output->Label_I[2]->text(), "4.00");
    EXPECT_EQ(platform.messages, QStringList{"Please open serial port！"});
    EXPECT_TRUE(Quiet());
}

TEST_F(CalibrationTest, ReopenedWindowStartsFromItsDesignValues) {
    auto window = MakeOutput("ZN240");
    Start(*window);
    Read(*window, ReadReply({4012, 3990, 4000, 20010, 19985, 20000}));
    window->Calibration->Command_OK3_Click(5);
    Request();
    window->close();
    window->OpenWindow();
    EXPECT_FALSE(WriteButtonsShown(*window->Calibration));
    EXPECT_EQ(TrimLabels(*window->Calibration),
              QStringList({"4000", "4000", "4000", "20000", "20000", "20000"}));
    EXPECT_EQ(TrimBars(*window->Calibration), QList<int>({4000, 4000, 4000, 20000, 20000, 20000}));
    EXPECT_EQ(window->Output->Label_I[0]->text(), "4.00");
    EXPECT_EQ(window->Output->HScroll1[2]->value(), 4000);
    EXPECT_FALSE(window->TM_Overtime_B->Enabled());
}
