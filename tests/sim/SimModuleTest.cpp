// The simulated module's register map and answers, byte for byte.
#include <gtest/gtest.h>

#include <QString>
#include <cstring>

#include "base/Switches.h"
#include "sim/LineCode.h"
#include "sim/SimModule.h"

namespace {
Frame Bytes(const char* hex) {
    return BytesOfText(QString::fromLatin1(hex));
}
QString Hex(const Frame& bytes) {
    return SentTextOf(bytes).trimmed();
}

// The module's answer to a request body (the CRC of the request is the bus's business), as hex
// without the reply's CRC, which is checked here once for all.
QString Answer(SimModule& module, const char* body, double seconds = 0) {
    const ModuleAnswer answer = module.Handle(Bytes(body), seconds);
    if (!answer.answers) return "silent";
    const Frame& r = answer.reply;
    EXPECT_GE(r.size(), 4u);
    EXPECT_EQ(Crc16(r.data(), r.size() - 2), r[r.size() - 2] | r[r.size() - 1] << 8);
    return Hex(Frame(r.begin(), r.end() - 2));
}

SimModule Make(const char* model, int address = 1, int code = 103) {
    return SimModule(*FindModel(model), address, code);
}
}  // namespace

TEST(SimModelTable, FollowsTheProgramsModelListWithItsCodes) {
    ASSERT_EQ(static_cast<int>(Models().size()), ModelNames().size());
    for (int i = 0; i < ModelNames().size(); ++i) {
        EXPECT_EQ(QString::fromStdString(Models()[i].name), ModelNames()[i]);
        EXPECT_EQ(Models()[i].code, ModelNames()[i].mid(2).toInt());
    }
    EXPECT_EQ(FindModel("zn430"), &Models().back());
    EXPECT_EQ(FindModel("ZN999"), nullptr);
}

TEST(SimLineCode, ShortAndFullCodesGiveTheirLines) {
    const struct {
        int code;
        int baud;
        char parity;
    } cases[] = {{1, 4800, 'N'},    {2, 9600, 'N'},    {4, 38400, 'N'},    {5, 4800, 'E'},
                 {8, 38400, 'E'},   {100, 1200, 'N'},  {103, 9600, 'N'},   {109, 115200, 'N'},
                 {110, 1200, 'O'},  {114, 14400, 'O'}, {119, 115200, 'O'}, {125, 19200, 'E'},
                 {126, 28800, 'E'}, {129, 115200, 'E'}};
    for (const auto& c : cases) {
        const auto line = LineOfCode(c.code);
        ASSERT_TRUE(line) << c.code;
        EXPECT_EQ(line->baud, c.baud) << c.code;
        EXPECT_EQ(line->parity, c.parity) << c.code;
    }
    for (int bad : {0, 9, 99, 130, 65535}) EXPECT_FALSE(LineOfCode(bad)) << bad;
    for (int code = 100; code <= 129; ++code) EXPECT_EQ(FullCode(*LineOfCode(code)), code);
    EXPECT_FALSE(FullCode({9601, 'N'}));
    EXPECT_DOUBLE_EQ(WireMs(12, {9600, 'N'}), 12.5);
    EXPECT_DOUBLE_EQ(WireMs(12, {1200, 'E'}), 110.0);
}

TEST(SimModule, AnswersTheSystemBlockAndItsWrites) {
    SimModule module = Make("ZN260", 1, 103);
    const struct {
        const char* request;
        const char* reply;
    } exchanges[] = {
        // address 1, code 103, model 260, version
        {"01 03 00 64 00 04", "01 03 08 00 01 00 67 01 04 00 66"},
        {"02 03 00 64 00 04", "silent"},             // another module's address
        {"01 06 00 66 00 01", "01 86 02"},           // the model code is read-only
        {"01 06 00 65 00 00", "01 86 03"},           // no such parameter code
        {"01 06 00 64 01 00", "01 86 03"},           // address 256
        {"01 06 00 6E 00 07", "01 06 00 6E 00 07"},  // setOTM keeps its value
        {"01 03 00 6E 00 01", "01 03 02 00 07"},
        {"01 03 00 70 00 06", "01 83 02"},  // 116 is past the block
        {"01 03 00 64 00 00", "01 83 03"},  // nothing asked for
        {"01 03 00 64 00 7E", "01 83 03"},  // more than 125
        {"01 05 00 00 FF 00", "01 85 01"},  // a function the family lacks
        {"01 41", "01 C1 01"},
        {"01 03 00 64", "01 83 03"},  // cut short
    };
    for (const auto& e : exchanges) EXPECT_EQ(Answer(module, e.request), e.reply) << e.request;
}

TEST(SimModule, BroadcastReadAndAddressChangeAnswerWithAddressZero) {
    SimModule module = Make("ZN430", 7, 2);
    EXPECT_EQ(Answer(module, "00 03 00 64 00 03"), "00 03 06 00 07 00 02 01 AE");
    EXPECT_EQ(Answer(module, "00 06 00 64 00 05"), "00 06 00 64 00 05");
    EXPECT_EQ(module.Address(), 5);
    EXPECT_EQ(Answer(module, "07 03 00 64 00 01"), "silent");  // the old address is gone
    EXPECT_EQ(Answer(module, "05 03 00 64 00 01"), "05 03 02 00 05");
    // Other broadcasts are carried out without a word, refused ones too.
    EXPECT_EQ(Answer(module, "00 0F 00 00 00 04 01 0F"), "silent");
    EXPECT_TRUE(module.Coil(0) && module.Coil(3));
    EXPECT_EQ(Answer(module, "00 03 01 2C 00 01"), "silent");
    EXPECT_EQ(Answer(module, "00 06 00 65 00 00"), "silent");
    EXPECT_EQ(module.Code(), 2);
}

TEST(SimModule, ParameterChangeTakesTheNewLineAndKeepsTheCodeAsWritten) {
    SimModule module = Make("ZN210");
    EXPECT_EQ(module.Line(), (ModuleLine{9600, 'N'}));
    EXPECT_EQ(Answer(module, "01 06 00 65 00 07"), "01 06 00 65 00 07");
    EXPECT_EQ(module.Line(), (ModuleLine{19200, 'E'}));
    EXPECT_EQ(Answer(module, "01 03 00 65 00 01"), "01 03 02 00 07");
    EXPECT_EQ(Answer(module, "01 10 00 65 00 01 02 00 6F"), "01 10 00 65 00 01");
    EXPECT_EQ(module.Line(), (ModuleLine{2400, 'O'}));
    EXPECT_EQ(module.Code(), 111);
}

TEST(SimModule, OutputsCalibrationGainsAndClearKeepWhatWasWritten) {
    SimModule ao = Make("ZN240");
    EXPECT_EQ(Answer(ao, "01 03 00 00 00 03"), "01 03 06 0F A0 0F A0 0F A0");
    EXPECT_EQ(Answer(ao, "01 10 00 00 00 03 06 2E E0 13 88 4E 20"), "01 10 00 00 00 03");
    EXPECT_EQ(Answer(ao, "01 03 00 00 00 03"), "01 03 06 2E E0 13 88 4E 20");
    EXPECT_EQ(Answer(ao, "01 10 00 00 00 04 08 00 01 00 02 00 03 00 04"), "01 90 02");
    EXPECT_EQ(Answer(ao, "01 10 00 00 00 02 06 00 01 00 02 00 03"), "01 90 03");
    EXPECT_EQ(Answer(ao, "01 03 00 00 00 01"), "01 03 02 2E E0");  // refused writes change nothing
    EXPECT_EQ(Answer(ao, "01 06 00 30 0E EC"), "01 06 00 30 0E EC");
    const QString calibration = Answer(ao, "01 03 00 30 00 06");
    EXPECT_TRUE(calibration.startsWith("01 03 0C 0E EC ")) << calibration.toStdString();
    EXPECT_EQ(Answer(ao, "01 03 00 30 00 07"), "01 83 02");  // 54 is outside the map

    SimModule ai = Make("ZN260");
    EXPECT_EQ(Answer(ai, "01 06 00 00 00 01"), "01 86 02");  // measurements are read-only
    EXPECT_EQ(Answer(ai, "01 06 03 E8 00 18"), "01 06 03 E8 00 18");
    EXPECT_EQ(Answer(ai, "01 06 03 EF 00 F0"), "01 06 03 EF 00 F0");
    EXPECT_EQ(Answer(ai, "01 03 03 E8 00 08"),
              "01 03 10 00 18 00 00 00 00 00 00 00 00 00 00 00 "
              "00 00 F0");
    EXPECT_EQ(Answer(ai, "01 06 04 4C 00 58"), "01 06 04 4C 00 58");
    EXPECT_EQ(Answer(ai, "01 03 03 E8 00 08"),
              "01 03 10 00 00 00 00 00 00 00 00 00 00 00 00 00 "
              "00 00 00");
    EXPECT_EQ(Answer(ai, "01 03 04 4C 00 01"), "01 03 02 00 00");
}

TEST(SimModule, CoilsKeepWhatWasWrittenAndOnlyModelsWithThemTakeThem) {
    SimModule module = Make("ZN340");
    EXPECT_EQ(Answer(module, "01 0F 00 00 00 10 02 01 80"), "01 0F 00 00 00 10");
    for (int i = 0; i < 16; ++i) EXPECT_EQ(module.Coil(i), i == 0 || i == 15) << i;
    EXPECT_EQ(Answer(module, "01 01 00 00 00 10"), "01 01 02 01 80");
    EXPECT_EQ(Answer(module, "01 0F 00 00 00 10 01 FF"), "01 8F 03");  // byte count short
    EXPECT_EQ(Answer(module, "01 0F 00 0C 00 08 01 FF"), "01 8F 02");  // past coil 15
    EXPECT_EQ(Answer(module, "01 0F 00 03 00 02 01 03"), "01 0F 00 03 00 02");
    EXPECT_TRUE(module.Coil(3) && module.Coil(4) && module.Coil(0) && !module.Coil(5));
    EXPECT_EQ(Answer(module, "01 02 00 00 00 04"), "01 82 01");  // no inputs on this model

    SimModule ai = Make("ZN270");
    EXPECT_EQ(Answer(ai, "01 0F 00 00 00 04 01 0F"), "01 8F 01");
}

TEST(SimModule, DiscreteInputsToggleAndTheirCountsFollow) {
    SimModule module = Make("ZN330");
    EXPECT_EQ(Answer(module, "01 02 00 00 00 10", 0.0), "01 02 02 00 00");
    EXPECT_EQ(Answer(module, "01 02 00 00 00 11", 0.0), "01 82 02");
    bool seen[16][2] = {};
    int lastCount = 0;
    for (double t = 0; t < 40; t += 0.25) {
        const Frame reply = module.Handle(Bytes("01 02 00 00 00 10"), t).reply;
        ASSERT_EQ(reply.size(), 7u);
        for (int i = 0; i < 16; ++i) seen[i][(reply[3 + i / 8] >> (i % 8)) & 1] = true;
        const int count = *module.Register(2048, t);
        EXPECT_GE(count, lastCount);
        lastCount = count;
    }
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(seen[i][0] && seen[i][1]) << "input " << i;
    EXPECT_GT(lastCount, 10);
    // The 32-bit pair of input 0: high word first, a count beyond 16 bits.
    const uint32_t count32 = *module.Register(2304, 40) << 16 | *module.Register(2305, 40);
    EXPECT_EQ(count32 % 100000, static_cast<uint32_t>(lastCount));
    EXPECT_GT(count32, 65535u);
    EXPECT_EQ(Answer(module, "01 03 09 00 00 20").size(), QString("01 03 40").size() + 64 * 3);
}

TEST(SimModule, MeasurementsArePlausibleAndMoveSlowly) {
    for (const ModelInfo& model : Models()) {
        SimModule module(model, 1, 103);
        bool moved = false;
        for (int ch = 0; ch < model.channels; ++ch) {
            for (double t = 0; t < 120; t += 1) {
                const int raw = *module.Register(ch, t);
                const int next = *module.Register(ch, t + 1);
                if (raw != next) moved = true;
                switch (model.measures) {
                    case Measures::Rtd:
                        EXPECT_GE(raw / 10.0 - 55, 10);
                        EXPECT_LE(raw / 10.0 - 55, 40);
                        EXPECT_LE(std::abs(next - raw), 3);  // 0.3 degrees in a second
                        break;
                    case Measures::Counts:
                        EXPECT_LE(raw, 4095);
                        EXPECT_LE(std::abs(next - raw), 15);
                        break;
                    case Measures::DsSensors:
                        if (ch == 1) {
                            EXPECT_GT(raw, 10000);  // below zero
                        } else if (ch == model.channels - 1) {
                            EXPECT_EQ(raw, 65535);
                        } else {
                            EXPECT_LT(raw, 9999);
                        }
                        break;
                    case Measures::WholeDegrees:
                        EXPECT_EQ(raw > 1000, ch == model.channels - 1) << raw;
                        break;
                    case Measures::Nothing:
                        break;
                }
            }
        }
        EXPECT_EQ(moved, model.measures != Measures::Nothing) << model.name;
        EXPECT_EQ(module.Register(model.channels + model.outputs, 0).has_value(), false)
            << model.name;
    }
}

TEST(SimModule, FloatPairsCarryTheMeasurementsInEngineeringUnits) {
    SimModule rtd = Make("ZN210");
    SimModule mA = Make("ZN410");
    for (SimModule* module : {&rtd, &mA}) {
        for (int ch = 0; ch < module->Model().channels; ++ch) {
            const uint32_t bits =
                *module->Register(1280 + 2 * ch, 17) << 16 | *module->Register(1281 + 2 * ch, 17);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            const int raw = *module->Register(ch, 17);
            const double expected = module == &rtd ? raw / 10.0 - 55 : raw * 20.0 / 4095;
            EXPECT_NEAR(value, expected, 1e-4) << ch;
        }
    }
    EXPECT_EQ(*rtd.Register(1280 + 2 * 4, 17), 0);  // no fifth channel
}
