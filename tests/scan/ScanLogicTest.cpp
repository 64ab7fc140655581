// The scan's order and waits, its rows and files, and batch commissioning's steps, without I/O.
#include <gtest/gtest.h>

#include <set>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "tests/support/QStringPrinter.h"
#include "core/scan/BatchSession.h"
#include "core/scan/ScanPlan.h"
#include "core/scan/ScanReplies.h"
#include "core/scan/ScanRows.h"

namespace {
class ScanLogicTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
        Switches().EnglishUi = 1;
        Switches().FullSerialLists = 1;
    }
};

QString ProbeText(const ScanProbe& p) {
    return QStringLiteral("%1@%2%3/%4")
        .arg(p.address)
        .arg(p.settings.baud)
        .arg(QChar(p.settings.parity))
        .arg(p.replyWaitMs);
}
}  // namespace

TEST_F(ScanLogicTest, WaitsFitTheWireTimeAtEachRate) {
    const struct {
        SerialCandidate settings;
        int waitMs;
    } cases[] = {{{9600, 'N'}, 40}, {{9600, 'E'}, 42}, {{1200, 'N'}, 179}, {{115200, 'O'}, 22}};
    for (const auto& c : cases)
        EXPECT_EQ(ScanTiming::DefaultReplyWaitMs(c.settings), c.waitMs) << c.settings.baud;
}

TEST_F(ScanLogicTest, PlanTriesEachAddressAndSkipsSettingsNobodyAnswers) {
    const struct {
        int first, last;
        std::vector<SerialCandidate> settings;
        int waitMs;
        std::set<int> answering;  // probe numbers (from 0) that get bytes back
        QString probes;
    } cases[] = {
        {1, 3, {{9600, 'N'}}, 0, {}, "1@9600N/40 2@9600N/40 3@9600N/40"},
        {246, 247, {{19200, 'E'}}, 75, {1}, "246@19200E/75 247@19200E/75"},
        // Several settings: a broadcast read first; where it gets nothing the sweep is skipped.
        {5,
         6,
         {{9600, 'N'}, {4800, 'N'}, {19200, 'E'}},
         0,
         {0, 4},
         "0@9600N/40 5@9600N/40 6@9600N/40 0@4800N/60 0@19200E/31 5@19200E/31 6@19200E/31"},
        {9, 8, {{9600, 'N'}}, 0, {}, ""},
    };
    for (const auto& c : cases) {
        ScanPlan plan(c.first, c.last, c.settings, c.waitMs);
        QStringList probes;
        for (int n = 0; !plan.Done() && n < 100; ++n) {
            probes << ProbeText(plan.Current());
            plan.Advance(c.answering.count(n) > 0);
        }
        EXPECT_EQ(probes.join(' '), c.probes);
        EXPECT_DOUBLE_EQ(plan.DoneMs(), plan.PlannedMs()) << c.probes.toStdString();
        EXPECT_EQ(plan.SentMs() < plan.DoneMs(), c.settings.size() > 1 && c.first <= c.last)
            << c.probes.toStdString();
    }
}

TEST_F(ScanLogicTest, RowsKeepAddressOrderFoldRepeatsAndFlagMismatches) {
    auto row = [](int address, SerialCandidate at, int reg100, int code, int model) {
        ScanRow r;
        r.address = address;
        r.heardAt = at;
        r.registers = {reg100, code, model};
        r.responseMs = 22;
        return r;
    };
    ScanRow garbled;
    garbled.address = 7;
    garbled.heardAt = {9600, 'N'};
    garbled.readable = false;
    garbled.problem = "bad CRC (two modules at this address?)";
    ScanRows rows;
    EXPECT_TRUE(rows.Add(row(9, {9600, 'N'}, 9, 103, 210)));
    EXPECT_TRUE(rows.Add(row(3, {19200, 'N'}, 3, 125, 330)));   // heard at N, code says E
    EXPECT_FALSE(rows.Add(row(3, {19200, 'E'}, 3, 125, 330)));  // the same module where it belongs
    EXPECT_FALSE(rows.Add(row(9, {9600, 'E'}, 9, 103, 210)));   // again, elsewhere: kept as it was
    EXPECT_TRUE(rows.Add(row(5, {9600, 'N'}, 6, 2, 999)));
    EXPECT_TRUE(rows.Add(garbled));
    EXPECT_EQ(rows.Csv(),
              "Address,Model,Settings (code),Answered at,Response ms,Note\r\n"
              "3,ZN330,\"19200,E,8,1 (125)\",\"19200,E,8,1\",22,\r\n"
              "5,model code 999,\"9600,N,8,1 (2)\",\"9600,N,8,1\",22,register 100 holds 6\r\n"
              "7,,,\"9600,N,8,1\",0,\"something answers, not a module's reply: bad CRC (two "
              "modules at this address?)\"\r\n"
              "9,ZN210,\"9600,N,8,1 (103)\",\"9600,N,8,1\",22,\r\n");
    std::vector<bool> flags;
    for (const ScanRow& r : rows.Rows()) flags.push_back(r.Mismatch());
    EXPECT_EQ(flags, std::vector<bool>({false, true, false, false}));
    EXPECT_EQ(rows.Tsv({3}),
              "Address\tModel\tSettings (code)\tAnswered at\tResponse ms\tNote\n"
              "9\tZN210\t9600,N,8,1 (103)\t9600,N,8,1\t22\t\n");
    EXPECT_EQ(row(4, {4800, 'N'}, 4, 300, 210).Mismatch(), true);  // a code that names nothing
}

namespace {
// One step of a batch script: the request expected (hex without CRC, and the settings it goes
// out at), the reply it gets, the time, and what the session shows after.
struct Step {
    const char* request;
    const char* at;
    ReplyVerdict verdict;
    ModuleParameters registers;
    int64_t nowMs;
    BatchSession::Phase after;
    const char* record;  // "" when the step ends no attempt
};

QString Hex(const Frame& bytes) {
    return SentTextOf(bytes).trimmed();
}

QString RecordText(const BatchRecord& r) {
    return QStringLiteral("%1 %2->%3 %4%5 %6 %7")
        .arg(r.model)
        .arg(r.oldAddress)
        .arg(r.newAddress)
        .arg(r.newSettings.baud)
        .arg(QChar(r.newSettings.parity))
        .arg(r.verified ? "verified" : "failed")
        .arg(r.reason)
        .trimmed();
}

using P = BatchSession::Phase;
constexpr auto kOk = ReplyVerdict::Accepted;
constexpr auto kNone = ReplyVerdict::NoReply;
}  // namespace

TEST_F(ScanLogicTest, BatchWritesReadsBackAndCountsOnlyWhatMatches) {
    BatchSetup setup;
    setup.firstAddress = 20;
    setup.step = 5;
    setup.giveSettings = true;
    setup.newSettings = {19200, 'E'};
    setup.fullLists = true;
    setup.findAt = {{4800, 'N'}, {9600, 'N'}};
    setup.verifyForMs = 1000;
    const Step script[] = {
        // Nothing on the bench at 4800; a ZN260 at address 1 answers at 9600.
        {"00 03 00 64 00 03", "4800N", kNone, {}, 0, P::Finding, ""},
        {"00 03 00 64 00 03", "9600N", kOk, {1, 103, 260}, 300, P::WritingAddress, ""},
        {"01 06 00 64 00 14", "9600N", kOk, {}, 310, P::CheckingAddress, ""},
        // It takes its address late: silence, then the read-back matches.
        {"14 03 00 64 00 03", "9600N", kNone, {}, 400, P::CheckingAddress, ""},
        {"14 03 00 64 00 03", "9600N", kOk, {20, 103, 260}, 700, P::WritingSettings, ""},
        {"14 06 00 65 00 7D", "9600N", kOk, {}, 720, P::CheckingSettings, ""},
        {"14 03 00 64 00 03",
         "19200E",
         kOk,
         {20, 125, 260},
         800,
         P::Removal,
         "ZN260 1->20 19200E verified"},
        // Still there, then gone twice in a row.
        {"14 03 00 64 00 03", "19200E", kOk, {20, 125, 260}, 1100, P::Removal, ""},
        {"14 03 00 64 00 03", "19200E", kNone, {}, 1400, P::Removal, ""},
        {"14 03 00 64 00 03", "19200E", kNone, {}, 1700, P::Finding, ""},
        // The next refuses its address: failed, and 25 is not used up.
        {"00 03 00 64 00 03", "9600N", kOk, {1, 103, 210}, 2000, P::WritingAddress, ""},
        {"01 06 00 64 00 19",
         "9600N",
         ReplyVerdict::Exception,
         {},
         2010,
         P::Removal,
         "ZN210 1->25 19200E failed the module refused the write (exception 04)"},
        {"01 03 00 64 00 03", "9600N", kNone, {}, 2300, P::Removal, ""},
        {"01 03 00 64 00 03", "9600N", kNone, {}, 2600, P::Finding, ""},
        // The next echoes but never moves: the read-back gives up after its time.
        {"00 03 00 64 00 03", "9600N", kOk, {7, 103, 230}, 3000, P::WritingAddress, ""},
        {"07 06 00 64 00 19", "9600N", kOk, {}, 3010, P::CheckingAddress, ""},
        {"19 03 00 64 00 03", "9600N", kNone, {}, 3500, P::CheckingAddress, ""},
        {"19 03 00 64 00 03",
         "9600N",
         kNone,
         {},
         4011,
         P::Removal,
         "ZN230 7->25 19200E failed it does not answer at address 25"},
        // Still there; then another model answers where it was: swapped, looked for anew.
        {"07 03 00 64 00 03", "9600N", kOk, {7, 103, 230}, 4300, P::Removal, ""},
        {"07 03 00 64 00 03", "9600N", kOk, {7, 103, 240}, 4450, P::Finding, ""},
        {"00 03 00 64 00 03", "9600N", kOk, {7, 103, 230}, 4500, P::WritingAddress, ""},
        {"07 06 00 64 00 19",
         "9600N",
         kNone,
         {},
         4800,
         P::Removal,
         "ZN230 7->25 19200E failed no answer to the write"},
    };
    BatchSession session(setup);
    int n = 0;
    for (const Step& s : script) {
        const BatchRequest request = session.Next();
        const QString at =
            QStringLiteral("%1%2").arg(request.settings.baud).arg(QChar(request.settings.parity));
        EXPECT_EQ(Hex(request.body) + " @" + at, QString(s.request) + " @" + s.at) << "step " << n;
        BatchReply reply;
        reply.verdict = s.verdict;
        reply.registers = s.registers;
        reply.exceptionCode = s.verdict == ReplyVerdict::Exception ? 4 : 0;
        const auto record = session.Judge(reply, s.nowMs);
        EXPECT_EQ(session.CurrentPhase(), s.after) << "step " << n;
        EXPECT_EQ(record ? RecordText(*record) : QString(), QString(s.record)) << "step " << n;
        ++n;
    }
    EXPECT_EQ(session.Verified(), 1);
    EXPECT_EQ(session.NextAddress(), 25);
    session.Retry();
    EXPECT_EQ(session.CurrentPhase(), P::Finding);
    EXPECT_EQ(Hex(session.Next().body), "00 03 00 64 00 03");
}

namespace {
// A read reply of registers 100..102 (address, code 103, the model) or an exception, spaced hex.
QString ReadReplyHex(int address, int model) {
    return SentTextOf(AppendCrc16(
        Frame{static_cast<uint8_t>(address), 0x03, 6, 0, static_cast<uint8_t>(address), 0, 103,
              static_cast<uint8_t>(model >> 8), static_cast<uint8_t>(model & 0xFF)}));
}
QString ExceptionHex(int address, int code) {
    return SentTextOf(
        AppendCrc16(Frame{static_cast<uint8_t>(address), 0x83, static_cast<uint8_t>(code)}));
}
}  // namespace

TEST_F(ScanLogicTest, LateAnswersOfProbedAddressesAreSplitFromTheProbesOwnReply) {
    // Address 5 is probed at 9600 N after 1..4.
    ScanPlan plan(1, 9, {{9600, 'N'}}, 0);
    for (int n = 0; n < 4; ++n) plan.Advance(false);
    ASSERT_EQ(plan.Current().address, 5);
    QString badCrc = ReadReplyHex(2, 210);
    badCrc.replace(badCrc.size() - 3, 2, "00");
    const struct {
        const char* what;
        QString bytes;
        QStringList late;
        QString own;
    } cases[] = {
        {"alone", ReadReplyHex(2, 210), {ReadReplyHex(2, 210)}, ""},
        {"before the own",
         ReadReplyHex(2, 210) + ReadReplyHex(5, 220),
         {ReadReplyHex(2, 210)},
         ReadReplyHex(5, 220)},
        {"after the own",
         ReadReplyHex(5, 220) + ReadReplyHex(4, 230),
         {ReadReplyHex(4, 230)},
         ReadReplyHex(5, 220)},
        {"two, one a refusal",
         ReadReplyHex(1, 210) + ExceptionHex(3, 2) + ExceptionHex(5, 2),
         {ReadReplyHex(1, 210), ExceptionHex(3, 2)},
         ExceptionHex(5, 2)},
        {"after a stray byte", "00 " + ReadReplyHex(2, 210), {ReadReplyHex(2, 210)}, "00 "},
        {"not probed yet", ReadReplyHex(6, 210), {}, ReadReplyHex(6, 210)},
        {"broken", badCrc + ReadReplyHex(5, 220), {}, badCrc + ReadReplyHex(5, 220)},
        {"none", "", {}, ""},
    };
    for (const auto& c : cases) {
        const ScanReplySplit split = ScanReplies::Split(
            BytesOfText(c.bytes), [&plan](int address) { return plan.ProbedBefore(address); });
        QStringList late;
        for (const Frame& frame : split.late) late << SentTextOf(frame);
        EXPECT_EQ(late, c.late) << c.what;
        EXPECT_EQ(SentTextOf(split.own), c.own) << c.what;
    }
}

TEST_F(ScanLogicTest, ALateAnswerIsItsModulesRowFlaggedSlowInBothLanguages) {
    const struct {
        int english;
        QString reply;
        QStringList cells;
    } cases[] = {
        {1,
         ReadReplyHex(2, 220),
         {"2", "ZN220", "9600,N,8,1 (103)", "9600,N,8,1", "63",
          "slow: answered 63 ms after its request, past the reply wait; a wait of 90 ms would "
          "find it cleanly"}},
        {0,
         ReadReplyHex(2, 220),
         {"2", "ZN220", "9600,N,8,1 (103)", "9600,N,8,1", "63",
          "响应慢：请求后 63 ms 才应答，已超过应答等待；应答等待设为 90 ms 可正常找到"}},
        {1,
         ExceptionHex(7, 2),
         {"7", "", "", "9600,N,8,1", "63",
          "something answers, not a module's reply: exception 02; slow: answered 63 ms after its "
          "request, past the reply wait; a wait of 90 ms would find it cleanly"}},
    };
    for (const auto& c : cases) {
        Switches().EnglishUi = c.english;
        const ScanRow row = ScanReplies::LateRow(BytesOfText(c.reply), {9600, 'N'}, 63);
        EXPECT_TRUE(row.Flagged());
        EXPECT_EQ(ScanRows::Cells(row), c.cells) << c.reply.toStdString();
    }
}
