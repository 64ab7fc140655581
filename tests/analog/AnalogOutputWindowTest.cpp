// The three output windows over a pseudo-terminal: bars and value labels, the single and
// multiple register writes, and how TM_Overtime_B judges replies. Also the main window opening
// every analog model.
#include <functional>
#include <memory>

#include "app/MainWindow.h"
#include "app/WorkWindows.h"
#include "tests/support/WindowTest.h"
#include "windows/analog/AnalogInputWindow.h"
#include "windows/analog/AnalogOutputWindow.h"

namespace {
std::unique_ptr<AnalogOutputWindow> MakeOutput(const QString& model) {
    WorkWindow* window = WorkWindowFactories().at(model)();
    return std::unique_ptr<AnalogOutputWindow>(dynamic_cast<AnalogOutputWindow*>(window));
}

QStringList ValueLabels(const AnalogOutputWindow& window) {
    QStringList texts;
    for (QLabel* label : window.Output->Label_I) texts << label->text();
    return texts;
}
}  // namespace

using OutputWindowTest = WindowTest;

TEST_F(OutputWindowTest, BarsLabelsAndStepsPerModel) {
    struct Case {
        const char* model;
        int channels, minimum, maximum;
        const char* atLoad;
        const char* unit;
    };
    const Case cases[] = {
        {"ZN230", 1, 0, 20000, "0.00", "mA"},
        {"ZN240", 3, 4000, 20000, "4.00", "mA"},
        {"ZN250", 3, 0, 10000, "0.00", "V"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        auto window = MakeOutput(c.model);
        ASSERT_TRUE(window);
        window->OpenWindow();
        EXPECT_EQ(window->windowTitle(), c.model);
        EXPECT_EQ(window->Output->title(), " Analog Output ");
        EXPECT_EQ(window->Output->Command_OK2->text(), "Write");
        EXPECT_EQ(window->Label16->text(), "Address");
        EXPECT_EQ(window->AddressList(0), nullptr);
        EXPECT_EQ(window->AddressList(1)->currentText(), "1");
        EXPECT_EQ(window->TM_Overtime_B->interval(), 51);
        ASSERT_EQ(window->Output->HScroll1.size(), static_cast<size_t>(c.channels));
        for (int i = 0; i < c.channels; ++i) {
            QScrollBar* bar = window->Output->HScroll1[i];
            EXPECT_EQ(window->Output->Label_I[i]->text(), c.atLoad);
            EXPECT_EQ(window->Output->Label_mA[i]->text(), c.unit);
            bar->setValue(-5);
            EXPECT_EQ(bar->value(), c.minimum);
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            EXPECT_EQ(bar->value(), c.minimum + 10);
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            EXPECT_EQ(bar->value(), c.minimum + 50);
            EXPECT_EQ(window->Output->Label_I[i]->text(),
                      QString::number((c.minimum + 50) / 1000.0, 'f', 2));
            bar->setValue(c.maximum + 1);
            EXPECT_EQ(window->Output->Label_I[i]->text(),
                      QString::number(c.maximum / 1000, 'f', 2));
        }
        // Moving a bar sends nothing.
        EXPECT_TRUE(Quiet());
        window->close();
    }
    auto zn240 = MakeOutput("ZN240");
    EXPECT_EQ(zn240->Output->Label16[2]->text(), "Iout3");
    auto zn250 = MakeOutput("ZN250");
    EXPECT_EQ(zn250->Output->Label16[0]->text(), "Vout1");
}

TEST_F(OutputWindowTest, WritesOneOrThreeRegisters) {
    auto zn230 = MakeOutput("ZN230");
    Start(*zn230);
    zn230->Output->HScroll1[0]->setValue(12000);
    zn230->Output->Command_OK2->click();
    EXPECT_EQ(Request(), "01 06 00 00 2E E0 95 E2 ");
    EXPECT_TRUE(zn230->TM_Overtime_B->Enabled());
    module.Write(HexBytes("01 06 00 00 2E E0 95 E2"));
    zn230->TM_Overtime_B_Timer();
    EXPECT_EQ(Message(*zn230), Normal());
    EXPECT_EQ(zn230->Panel()->Text_Receive->text(), "01 06 00 00 2E E0 95 E2 ");
    EXPECT_FALSE(zn230->TM_Overtime_B->Enabled());
    zn230->Output->HScroll1[0]->setValue(20000);
    EXPECT_EQ(zn230->Output->Label_I[0]->text(), "20.00");
    zn230->Command_OK2_Click();
    EXPECT_EQ(Request(), SpacedHex(HexBytes("01 06 00 00 4E 20", true)));
    zn230->close();

    auto zn240 = MakeOutput("ZN240");
    Start(*zn240);
    zn240->Command_OK2_Click();
    EXPECT_EQ(Request(), "01 10 00 00 00 03 06 0F A0 0F A0 0F A0 60 D8 ");
    module.Write(HexBytes("01 10 00 00 00 03", true));
    zn240->TM_Overtime_B_Timer();
    EXPECT_EQ(Message(*zn240), Normal());
    zn240->close();

    auto zn250 = MakeOutput("ZN250");
    Start(*zn250);
    zn250->AddressList(1)->setEditText("17");
    zn250->Output->HScroll1[1]->setValue(5000);
    zn250->Output->HScroll1[2]->setValue(10000);
    EXPECT_EQ(ValueLabels(*zn250), QStringList({"0.00", "5.00", "10.00"}));
    zn250->Command_OK2_Click();
    EXPECT_EQ(Request(), SpacedHex(HexBytes("11 10 00 00 00 03 06 00 00 13 88 27 10", true)));
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(OutputWindowTest, RepliesJudgedByLengthHeaderAndCrc) {
    auto zn230 = MakeOutput("ZN230");
    Start(*zn230);
    const QByteArray echo = HexBytes("01 06 00 00 00 00", true);
    QByteArray badCrc = echo;
    badCrc[7] = static_cast<char>(badCrc[7] ^ 0x10);
    const QList<QByteArray> rejected = {
        QByteArray(),                                        // silence
        HexBytes("01 10 00 00 00 03", true),                 // right length, other function
        HexBytes("02 06 00 00 00 00", true),                 // other address
        ReadReply({4000, 4000, 4000, 20000, 20000, 20000}),  // a calibration answer: not here
        HexBytes("01 86 02", true),                          // exception
        badCrc,
    };
    for (const QByteArray& reply : rejected) {
        zn230->Command_OK2_Click();
        EXPECT_EQ(Request(), SpacedHex(echo));
        module.Write(reply);
        zn230->TM_Overtime_B_Timer();
        EXPECT_EQ(Message(*zn230), Error()) << SpacedHex(reply).toStdString();
        EXPECT_EQ(zn230->Panel()->Command_Port->text(), "Port Close");
    }
    // The bar keeps its value: the window cannot know whether the module took it.
    EXPECT_EQ(zn230->Output->HScroll1[0]->value(), 0);
    zn230->close();

    // On the calibrating models the 8-byte and the 17-byte answer are both taken, whatever was
    // sent; only the 17-byte one is decoded.
    UseLanguage(true, 4);
    auto zn240 = MakeOutput("ZN240");
    Start(*zn240);
    zn240->Calibration->Command_OK4_Click();
    EXPECT_EQ(Request(), "01 03 00 30 00 06 C5 C7 ");
    module.Write(HexBytes("01 03 00 30 00 06 C5 C7"));
    zn240->TM_Overtime_B_Timer();
    EXPECT_EQ(Message(*zn240), Normal());
    EXPECT_TRUE(zn240->Calibration->Command_CAL[0]->isHidden());
    EXPECT_EQ(zn240->Calibration->Label_CAL[0]->text(), "4000");
}

TEST_F(OutputWindowTest, RefusalsSendNothing) {
    auto window = MakeOutput("ZN250");
    window->OpenWindow();
    window->Command_OK2_Click();  // port closed
    window->Command_Port_Click();
    for (const char* address : {"", "x1", "256"}) {
        window->AddressList(1)->setEditText(address);
        window->Command_OK2_Click();
    }
    EXPECT_EQ(platform.messages,
              QStringList({"Please open serial port！", "Moudle address not selected！",
                           "Setting error！", "Setting error！"}));
    EXPECT_TRUE(Quiet());
    EXPECT_FALSE(window->TM_Overtime_B->Enabled());
}

TEST_F(OutputWindowTest, MainWindowOpensEachAnalogModelAsItsOwnWindow) {
    Main main;
    main.Form_Load();
    const std::pair<QString, std::function<bool(WorkWindow*)>> models[] = {
        {"ZN210", [](WorkWindow* w) { return dynamic_cast<ZN210Frm*>(w) != nullptr; }},
        {"ZN220", [](WorkWindow* w) { return dynamic_cast<ZN220Frm*>(w) != nullptr; }},
        {"ZN230", [](WorkWindow* w) { return dynamic_cast<ZN230Frm*>(w) != nullptr; }},
        {"ZN240", [](WorkWindow* w) { return dynamic_cast<ZN240Frm*>(w) != nullptr; }},
        {"ZN250", [](WorkWindow* w) { return dynamic_cast<ZN250Frm*>(w) != nullptr; }},
        {"ZN260", [](WorkWindow* w) { return dynamic_cast<ZN260Frm*>(w) != nullptr; }},
        {"ZN270", [](WorkWindow* w) { return dynamic_cast<ZN270Frm*>(w) != nullptr; }},
    };
    for (const auto& [model, isItsClass] : models) {
        main.Combo_Model->setEditText(model);
        main.Command1_Click(0);
        WorkWindow* window = main.Window(model);
        EXPECT_TRUE(isItsClass(window)) << model.toStdString();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), model);
        window->close();
        EXPECT_TRUE(main.isVisible());
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}
