// Every kind of frame is logged with what caused it, though no window knows of the log: the poll
// loops, a write, an adjustment, a calibration, a search step with its candidate settings and a
// typed frame, each from a real window over a pseudo-terminal.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/WorkWindows.h"
#include "workwindow/PollLoop.h"
#include "core/traffic/TrafficLog.h"
#include "core/traffic/TrafficTexts.h"
#include "tests/support/WindowTest.h"
#include "windows/analog/AnalogInputWindow.h"
#include "windows/analog/AnalogOutputWindow.h"
#include "windows/registers/SysFrm.h"
#include "core/modules/ParameterCodes.h"
#include "windows/setting/SetFrm.h"

namespace {
template <class W>
W& As(WorkWindow& window) {
    return dynamic_cast<W&>(window);
}

PollLoop* LoopWithFlag(WorkWindow& window, int flag) {
    for (PollLoop* loop : window.Loops())
        if (loop->FlagValue() == flag) return loop;
    return nullptr;
}

class TrafficCauseTest : public WindowTest {};
}  // namespace

TEST_F(TrafficCauseTest, EachFrameCarriesItsCause) {
    struct {
        const char* window;
        int featureMode;
        std::function<void(WorkWindow&)> send;
        std::function<QString()> cause;
    } cases[] = {
        {"ZN410", 0,
         [](WorkWindow& w) {
             PollLoop* loop = LoopWithFlag(w, 1);
             loop->Click();
             loop->AcquisitionTick();
         },
         [] { return QString("poll loop A"); }},
        {"ZN410", 0,
         [](WorkWindow& w) {
             PollLoop* loop = LoopWithFlag(w, 2);
             loop->Click();
             loop->AcquisitionTick();
         },
         [] { return QString("poll loop B"); }},
        {"ZN240", 4, [](WorkWindow& w) { As<AnalogOutputWindow>(w).Output->Command_OK2_Click(); },
         [] { return QString("write"); }},
        {"ZN240", 4,
         [](WorkWindow& w) { As<AnalogOutputWindow>(w).Calibration->Command_OK4_Click(); },
         [] { return QString("calibration"); }},
        {"ZN260", 1, [](WorkWindow& w) { As<AnalogInputWindow>(w).Command_Adj_Click(0); },
         [] { return QString("adjust"); }},
        {"SysFrm", 4,
         [](WorkWindow& w) {
             w.Panel()->Text_Send->setText("01 03 00 64 00 01 C5 D5");
             As<SysFrm>(w).Command_OK3_Click();
         },
         [] { return QString("typed frame"); }},
        {"SetFrm", 0,
         [](WorkWindow& w) {
             As<SetFrm>(w).Command_OK1_Click();
             As<SetFrm>(w).TM_Acquisition_A_Timer();
         },
         [] {
             return QString("search step 1 of %1, %2")
                 .arg(ParameterCodes::CandidateCount(false))
                 .arg(PortSettings());
         }},
    };
    TrafficLog& log = TrafficLog::Instance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window);
        UseLanguage(true, c.featureMode);
        std::unique_ptr<WorkWindow> window(WorkWindowFactories().at(c.window)());
        Start(*window);
        log.Clear();
        c.send(*window);
        ASSERT_FALSE(module.ReadRequest().isEmpty());
        ASSERT_EQ(log.Count(), 1);
        EXPECT_EQ(log.Row(0).direction, TrafficRow::Sent);
        EXPECT_EQ(log.Row(0).cause, c.cause());
        EXPECT_EQ(log.Followed(), window->windowTitle());
        window->close();
    }
}
