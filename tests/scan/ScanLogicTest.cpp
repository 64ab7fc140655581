// The scan's order and waits, its rows and files, and batch commissioning's steps, without I/O.
#include <gtest/gtest.h>

#include <set>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "tests/support/QStringPrinter.h"
#include "link/BatchSession.h"
#include "link/ScanPlan.h"
#include "link/ScanRows.h"

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
