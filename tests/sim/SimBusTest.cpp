// The bus: who hears the program's line settings, reply timing, collisions, injected faults,
// and cutting the byte stream into requests.
#include <gtest/gtest.h>

#include <QString>

#include "sim/RequestFramer.h"
#include "sim/SimBus.h"

namespace {
Frame Bytes(const char* hex) {
    return BytesOfText(QString::fromLatin1(hex));
}
Frame Request(const char* body) {
    return AppendCrc16(Bytes(body));
}
QString Hex(const Frame& bytes) {
    return SentTextOf(bytes).trimmed();
}
bool CrcGood(const Frame& f) {
    return f.size() >= 4 &&
           Crc16(f.data(), f.size() - 2) == (f[f.size() - 2] | f[f.size() - 1] << 8);
}

ModuleConfig Module(const char* model, int address, int code = 103,
                    std::vector<FaultRule> faults = {}) {
    ModuleConfig config;
    config.model = FindModel(model);
    config.address = address;
    config.code = code;
    config.faults = std::move(faults);
    return config;
}

FaultRule Rule(const char* text) {
    std::string error;
    const auto rule = ParseFaultRule(text, &error);
    EXPECT_TRUE(rule) << error;
    return rule.value_or(FaultRule{});
}

constexpr LineState k9600{9600, false};
}  // namespace

TEST(SimBus, AModuleHearsOnlyItsOwnBaudRateAndOddParity) {
    SimBus bus({Module("ZN210", 1, 103), Module("ZN330", 2, 113)}, 1);  // 9600 N and 9600 O
    const Frame read1 = Request("01 03 00 64 00 01");
    EXPECT_TRUE(bus.Exchange(read1, k9600, 0).Answered());
    const BusExchange wrongBaud = bus.Exchange(read1, {4800, false}, 0);
    EXPECT_FALSE(wrongBaud.Answered());
    ASSERT_EQ(wrongBaud.notes.size(), 1u);
    EXPECT_NE(wrongBaud.notes[0].find("ZN210@1"), std::string::npos);

    const Frame read2 = Request("02 03 00 64 00 01");
    EXPECT_FALSE(bus.Exchange(read2, k9600, 0).Answered());
    EXPECT_TRUE(bus.Exchange(read2, {9600, true}, 0).Answered());
    // Even parity cannot be told from none on a pty: the even module answers a "no parity" line.
    SimBus even({Module("ZN210", 1, 6)}, 1);
    EXPECT_TRUE(even.Exchange(read1, k9600, 0).Answered());

    // A write sent at the wrong speed is noise to the module: nothing changes.
    EXPECT_FALSE(bus.Exchange(Request("01 06 00 64 00 09"), {19200, false}, 0).Answered());
    EXPECT_EQ(bus.Module(0).Address(), 1);
}

TEST(SimBus, ParameterChangeIsAnsweredAtTheOldLineAndHeardAtTheNewOne) {
    SimBus bus({Module("ZN260", 1)}, 1);
    const BusExchange change = bus.Exchange(Request("01 06 00 65 00 03"), k9600, 0);  // 19200 N
    ASSERT_TRUE(change.Answered());
    EXPECT_EQ(change.replies.at(0).bytes, Request("01 06 00 65 00 03"));
    // Request and echo, 16 characters of 10 bits at 9600 baud, and the turnaround.
    EXPECT_DOUBLE_EQ(change.replies.at(0).delayMs, 16 * 10 * 1000.0 / 9600 + SimBus::kTurnaroundMs);
    EXPECT_FALSE(bus.Exchange(Request("01 03 00 00 00 08"), k9600, 0).Answered());
    const BusExchange read = bus.Exchange(Request("01 03 00 00 00 08"), {19200, false}, 0);
    ASSERT_TRUE(read.Answered());
    EXPECT_EQ(read.replies.at(0).bytes.size(), 21u);
    EXPECT_DOUBLE_EQ(read.replies.at(0).delayMs, 29 * 10 * 1000.0 / 19200 + SimBus::kTurnaroundMs);
}

TEST(SimBus, RequestsWithABadCrcAreIgnored) {
    SimBus bus({Module("ZN210", 1)}, 1);
    Frame request = Request("01 03 00 00 00 04");
    request.back() ^= 0x40;
    EXPECT_FALSE(bus.Exchange(request, k9600, 0).Answered());
    EXPECT_FALSE(bus.Exchange(Bytes("01 03 00"), k9600, 0).Answered());
}

TEST(SimBus, SeveralModulesAnsweringAtOnceGarbleTheReply) {
    SimBus bus({Module("ZN210", 1), Module("ZN210", 2), Module("ZN330", 3)}, 1);
    const Frame broadcast = Request("00 03 00 64 00 03");
    SimBus alone({Module("ZN210", 1)}, 1);
    const Frame clean = alone.Exchange(broadcast, k9600, 0).replies.at(0).bytes;
    ASSERT_TRUE(CrcGood(clean));
    const BusExchange collided = bus.Exchange(broadcast, k9600, 0);
    ASSERT_TRUE(collided.Answered());
    EXPECT_NE(collided.replies.at(0).bytes, clean);
    EXPECT_FALSE(CrcGood(collided.replies.at(0).bytes) &&
                 collided.replies.at(0).bytes.size() == 11u)
        << Hex(collided.replies.at(0).bytes).toStdString();
    // Even identical replies collide: the drivers do not start on the same bit.
    SimBus twins({Module("ZN210", 1), Module("ZN210", 1)}, 1);
    const BusExchange both = twins.Exchange(Request("01 03 00 00 00 04"), k9600, 0);
    EXPECT_NE(both.replies.at(0).bytes,
              alone.Exchange(Request("01 03 00 00 00 04"), k9600, 0).replies.at(0).bytes);
    // A late module does not collide: its reply comes on its own after the others.
    SimBus lateOne({Module("ZN210", 1), Module("ZN210", 2, 103, {Rule("late:ms=300")})}, 1);
    const BusExchange apart = lateOne.Exchange(broadcast, k9600, 0);
    ASSERT_EQ(apart.replies.size(), 2u);
    EXPECT_EQ(apart.replies[0].bytes, clean);
    EXPECT_EQ(apart.replies[1].bytes, AppendCrc16(Bytes("00 03 06 00 02 00 67 00 D2")));
    EXPECT_DOUBLE_EQ(apart.replies[1].delayMs, apart.replies[0].delayMs + 300);
    // A broadcast address change reaches every module on the line.
    bus.Exchange(Request("00 06 00 64 00 09"), k9600, 0);
    for (int i = 0; i < bus.Size(); ++i) EXPECT_EQ(bus.Module(i).Address(), 9);
}

TEST(SimBus, CollisionOfOneReplyIsTheReplyItself) {
    const Frame reply = Request("01 03 02 12 34");
    EXPECT_EQ(Collide({reply}, 'N'), reply);
    EXPECT_EQ(Collide({reply}, 'E'), reply);
    EXPECT_EQ(Collide({reply}, 'O'), reply);
}

TEST(SimFaults, EachFaultChangesTheReplyTheWayItsNameSays) {
    const Frame request = Request("01 03 00 00 00 04");
    SimBus clean({Module("ZN210", 1)}, 1);
    const BusExchange good = clean.Exchange(request, k9600, 0);
    const struct {
        const char* rule;
        std::function<void(const BusExchange&)> check;
    } cases[] = {
        {"silence", [](const BusExchange& e) { EXPECT_FALSE(e.Answered()); }},
        {"late:ms=700",
         [&](const BusExchange& e) {
             ASSERT_EQ(e.replies.size(), 1u);
             EXPECT_EQ(e.replies.at(0).bytes, good.replies.at(0).bytes);
             EXPECT_DOUBLE_EQ(e.replies.at(0).delayMs, good.replies.at(0).delayMs + 700);
         }},
        {"short",
         [&](const BusExchange& e) {
             EXPECT_EQ(e.replies.at(0).bytes,
                       Frame(good.replies.at(0).bytes.begin(), good.replies.at(0).bytes.end() - 1));
         }},
        {"lead",
         [&](const BusExchange& e) {
             EXPECT_EQ(e.replies.at(0).bytes.front(), 0x00);
             EXPECT_EQ(Frame(e.replies.at(0).bytes.begin() + 1, e.replies.at(0).bytes.end()),
                       good.replies.at(0).bytes);
         }},
        {"garbage",
         [&](const BusExchange& e) {
             EXPECT_EQ(e.replies.at(0).bytes.size(), good.replies.at(0).bytes.size());
             EXPECT_NE(e.replies.at(0).bytes, good.replies.at(0).bytes);
         }},
        {"badcrc",
         [&](const BusExchange& e) {
             EXPECT_EQ(Frame(e.replies.at(0).bytes.begin(), e.replies.at(0).bytes.end() - 2),
                       Frame(good.replies.at(0).bytes.begin(), good.replies.at(0).bytes.end() - 2));
             EXPECT_FALSE(CrcGood(e.replies.at(0).bytes));
         }},
        {"exception",
         [](const BusExchange& e) { EXPECT_EQ(e.replies.at(0).bytes, Request("01 83 04")); }},
        {"exception:code=6",
         [](const BusExchange& e) { EXPECT_EQ(e.replies.at(0).bytes, Request("01 83 06")); }},
    };
    for (const auto& c : cases) {
        SimBus bus({Module("ZN210", 1, 103, {Rule(c.rule)})}, 1);
        SCOPED_TRACE(c.rule);
        const BusExchange e = bus.Exchange(request, k9600, 0);
        c.check(e);
        if (e.Answered() || std::string(c.rule) == "silence") {
            ASSERT_FALSE(e.notes.empty());
            EXPECT_NE(e.notes.back().find("fault"), std::string::npos);
        }
    }
}

TEST(SimFaults, EveryNthAndProbabilityDecideWhichRepliesSuffer) {
    SimBus every({Module("ZN210", 1, 103, {Rule("silence:every=3")})}, 1);
    QString pattern;
    for (int i = 0; i < 9; ++i)
        pattern += every.Exchange(Request("01 03 00 00 00 04"), k9600, 0).Answered() ? "A" : "-";
    EXPECT_EQ(pattern, "AA-AA-AA-");

    auto count = [](const char* rule, uint32_t seed) {
        SimBus bus({Module("ZN210", 1, 103, {Rule(rule)})}, seed);
        int silent = 0;
        for (int i = 0; i < 400; ++i)
            silent += bus.Exchange(Request("01 03 00 00 00 04"), k9600, 0).Answered() ? 0 : 1;
        return silent;
    };
    EXPECT_EQ(count("silence:prob=0", 5), 0);
    EXPECT_EQ(count("silence:prob=1", 5), 400);
    const int half = count("silence:prob=0.5", 5);
    EXPECT_GT(half, 120);
    EXPECT_LT(half, 280);
    EXPECT_EQ(count("silence:prob=0.5", 5), half);  // the same seed, the same faults
}

TEST(SimFaults, RulesAreReadFromTheirTextsAndBadOnesExplained) {
    const FaultRule late = Rule("late:every=4:ms=250");
    EXPECT_EQ(late.kind, FaultKind::Late);
    EXPECT_EQ(late.every, 4);
    EXPECT_EQ(late.lateMs, 250);
    EXPECT_DOUBLE_EQ(Rule("garbage:prob=0.25").probability, 0.25);
    for (const char* bad : {"slow", "late:every=0", "late:every=x", "short:prob=1.5",
                            "short:prob=", "short:ms=5", "badcrc:code=2", "silence:often"}) {
        std::string error;
        EXPECT_FALSE(ParseFaultRule(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(SimFramer, CutsRequestsByTheirLengthOrAtTheGap) {
    RequestFramer framer;
    const Frame read = Request("01 03 00 00 00 04");
    EXPECT_TRUE(framer.Feed(read.data(), 3).empty());
    auto frames = framer.Feed(read.data() + 3, read.size() - 3);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], read);
    EXPECT_FALSE(framer.Pending());

    // Two requests in one chunk, the second with its own byte count.
    const Frame coils = Request("01 0F 00 00 00 10 02 01 80");
    Frame both = read;
    both.insert(both.end(), coils.begin(), coils.end());
    frames = framer.Feed(both.data(), both.size());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1], coils);

    // A function with no known length, or a frame cut short, ends at the gap.
    const Frame odd = Request("01 41 00");
    EXPECT_TRUE(framer.Feed(odd.data(), odd.size()).empty());
    EXPECT_EQ(framer.Flush(), odd);
    EXPECT_TRUE(framer.Feed(read.data(), 5).empty());
    EXPECT_EQ(framer.Flush(), Frame(read.begin(), read.begin() + 5));
    EXPECT_FALSE(framer.Flush());

    EXPECT_NEAR(RequestFramer::GapMs(9600), 4.01, 0.01);
    EXPECT_DOUBLE_EQ(RequestFramer::GapMs(115200), 2.0);
}
