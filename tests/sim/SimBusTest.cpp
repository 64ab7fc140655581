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
    EXPECT_TRUE(bus.Exchange(read1, k9600, 0).answered);
    const BusExchange wrongBaud = bus.Exchange(read1, {4800, false}, 0);
    EXPECT_FALSE(wrongBaud.answered);
    ASSERT_EQ(wrongBaud.notes.size(), 1u);
    EXPECT_NE(wrongBaud.notes[0].find("ZN210@1"), std::string::npos);

    const Frame read2 = Request("02 03 00 64 00 01");
    EXPECT_FALSE(bus.Exchange(read2, k9600, 0).answered);
    EXPECT_TRUE(bus.Exchange(read2, {9600, true}, 0).answered);
    // Even parity cannot be told from none on a pty: the even module answers a "no parity" line.
    SimBus even({Module("ZN210", 1, 6)}, 1);
    EXPECT_TRUE(even.Exchange(read1, k9600, 0).answered);

    // A write sent at the wrong speed is noise to the module: nothing changes.
    EXPECT_FALSE(bus.Exchange(Request("01 06 00 64 00 09"), {19200, false}, 0).answered);
    EXPECT_EQ(bus.Module(0).Address(), 1);
}

TEST(SimBus, ParameterChangeIsAnsweredAtTheOldLineAndHeardAtTheNewOne) {
    SimBus bus({Module("ZN260", 1)}, 1);
    const BusExchange change = bus.Exchange(Request("01 06 00 65 00 03"), k9600, 0);  // 19200 N
    ASSERT_TRUE(change.answered);
    EXPECT_EQ(change.reply, Request("01 06 00 65 00 03"));
    // Request and echo, 16 characters of 10 bits at 9600 baud, and the turnaround.
    EXPECT_DOUBLE_EQ(change.delayMs, 16 * 10 * 1000.0 / 9600 + SimBus::kTurnaroundMs);
    EXPECT_FALSE(bus.Exchange(Request("01 03 00 00 00 08"), k9600, 0).answered);
    const BusExchange read = bus.Exchange(Request("01 03 00 00 00 08"), {19200, false}, 0);
    ASSERT_TRUE(read.answered);
    EXPECT_EQ(read.reply.size(), 21u);
    EXPECT_DOUBLE_EQ(read.delayMs, 29 * 10 * 1000.0 / 19200 + SimBus::kTurnaroundMs);
}

TEST(SimBus, RequestsWithABadCrcAreIgnored) {
    SimBus bus({Module("ZN210", 1)}, 1);
    Frame request = Request("01 03 00 00 00 04");
    request.back() ^= 0x40;
    EXPECT_FALSE(bus.Exchange(request, k9600, 0).answered);
    EXPECT_FALSE(bus.Exchange(Bytes("01 03 00"), k9600, 0).answered);
}

TEST(SimBus, SeveralModulesAnsweringAtOnceGarbleTheReply) {
    SimBus bus({Module("ZN210", 1), Module("ZN210", 2), Module("ZN330", 3)}, 1);
    const Frame broadcast = Request("00 03 00 64 00 03");
    SimBus alone({Module("ZN210", 1)}, 1);
    const Frame clean = alone.Exchange(broadcast, k9600, 0).reply;
    ASSERT_TRUE(CrcGood(clean));
    const BusExchange collided = bus.Exchange(broadcast, k9600, 0);
    ASSERT_TRUE(collided.answered);
    EXPECT_NE(collided.reply, clean);
    EXPECT_FALSE(CrcGood(collided.reply) && collided.reply.size() == 11u)
        << Hex(collided.reply).toStdString();
    // Even identical replies collide: the drivers do not start on the same bit.
    SimBus twins({Module("ZN210", 1), Module("ZN210", 1)}, 1);
    const BusExchange both = twins.Exchange(Request("01 03 00 00 00 04"), k9600, 0);
    EXPECT_NE(both.reply, alone.Exchange(Request("01 03 00 00 00 04"), k9600, 0).reply);
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
        {"silence", [](const BusExchange& e) { EXPECT_FALSE(e.answered); }},
        {"late:ms=700",
         [&](const BusExchange& e) {
             EXPECT_EQ(e.reply, good.reply);
             EXPECT_DOUBLE_EQ(e.delayMs, good.delayMs + 700);
         }},
        {"short",
         [&](const BusExchange& e) {
             EXPECT_EQ(e.reply, Frame(good.reply.begin(), good.reply.end() - 1));
         }},
        {"lead",
         [&](const BusExchange& e) {
             EXPECT_EQ(e.reply.front(), 0x00);
             EXPECT_EQ(Frame(e.reply.begin() + 1, e.reply.end()), good.reply);
         }},
        {"garbage",
         [&](const BusExchange& e) {
             EXPECT_EQ(e.reply.size(), good.reply.size());
             EXPECT_NE(e.reply, good.reply);
         }},
        {"badcrc",
         [&](const BusExchange& e) {
             EXPECT_EQ(Frame(e.reply.begin(), e.reply.end() - 2),
                       Frame(good.reply.begin(), good.reply.end() - 2));
             EXPECT_FALSE(CrcGood(e.reply));
         }},
        {"exception", [](const BusExchange& e) { EXPECT_EQ(e.reply, Request("01 83 04")); }},
        {"exception:code=6", [](const BusExchange& e) { EXPECT_EQ(e.reply, Request("01 83 06")); }},
    };
    for (const auto& c : cases) {
        SimBus bus({Module("ZN210", 1, 103, {Rule(c.rule)})}, 1);
        SCOPED_TRACE(c.rule);
        const BusExchange e = bus.Exchange(request, k9600, 0);
        c.check(e);
        if (e.answered || std::string(c.rule) == "silence") {
            ASSERT_FALSE(e.notes.empty());
            EXPECT_NE(e.notes.back().find("fault"), std::string::npos);
        }
    }
}

TEST(SimFaults, EveryNthAndProbabilityDecideWhichRepliesSuffer) {
    SimBus every({Module("ZN210", 1, 103, {Rule("silence:every=3")})}, 1);
    QString pattern;
    for (int i = 0; i < 9; ++i)
        pattern += every.Exchange(Request("01 03 00 00 00 04"), k9600, 0).answered ? "A" : "-";
    EXPECT_EQ(pattern, "AA-AA-AA-");

    auto count = [](const char* rule, uint32_t seed) {
        SimBus bus({Module("ZN210", 1, 103, {Rule(rule)})}, seed);
        int silent = 0;
        for (int i = 0; i < 400; ++i)
            silent += bus.Exchange(Request("01 03 00 00 00 04"), k9600, 0).answered ? 0 : 1;
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
