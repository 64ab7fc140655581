// A re-open that fails leaves the panel closed with its lamp black, by whatever path the window
// re-opens: a search step, a change, a rejected poll, a one-shot command.
#include <gtest/gtest.h>

#include <QFile>
#include <functional>

#include "tests/support/ProbeWindow.h"
#include "tests/support/WindowTest.h"
#include "windows/setting/SetFrm.h"

namespace {
class ReopenFailureTest : public WindowTest {};
}  // namespace

TEST_F(ReopenFailureTest, EveryPathLeavesThePanelClosedWithTheLampBlack) {
    struct Case {
        const char* path;
        std::function<WorkWindow*()> make;
        std::function<void(WorkWindow&)> before;  // with the device there
        std::function<void(WorkWindow&)> after;   // with the device gone
    };
    SetFrm setting;
    ProbeWindow probe;
    const Case cases[] = {
        {"search step", [&] { return &setting; }, [&](WorkWindow&) { setting.Command_OK1_Click(); },
         [&](WorkWindow&) { setting.TM_Acquisition_A_Timer(); }},
        {"address change", [&] { return &setting; }, [](WorkWindow&) {},
         [&](WorkWindow&) { setting.Command_OK2_Click(); }},
        {"rejected poll", [&] { return &probe; },
         [&](WorkWindow&) {
             probe.loop->Click();
             probe.loop->AcquisitionTick();
         },
         [&](WorkWindow&) { probe.loop->OvertimeTick(); }},
        {"one-shot command", [&] { return &probe; },
         [&](WorkWindow&) {
             probe.loop->Click();
             probe.loop->AcquisitionTick();
         },
         [&](WorkWindow&) { probe.Write(7); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        platform.messages.clear();
        WorkWindow& window = *c.make();
        Start(window);
        ASSERT_EQ(window.Panel()->Shape1->Color(), QColor(Qt::green));
        c.before(window);
        // The adapter is pulled: its link goes, and no other device may stand in for it.
        ASSERT_TRUE(QFile::remove("sys/COM1"));
        c.after(window);
        EXPECT_FALSE(SerialPort::IsOpen());
        EXPECT_EQ(window.Panel()->Command_Port->text(), Tt(TextKey::CaptionPortOpen));
        EXPECT_EQ(window.Panel()->Shape1->Color(), QColor(Qt::black));
        EXPECT_EQ(platform.messages.size(), 1) << platform.messages.join(" | ").toStdString();
        for (VbTimer* timer : window.findChildren<VbTimer*>())
            EXPECT_FALSE(timer->Enabled()) << timer->objectName().toStdString();
        ASSERT_TRUE(QFile::link(module.SlavePath(), "sys/COM1"));
        window.Form_QueryUnload();
        while (!module.ReadRequest(50).isEmpty()) {
        }
    }
}
