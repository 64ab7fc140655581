// Network line names and the Telnet Com Port Control codec, without a socket: exact bytes.
#include <gtest/gtest.h>

#include <QStringList>

#include "core/protocol/ModbusTcpCodec.h"
#include "core/line/NetAddress.h"
#include "core/line/Rfc2217.h"
#include "tests/support/QStringPrinter.h"

namespace {
Rfc2217::Bytes Hex(const char* spaced) {
    Rfc2217::Bytes out;
    for (const QString& word : QString::fromLatin1(spaced).split(' ', Qt::SkipEmptyParts))
        out.push_back(static_cast<uint8_t>(word.toUInt(nullptr, 16)));
    return out;
}
}  // namespace

TEST(NetAddressTest, NamesGiveKindHostAndPortOrNothing) {
    const struct {
        const char* name;
        bool network;
        std::optional<NetAddress> address;
    } cases[] = {
        {"tcp://127.0.0.1:4001", true, NetAddress{NetKind::RawTcp, "127.0.0.1", 4001}},
        {"rfc2217://gw-3.plant.local:2217", true,
         NetAddress{NetKind::Rfc2217, "gw-3.plant.local", 2217}},
        {"modbus-tcp://10.0.0.7", true, NetAddress{NetKind::ModbusTcp, "10.0.0.7", 502}},
        {"MODBUS-TCP://gw:1502/", true, NetAddress{NetKind::ModbusTcp, "gw", 1502}},
        {"tcp://[::1]:4001", true, NetAddress{NetKind::RawTcp, "::1", 4001}},
        {"tcp://127.0.0.1", true, std::nullopt},        // a device server's port is its own
        {"rfc2217://127.0.0.1:0", true, std::nullopt},  // no port 0
        {"tcp://127.0.0.1:65536", true, std::nullopt},
        {"tcp://:4001", true, std::nullopt},
        {"ftp://127.0.0.1:21", true, std::nullopt},
        {"tcp://a b:1", true, std::nullopt},
        {"/dev/ttyUSB0", false, std::nullopt},
        {"COM3", false, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNetworkName(c.name), c.network) << c.name;
        EXPECT_EQ(ParseNetAddress(c.name), c.address) << c.name;
    }
}

TEST(Rfc2217Test, LineCommandsAndEscapedDataAreTheWireBytes) {
    const struct {
        LineSettings settings;
        const char* bytes;
    } settings[] = {
        {{9600, 'N', 8, 1},
         "FF FA 2C 01 00 00 25 80 FF F0 FF FA 2C 02 08 FF F0 FF FA 2C 03 01 FF F0 "
         "FF FA 2C 04 01 FF F0"},
        {{19200, 'O', 8, 2},
         "FF FA 2C 01 00 00 4B 00 FF F0 FF FA 2C 02 08 FF F0 FF FA 2C 03 02 FF F0 "
         "FF FA 2C 04 02 FF F0"},
        // A rate holding 0xFF is escaped inside the command as in data.
        {{65535, 'E', 7, 1},
         "FF FA 2C 01 00 00 FF FF FF FF FF F0 FF FA 2C 02 07 FF F0 FF FA 2C 03 03 FF F0 "
         "FF FA 2C 04 01 FF F0"},
    };
    for (const auto& c : settings)
        EXPECT_EQ(Rfc2217::LineCommands(c.settings), Hex(c.bytes)) << c.bytes;
    const struct {
        const char* data;
        const char* wire;
    } data[] = {
        {"01 06 00 31 12 FF 14 C6", "01 06 00 31 12 FF FF 14 C6"},
        {"FF FF", "FF FF FF FF"},
        {"01 03 00 00 00 04", "01 03 00 00 00 04"},
    };
    for (const auto& c : data) {
        const Rfc2217::Bytes plain = Hex(c.data);
        EXPECT_EQ(Rfc2217::Escape(plain.data(), plain.size()), Hex(c.wire)) << c.data;
    }
}

TEST(Rfc2217Test, TheGatewaysStreamSplitsIntoDataAnswersAndAcknowledgements) {
    const struct {
        const char* stream;
        const char* data;
        const char* reply;
        Rfc2217::Acknowledged acks;
    } cases[] = {
        {"01 03 FF FF 02", "01 03 FF 02", "", {}},
        // Confirmations of our own offers are not answered; an unknown option is refused.
        {"FF FD 00 FF FB 00 FF FD 2C FF FB 01 FF FD 18", "", "FF FE 01 FF FC 18", {}},
        {"FF FA 2C 65 00 00 4B 00 FF F0 FF FA 2C 66 08 FF F0 FF FA 2C 67 02 FF F0 "
         "FF FA 2C 68 01 FF F0",
         "",
         "",
         {19200, 8, 2, 1}},
        // A state notice between data bytes, and an escaped byte inside a value.
        {"11 FF FA 2C 6A 60 FF F0 22 FF FA 2C 65 00 00 FF FF FF FF FF F0",
         "11 22",
         "",
         {65535, 0, 0, 0}},
        {"FF F1 33", "33", "", {}},  // no operation
    };
    for (const auto& c : cases) {
        Rfc2217::Decoder decoder;
        decoder.Greeting();
        const Rfc2217::Bytes stream = Hex(c.stream);
        // Byte by byte, as a stream may be cut anywhere, and whole: the same outcome.
        for (bool whole : {false, true}) {
            Rfc2217::Decoder fed = decoder;
            Rfc2217::Bytes data, reply;
            if (whole)
                fed.Feed(stream.data(), stream.size(), &data, &reply);
            else
                for (uint8_t b : stream) fed.Feed(&b, 1, &data, &reply);
            EXPECT_EQ(data, Hex(c.data)) << c.stream;
            EXPECT_EQ(reply, Hex(c.reply)) << c.stream;
            EXPECT_EQ(fed.Acks(), c.acks) << c.stream;
        }
    }
}

TEST(ModbusTcpCodecTest, RequestsWrapWithoutCrcAndRepliesComeBackInRtuForm) {
    const struct {
        uint16_t transaction;
        const char* rtu;
        const char* mbap;
    } requests[] = {
        {1, "03 03 00 00 00 04 45 EB", "00 01 00 00 00 06 03 03 00 00 00 04"},
        {0xABCD, "01 06 00 31 12 FF 14 C6", "AB CD 00 00 00 06 01 06 00 31 12 FF"},
        {7, "01 03", ""},  // no room for a CRC: not a request
    };
    for (const auto& c : requests) {
        const ModbusTcp::Bytes rtu = Hex(c.rtu);
        EXPECT_EQ(ModbusTcp::Wrap(c.transaction, rtu.data(), rtu.size()), Hex(c.mbap)) << c.rtu;
    }
    const struct {
        const char* stream;
        std::vector<uint16_t> transactions;
        const char* lastRtu;
    } replies[] = {
        {"00 01 00 00 00 05 03 03 02 01 23", {1}, "03 03 02 01 23 81 CD"},
        {"00 01 00 00 00 05 03 03 02 01", {}, ""},  // one byte still to come
        {"00 02 00 00 00 03 01 83 0B 00 03 00 00 00 03 01 83 02", {2, 3}, "01 83 02 C0 F1"},
        {"00 01 00 01 00 05 03 03 02 01 23", {}, ""},  // protocol 1: not Modbus TCP
        {"00 01 00 00 01 00 03 03", {}, ""},           // longer than any frame
    };
    for (const auto& c : replies) {
        const ModbusTcp::Bytes stream = Hex(c.stream);
        for (bool whole : {false, true}) {
            ModbusTcp::Reader reader;
            std::vector<uint16_t> transactions;
            ModbusTcp::Bytes last;
            const auto drain = [&] {
                while (auto reply = reader.Next()) {
                    transactions.push_back(reply->transaction);
                    last = reply->rtu;
                }
            };
            if (whole) {
                reader.Feed(stream.data(), stream.size());
                drain();
            } else {
                for (uint8_t b : stream) {
                    reader.Feed(&b, 1);
                    drain();
                }
            }
            EXPECT_EQ(transactions, c.transactions) << c.stream;
            EXPECT_EQ(last, Hex(c.lastRtu)) << c.stream;
        }
    }
}
