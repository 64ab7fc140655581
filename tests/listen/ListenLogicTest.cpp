// The listen-only mode's plain logic: cutting heard bytes into frames, pairing and judging them,
// and each module's tally. Times are given, in microseconds, as the line would stamp them.
#include <gtest/gtest.h>

#include <QStringList>
#include <random>

#include "core/listen/BusListener.h"
#include "core/listen/FrameCutter.h"
#include "core/listen/ModuleStats.h"
#include "core/traffic/TrafficLog.h"
#include "tests/support/QStringPrinter.h"

namespace {
constexpr double kCharUs = 1000;  // one character: a round 1 ms (gap 3.5 ms)

Frame F(std::initializer_list<uint8_t> body) {
    return AppendCrc16(Frame(body));
}
Frame Join(std::initializer_list<Frame> frames) {
    Frame all;
    for (const Frame& f : frames) all.insert(all.end(), f.begin(), f.end());
    return all;
}
QString Hex(const Frame& frame) {
    return SentTextOf(frame).trimmed();
}

const Frame kRead = F({0x01, 0x03, 0x00, 0x00, 0x00, 0x02});
const Frame kReadReply = F({0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B});
const Frame kWriteMany = F({0x02, 0x10, 0x00, 0x05, 0x00, 0x02, 0x04, 0x00, 0x01, 0x00, 0x02});
const Frame kWriteManyReply = F({0x02, 0x10, 0x00, 0x05, 0x00, 0x02});
const Frame kException = F({0x01, 0x83, 0x02});
const Frame kUnknown = F({0x05, 0x41, 0x10, 0x20});

struct Chunk {
    Frame bytes;
    int64_t atUs;
};

struct CutCase {
    const char* name;
    std::vector<Chunk> chunks;
    double tolerance;
    std::vector<Frame> frames;
};

Frame Part(const Frame& frame, size_t from, size_t to) {
    return Frame(frame.begin() + static_cast<long>(from), frame.begin() + static_cast<long>(to));
}

TEST(ListenCutterTest, CutsFramesBySilenceAndByLength) {
    const Frame half1(kRead.begin(), kRead.begin() + 4), half2(kRead.begin() + 4, kRead.end());
    const Frame shortReply = Part(kReadReply, 0, kReadReply.size() - 1);
    const Frame noise{0x61, 0xC4, 0xAD};
    const std::vector<CutCase> cases = {
        {"request and reply apart",
         {{kRead, 8'000}, {kReadReply, 30'000}},
         1.0,
         {kRead, kReadReply}},
        {"a request whose halves came 5 ms apart: joined, as its CRC proves",
         {{half1, 4'000}, {half2, 12'000}},
         1.0,
         {kRead}},
        {"a reply in three bursts 5 to 15 ms apart",
         {{Part(kReadReply, 0, 2), 2'000},
          {Part(kReadReply, 2, 5), 20'000},
          {Part(kReadReply, 5, 9), 30'000}},
         1.0,
         {kReadReply}},
        {"a reply's tail read with the next request's head",
         {{Part(kReadReply, 0, 6), 6'000},
          {Join({Part(kReadReply, 6, 9), Part(kRead, 0, 3)}), 20'000},
          {Part(kRead, 3, 8), 30'000}},
         1.0,
         {kReadReply, kRead}},
        {"noise read with a request's head keeps apart from it",
         {{Join({noise, Part(kRead, 0, 3)}), 6'000}, {Part(kRead, 3, 8), 16'000}},
         1.0,
         {noise, kRead}},
        {"a reply cut short that the next request does not complete",
         {{shortReply, 10'000}, {kRead, 30'000}},
         1.0,
         {shortReply, kRead}},
        {"... one frame with a tolerance for bursts",
         {{half1, 4'000}, {half2, 12'000}},
         2.0,
         {kRead}},
        {"a request and its reply in one read",
         {{Join({kRead, kReadReply}), 40'000}},
         1.0,
         {kRead, kReadReply}},
        {"a write of many registers and its reply glued",
         {{Join({kWriteMany, kWriteManyReply}), 40'000}},
         1.0,
         {kWriteMany, kWriteManyReply}},
        {"an exception glued to the next request",
         {{Join({kRead, kException, kRead}), 40'000}},
         1.0,
         {kRead, kException, kRead}},
        {"functions of unknown length, told apart by their CRC",
         {{Join({kUnknown, kUnknown}), 40'000}},
         1.0,
         {kUnknown, kUnknown}},
        {"a bad CRC and the next request with no silence between",
         {{Join({Frame{0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B, 0x00, 0x00}, kRead}), 20'000}},
         1.0,
         {Frame{0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B, 0x00, 0x00}, kRead}},
        {"noise and the next request with no silence between",
         {{Join({Frame{0x61, 0xC4, 0xAD, 0x99, 0xBF, 0x63}, kRead}), 20'000}},
         1.0,
         {Frame{0x61, 0xC4, 0xAD, 0x99, 0xBF, 0x63}, kRead}},
        {"noise stays one piece",
         {{Frame{0x55, 0xAA, 0x07}, 5'000}},
         1.0,
         {Frame{0x55, 0xAA, 0x07}}},
        {"a bad CRC is a frame of its own before the silence",
         {{Frame{0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B, 0x00, 0x00}, 10'000}, {kRead, 30'000}},
         1.0,
         {Frame{0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B, 0x00, 0x00}, kRead}},
        {"bytes one at a time, a character apart",
         {{{kRead[0]}, 1'000},
          {{kRead[1]}, 2'000},
          {{kRead[2]}, 3'000},
          {{kRead[3]}, 4'000},
          {{kRead[4]}, 5'000},
          {{kRead[5]}, 6'000},
          {{kRead[6]}, 7'000},
          {{kRead[7]}, 8'000},
          {{kReadReply[0]}, 13'000}},
         1.0,
         {kRead, {kReadReply[0]}}},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.name);
        FrameCutter cutter(kCharUs, c.tolerance);
        std::vector<CutFrame> got;
        for (const Chunk& chunk : c.chunks)
            for (CutFrame& f : cutter.Feed(chunk.bytes.data(), chunk.bytes.size(), chunk.atUs))
                got.push_back(std::move(f));
        // Not yet a silence after the last byte: nothing more.
        EXPECT_TRUE(cutter.Idle(c.chunks.back().atUs + 1'000).empty());
        for (CutFrame& f : cutter.Idle(c.chunks.back().atUs + 100'000)) got.push_back(std::move(f));
        QStringList want, have;
        for (const Frame& f : c.frames) want << Hex(f);
        for (const CutFrame& f : got) have << Hex(f.bytes);
        EXPECT_EQ(have, want);
    }
}

TEST(ListenCutterTest, StampsFramesByTheirBytesArrival) {
    // A reply read in one go 13 ms after it began: its first byte came 12 characters earlier.
    FrameCutter cutter(kCharUs);
    cutter.Feed(kRead.data(), kRead.size(), 8'000);
    auto frames = cutter.Feed(kReadReply.data(), kReadReply.size(), 30'000);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].firstUs, 1'000);
    EXPECT_EQ(frames[0].lastUs, 8'000);
    frames = cutter.Idle(40'000);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].firstUs, 30'000 - 8'000);
    EXPECT_EQ(frames[0].lastUs, 30'000);
}

Frame Garbled(Frame frame) {
    for (uint8_t& b : frame) b = static_cast<uint8_t>(b * 37 + 11);
    return frame;
}

TEST(ListenJudgeTest, GivesEachFaultItsReason) {
    Frame shortReply = kReadReply;
    shortReply.pop_back();
    Frame badCrc = kReadReply;
    badCrc.back() ^= 0x01;
    const Frame longReply = F({0x01, 0x03, 0x06, 0x00, 0x0A, 0x00, 0x0B, 0x00, 0x0C});
    struct Case {
        const char* name;
        Frame reply;
        int responseMs;
        TrafficVerdict verdict;
    };
    const std::vector<Case> cases = {
        {"in time", kReadReply, 20, TrafficVerdict::Accepted},
        {"late", kReadReply, 600, TrafficVerdict::Late},
        {"last byte lost", shortReply, 20, TrafficVerdict::TooShort},
        {"garbage", Garbled(kReadReply), 20, TrafficVerdict::Noise},
        {"bad CRC", badCrc, 20, TrafficVerdict::BadCrc},
        {"exception", kException, 20, TrafficVerdict::Exception},
        {"more registers than asked", longReply, 20, TrafficVerdict::TooLong},
        {"another function", F({0x01, 0x04, 0x04, 0x00, 0x0A, 0x00, 0x0B}), 20,
         TrafficVerdict::WrongFunction},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BusListener::Judge(c.reply, kRead, c.responseMs, 500), c.verdict);
    }
}

struct Heard {
    Frame bytes;
    int64_t atUs;  // when its last byte was read (one read per frame)
};

TEST(ListenPairingTest, PairsRequestsWithRepliesAndNamesWhatIsMissing) {
    TrafficLog log;
    log.SetClock([] { return TrafficTime{1000, 0}; });
    ModuleStats stats;
    BusListener listener(log, stats, kCharUs);
    listener.SetLimits({100, 300});
    const Frame toTwo = F({0x02, 0x03, 0x00, 0x00, 0x00, 0x02});
    const Frame twoReply = F({0x02, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02});
    const std::vector<Heard> bus = {
        {kRead, 10'000},               // answered 20 ms after its last byte (reply's first byte)
        {kReadReply, 38'000},          //
        {toTwo, 100'000},              // nothing comes: the next request says so
        {kRead, 200'000},              //
        {kException, 220'000},         // first byte at 216 ms
        {Frame{0x77, 0x01}, 260'000},  // noise while nothing is awaited
        {F({0x09, 0x83, 0x02}), 300'000},  // an exception nobody asked for is no request
        {toTwo, 400'000},                  // its reply comes 150 ms later: late
        {twoReply, 558'000},               //
        {toTwo, 700'000},                  // nothing for 300 ms: no reply; then its reply comes
        {twoReply, 1'100'000},             //
        {F({0x00, 0x06, 0x00, 0x64, 0x00, 0x05}), 1'200'000},  // a broadcast write, unanswered
        {F({0x00, 0x06, 0x00, 0x64, 0x00, 0x05}), 1'600'000},  // and one answered, as ZN modules do
        {F({0x00, 0x06, 0x00, 0x64, 0x00, 0x05}), 1'618'000},  //
        {toTwo, 1'700'000},     // nothing comes, and the next request is to the same module
        {toTwo, 1'750'000},     //
        {twoReply, 1'770'000},  //
        {twoReply, 1'800'000},  // a second reply to an answered request is not late, but noise
    };
    for (const Heard& h : bus) {
        listener.Idle(h.atUs - static_cast<int64_t>(h.bytes.size()) * 1000);
        listener.Feed(h.bytes.data(), h.bytes.size(), h.atUs);
    }
    listener.Idle(2'000'000);

    struct Row {
        TrafficRow::Direction direction;
        TrafficVerdict verdict;
        uint64_t exchange;
        int responseMs;
    };
    const std::vector<Row> want = {
        {TrafficRow::Sent, TrafficVerdict::Request, 1, -1},
        {TrafficRow::Received, TrafficVerdict::Accepted, 1, 20},
        {TrafficRow::Sent, TrafficVerdict::Request, 2, -1},
        {TrafficRow::Received, TrafficVerdict::NoReply, 2, 93},
        {TrafficRow::Sent, TrafficVerdict::Request, 3, -1},
        {TrafficRow::Received, TrafficVerdict::Exception, 3, 16},
        {TrafficRow::Received, TrafficVerdict::Noise, 4, -1},
        {TrafficRow::Received, TrafficVerdict::Noise, 5, -1},
        {TrafficRow::Sent, TrafficVerdict::Request, 6, -1},
        {TrafficRow::Received, TrafficVerdict::Late, 6, 150},
        {TrafficRow::Sent, TrafficVerdict::Request, 7, -1},
        {TrafficRow::Received, TrafficVerdict::NoReply, 7, 300},
        {TrafficRow::Received, TrafficVerdict::Late, 7, 392},
        {TrafficRow::Sent, TrafficVerdict::Request, 8, -1},
        {TrafficRow::Received, TrafficVerdict::Unanswered, 8, 300},
        {TrafficRow::Sent, TrafficVerdict::Request, 9, -1},
        {TrafficRow::Received, TrafficVerdict::Accepted, 9, 11},
        {TrafficRow::Sent, TrafficVerdict::Request, 10, -1},
        {TrafficRow::Received, TrafficVerdict::NoReply, 10, 43},
        {TrafficRow::Sent, TrafficVerdict::Request, 11, -1},
        {TrafficRow::Received, TrafficVerdict::Accepted, 11, 12},
        {TrafficRow::Received, TrafficVerdict::Noise, 12, -1},
    };
    ASSERT_EQ(log.Count(), static_cast<int>(want.size()));
    for (int i = 0; i < log.Count(); ++i) {
        SCOPED_TRACE(i);
        const TrafficRow& row = log.Row(i);
        EXPECT_EQ(row.direction, want[i].direction);
        EXPECT_EQ(row.verdict, want[i].verdict);
        EXPECT_EQ(row.exchange, want[i].exchange);
        EXPECT_EQ(row.responseMs, want[i].responseMs);
        EXPECT_EQ(row.meaning.isEmpty(), row.bytes.empty());
    }
    EXPECT_EQ(listener.Frames(), 18u);
    EXPECT_EQ(listener.NoiseFrames(), 3u);
    // The unanswered broadcast counts against no one.
    ASSERT_NE(stats.Find(0), nullptr);
    EXPECT_EQ(stats.Find(0)->noReplies, 0);
    EXPECT_EQ(stats.Find(0)->replies, 1);
    ASSERT_NE(stats.Find(2), nullptr);
    EXPECT_EQ(stats.Find(2)->noReplies, 3);
}

TEST(ListenStatsTest, TalliesEachModuleAndLearnsItsModel) {
    TrafficLog log;
    ModuleStats stats;
    BusListener listener(log, stats, kCharUs);
    listener.SetLimits({500, 300});
    // Registers 100..102 of module 3: address 3, code 2, model 330.
    const Frame readId = F({0x03, 0x03, 0x00, 0x64, 0x00, 0x03});
    const Frame idReply = F({0x03, 0x03, 0x06, 0x00, 0x03, 0x00, 0x02, 0x01, 0x4A});
    // The broadcast read a bench uses: module 7 says it is a ZN210.
    const Frame broadcastId = F({0x00, 0x03, 0x00, 0x64, 0x00, 0x03});
    const Frame broadcastReply = F({0x00, 0x03, 0x06, 0x00, 0x07, 0x00, 0x02, 0x00, 0xD2});
    Frame badCrc = idReply;
    badCrc.back() ^= 0xFF;
    const std::vector<Heard> bus = {
        {readId, 10'000},       {idReply, 40'000},                 // 20 ms
        {readId, 100'000},      {idReply, 150'000},                // 40 ms
        {readId, 200'000},      {badCrc, 224'000},                 // 14 ms, bad CRC
        {readId, 300'000},      {F({0x03, 0x83, 0x02}), 310'000},  // 6 ms, exception
        {readId, 400'000},                                         // no reply
        {broadcastId, 800'000}, {broadcastReply, 830'000},
    };
    for (const Heard& h : bus) {
        listener.Idle(h.atUs - static_cast<int64_t>(h.bytes.size()) * 1000);
        listener.Feed(h.bytes.data(), h.bytes.size(), h.atUs);
    }
    listener.Idle(2'000'000);
    const ModuleTally* three = stats.Find(3);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->requests, 5);
    EXPECT_EQ(three->replies, 4);
    EXPECT_EQ(three->exceptions, 1);
    EXPECT_EQ(three->badCrcs, 1);
    EXPECT_EQ(three->noReplies, 1);
    EXPECT_EQ(three->minMs, 6);
    EXPECT_EQ(three->maxMs, 40);
    EXPECT_EQ(three->MeanMs(), (20 + 40 + 14 + 6) / 4);
    const QStringList cells = ModuleStats::Cells(*three, true);
    EXPECT_EQ(cells.value(1), "ZN330");
    EXPECT_EQ(cells.size(), ModuleStats::Columns(true).size());
    const ModuleTally* seven = stats.Find(7);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(ModuleStats::Cells(*seven, false).value(1), "ZN210");
    ASSERT_EQ(stats.Modules().size(), 3u);  // 0 (the broadcast's requests), 3, 7
    EXPECT_EQ(stats.Modules()[0].address, 0);
}
// A bus of four modules read and written in turn at 115200 baud, frames back to back, as a USB
// adapter delivers it: now and then a burst ends inside a frame and the rest comes 0.5 to 16 ms
// later with whatever followed meanwhile (seeded, so the same every run).
struct Exchanged {
    Frame request, reply;
};

std::vector<Exchanged> BusTraffic(std::mt19937& random) {
    std::vector<Exchanged> all;
    for (int n = 0; n < 250; ++n) {
        const auto address = static_cast<uint8_t>(1 + n % 4);
        const auto count = static_cast<uint8_t>(1 + n % 4);
        Frame reply{address, 0x03, static_cast<uint8_t>(2 * count)};
        switch (n % 3) {
            case 0:
                for (int i = 0; i < 2 * count; ++i) reply.push_back(random() & 0xFF);
                all.push_back({F({address, 0x03, 0x00, static_cast<uint8_t>(n), 0x00, count}),
                               AppendCrc16(reply)});
                break;
            case 1:
                reply[1] = 0x04;
                for (int i = 0; i < 2 * count; ++i) reply.push_back(random() & 0xFF);
                all.push_back({F({address, 0x04, 0x00, 0x10, 0x00, count}), AppendCrc16(reply)});
                break;
            default: {
                const auto a = static_cast<uint8_t>(random()), b = static_cast<uint8_t>(random());
                all.push_back({F({address, 0x10, 0x00, 0x20, 0x00, 0x02, 0x04, 0x00, a, 0x00, b}),
                               F({address, 0x10, 0x00, 0x20, 0x00, 0x02})});
            }
        }
    }
    return all;
}

TEST(ListenJitterTest, RejoinsFramesSplitByPausesInDeliveryAndLosesOnlyAFaultsExchange) {
    const double charUs = 1e6 * 10 / 115200;
    struct Case {
        const char* name;
        unsigned seed;
        int corrupted;  // the frame whose one byte is wrong, -1 none
        double tolerance;
    };
    const std::vector<Case> cases = {
        {"no fault", 1, -1, 1.0},
        {"a reply with a wrong byte", 2, 101, 1.0},
        {"a request with a wrong byte", 3, 250, 1.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 random(c.seed);
        const std::vector<Exchanged> exchanges = BusTraffic(random);
        std::vector<Frame> frames;
        for (const Exchanged& e : exchanges) {
            frames.push_back(e.request);
            frames.push_back(e.reply);
        }
        if (c.corrupted >= 0) frames[c.corrupted][frames[c.corrupted].size() / 2] ^= 0x5A;
        // Every byte's time on the wire; a frame's last byte ends a read, or else a burst ends
        // inside it and the next read comes 0.5 to 16 ms later with all that came meanwhile.
        Frame wire;
        std::vector<double> wireUs;
        std::vector<size_t> frameEnds;
        double t = 1'000;
        for (const Frame& frame : frames) {
            for (uint8_t byte : frame) {
                wire.push_back(byte);
                wireUs.push_back(t += charUs);
            }
            frameEnds.push_back(wire.size());
            t += 3.5 * charUs + (random() % 650);
        }
        std::vector<std::pair<size_t, double>> reads;  // the bytes up to, at
        size_t delivered = 0;
        for (size_t f = 0; f < frames.size(); ++f) {
            const size_t end = frameEnds[f];
            const size_t begin = std::max(end - frames[f].size(), delivered);
            if (end <= delivered) continue;
            if (random() % 2 || end - begin < 2) {
                reads.emplace_back(end, wireUs[end - 1]);
                delivered = end;
                continue;
            }
            const size_t cut = begin + 1 + random() % (end - begin - 1);
            reads.emplace_back(cut, wireUs[cut - 1]);
            const double next = wireUs[cut - 1] + 500 + random() % 15'500;
            delivered = cut;
            while (delivered < wire.size() && wireUs[delivered] <= next) ++delivered;
            reads.emplace_back(delivered, next);
        }
        TrafficLog log;
        ModuleStats stats;
        BusListener listener(log, stats, charUs, c.tolerance);
        size_t from = 0;
        for (const auto& [upTo, at] : reads) {
            const auto atUs = static_cast<int64_t>(at);
            listener.Idle(atUs - static_cast<int64_t>((upTo - from) * charUs));
            listener.Feed(wire.data() + from, upTo - from, atUs);
            from = upTo;
        }
        ASSERT_EQ(from, wire.size());
        listener.Idle(static_cast<int64_t>(t) + 2'000'000);

        // Each good exchange paired and accepted; the one a fault touched, and nothing else,
        // left over in its own bytes.
        QStringList wantPairs, havePairs;
        Frame wantLeft, haveLeft;
        for (size_t n = 0; n < exchanges.size(); ++n) {
            if (c.corrupted >= 0 && c.corrupted / 2 == static_cast<int>(n)) {
                wantLeft = Join({frames[2 * n], frames[2 * n + 1]});
                continue;
            }
            wantPairs << Hex(frames[2 * n]) + " > " + Hex(frames[2 * n + 1]);
        }
        for (int i = 0; i < log.Count(); ++i) {
            const TrafficRow& row = log.Row(i);
            if (row.direction == TrafficRow::Sent && i + 1 < log.Count() &&
                log.Row(i + 1).exchange == row.exchange &&
                log.Row(i + 1).verdict == TrafficVerdict::Accepted) {
                havePairs << Hex(row.bytes) + " > " + Hex(log.Row(i + 1).bytes);
                ++i;
                continue;
            }
            haveLeft.insert(haveLeft.end(), row.bytes.begin(), row.bytes.end());
        }
        EXPECT_EQ(havePairs, wantPairs);
        EXPECT_EQ(Hex(haveLeft), Hex(wantLeft));
        EXPECT_EQ(log.Summary().accepted, wantPairs.size());
    }
}
}  // namespace
