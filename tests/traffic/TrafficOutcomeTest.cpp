// Every request the program writes ends with one outcome in the traffic log, whatever the window
// does meanwhile; response times are the module's, from the line's arrival times; a Clear in the
// middle of an exchange leaves the counts whole; and the line keeps Modbus RTU's silence before
// each request at every baud rate.
#include <gtest/gtest.h>

#include <poll.h>

#include <QElapsedTimer>
#include <functional>
#include <thread>

#include "core/line/SerialPort.h"
#include "core/traffic/TrafficLog.h"
#include "core/traffic/TrafficTexts.h"
#include "tests/support/ProbeWindow.h"
#include "tests/support/WindowTest.h"
#include "windows/digital/CombinationWindows.h"

namespace {
const char* kGood = "01 03 08 02 6C 02 6D 02 6E 02 6F";

QString VerdictOf(const TrafficRow& row) {
    return TrafficTexts::VerdictText(row, true);
}

class OutcomeTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        log.SetClock(nullptr);
        log.StopRecording();
        log.Clear();
        Switches().EnglishUi = 1;
    }
    // Requests and their outcomes, as the log holds them.
    int Count(TrafficRow::Direction direction) const {
        int n = 0;
        for (int i = 0; i < log.Count(); ++i) n += log.Row(i).direction == direction;
        return n;
    }
    const TrafficRow& Last() const { return log.Row(log.Count() - 1); }

    TrafficLog& log = TrafficLog::Instance();
};
}  // namespace

TEST_F(OutcomeTest, ARequestWhoseReplyIsNeverCollectedEndsAbandonedWithWhy) {
    struct Case {
        const char* what;
        std::function<void(CombinationWindow&)> leave;
        bool replyArrived;  // the module answered before the window went another way
        const char* verdict;
    };
    const Case cases[] = {
        {"loop B started", [](CombinationWindow& w) { w.Command_OK2_Click(); }, true,
         "abandoned: the other loop was started"},
        {"output written", [](CombinationWindow& w) { w.Command_OK3_Click(); }, false,
         "abandoned: paused for a command"},
        {"port closed", [](CombinationWindow& w) { w.Command_Port_Click(); }, true,
         "abandoned: port closed"},
        {"window closed", [](CombinationWindow& w) { w.close(); }, false,
         "abandoned: window closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log.Clear();
        auto window = OpenWith<ZN410Frm>();
        window->Command_OK1_Click();
        window->TM_Acquisition_A_Timer();
        ASSERT_EQ(Request(), "01 03 00 00 00 06 C5 C8 ");
        if (c.replyArrived) module.Write(ReadReply({1, 2, 3, 4, 5, 6}));
        c.leave(*window);
        // Loop A's request has its one outcome, with what had come of its reply.
        ASSERT_GE(log.Count(), 2);
        const TrafficRow& outcome = log.Row(1);
        EXPECT_EQ(outcome.direction, TrafficRow::Received);
        EXPECT_EQ(VerdictOf(outcome), c.verdict);
        EXPECT_EQ(outcome.cause, "poll loop A");
        EXPECT_EQ(outcome.bytes.size(), c.replyArrived ? 17u : 0u);
        // Whatever went next, no request is left without an outcome or with two.
        if (window->Outputs->Overtime->Enabled()) window->TM_Overtime_C_Timer();
        const TrafficSummary& summary = log.Summary();
        EXPECT_EQ(Count(TrafficRow::Sent), summary.requests);
        EXPECT_EQ(Count(TrafficRow::Received), summary.requests - log.Awaiting());
        EXPECT_EQ(summary.byVerdict[static_cast<int>(TrafficVerdict::Abandoned)], 1);
        window.reset();
        SerialPort::ClosePort();
        while (!module.ReadRequest(50).isEmpty()) {
        }
    }
}

TEST_F(OutcomeTest, ClearWhileAReplyIsAwaitedKeepsTheRequestWithItsReply) {
    auto window = OpenWith<ZN410Frm>();
    window->Command_OK1_Click();
    for (int poll = 0; poll < 2; ++poll) {
        window->TM_Acquisition_A_Timer();
        ASSERT_EQ(Request(), "01 03 00 00 00 06 C5 C8 ");
        module.Write(ReadReply({1, 2, 3, 4, 5, 6}));
        if (poll == 1) log.Clear();
        window->TM_Overtime_A_Timer();
    }
    ASSERT_EQ(log.Count(), 2);
    EXPECT_EQ(log.Row(0).direction, TrafficRow::Sent);
    EXPECT_EQ(log.Row(1).cause, "poll loop A");
    EXPECT_EQ(log.Row(1).exchange, log.Row(0).exchange);
    EXPECT_EQ(TrafficTexts::SummaryText(log.Summary(), true).left(35),
              "Requests 1, accepted 1, rejected 0;");
}

TEST_F(OutcomeTest, ResponseTimeRunsFromTheRequestToTheReplysFirstByteNotToItsCollection) {
    ProbeWindow window;
    window.OpenWindow();
    window.Command_Port_Click();
    window.loop->Click();
    for (const bool answers : {true, false}) {
        SCOPED_TRACE(answers ? "a reply" : "no reply");
        QElapsedTimer sinceRequest;
        window.loop->AcquisitionTick();
        sinceRequest.start();
        ASSERT_EQ(SpacedHex(module.ReadRequest()), "01 03 00 00 00 04 44 09 ");
        qint64 bound = 0;  // the response can be no later than this, in ms after the request
        if (answers) {
            module.Write(HexBytes(kGood, true));
            ASSERT_TRUE(SerialPort::WaitForInput(5000));  // noted as it arrived
            bound = sinceRequest.elapsed() + 1;
            // The window's wait ends well after the reply came, as a poll's does.
            while (sinceRequest.elapsed() < bound + 120) {
            }
        } else {
            while (sinceRequest.elapsed() < 60) {
            }
            bound = sinceRequest.elapsed() + 1;
        }
        window.loop->OvertimeTick();
        const TrafficRow& reply = Last();
        ASSERT_EQ(reply.direction, TrafficRow::Received);
        EXPECT_GE(reply.responseMs, 0);
        // Without a reply, the read's own wait for a first byte (a quarter second) is not the
        // module's: the row shows the wait that passed.
        EXPECT_LE(reply.responseMs, bound);
    }
}

TEST_F(OutcomeTest, TheNextRequestWaitsThreeAndAHalfCharactersAfterTheReply) {
    struct Case {
        const char* baudText;
        const char* parityText;
        double silenceMs;  // 3.5 characters of start, data, parity and stop bits
    };
    const Case cases[] = {
        {"1200", "None", 3.5 * 10 * 1000 / 1200},
        {"1200", "Even", 3.5 * 11 * 1000 / 1200},
        {"2400", "Odd", 3.5 * 11 * 1000 / 2400},
        {"4800", "None", 3.5 * 10 * 1000 / 4800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.baudText) + " " + c.parityText);
        ProbeWindow window;
        window.OpenWindow();
        window.Panel()->Combo2->setEditText(c.baudText);
        window.Panel()->Combo3->setEditText(c.parityText);
        window.Command_Port_Click();
        window.loop->Click();
        window.loop->AcquisitionTick();
        ASSERT_FALSE(module.ReadRequest().isEmpty());
        module.Write(HexBytes(kGood, true));
        QElapsedTimer sinceReply;  // the reply's last byte is at the program's end from here
        sinceReply.start();
        // The module's end notes when the next request's first byte can be read there.
        qint64 requestAtNs = -1;
        std::thread watch([&] {
            pollfd pfd{module.MasterFd(), POLLIN, 0};
            if (::poll(&pfd, 1, 10000) == 1) requestAtNs = sinceReply.nsecsElapsed();
        });
        window.loop->OvertimeTick();
        window.loop->AcquisitionTick();  // the poll timer's next tick, at once
        watch.join();
        ASSERT_FALSE(module.ReadRequest().isEmpty());
        EXPECT_GE(requestAtNs / 1e6, c.silenceMs);
        window.loop->OvertimeTick();
        window.Command_Port_Click();
    }
}

TEST(TrafficLogTest, ALogOfFewRowsKeepsTheNewestAndStillCountsEveryOutcome) {
    for (int capacity : {1, 3, 8}) {
        TrafficLog log(capacity);
        for (uint8_t address = 1; address <= 5; ++address) {
            log.NoteRequest({address, 0x03, 0x00, 0x64, 0x00, 0x03}, 8, 0, {});
            log.NoteAbandoned(TrafficAbandon::PortClosed, {});
        }
        ASSERT_EQ(log.Count(), std::min(capacity, 10)) << capacity;
        // The newest rows, in order: request 5 and its outcome last.
        EXPECT_EQ(log.Row(log.Count() - 1).direction, TrafficRow::Received);
        if (capacity > 1) EXPECT_EQ(log.Row(log.Count() - 2).bytes.at(0), 5);
        EXPECT_EQ(log.Summary().requests, 5);
        EXPECT_EQ(log.Summary().byVerdict[static_cast<int>(TrafficVerdict::Abandoned)], 5);
    }
}
