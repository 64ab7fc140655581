// Reply judging, and decoding for every model. The input is a flags byte, the expected reply
// length, the length n of the request body, the n body bytes (sent with their CRC, as a window
// sends them) and the bytes received. Each is judged against a reference made from the bytes; then
// the received bytes are carried, as a module would send them, in the reply to every poll of every
// model and decoded the way its window decodes it.
#include <QStringList>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/protocol/Modbus.h"
#include "sim/ModelTable.h"
#include "tests/fuzz/FuzzTargets.h"
#include "core/modules/AnalogCodec.h"
#include "core/modules/DigitalCodec.h"
#include "windows/registers/RegisterGroups.h"
#include "windows/registers/RegisterView.h"
#include "core/modules/WrittenNumber.h"
#include "core/modules/ModuleParameters.h"
#include "core/modules/ParameterCodes.h"

namespace {
using AnalogCodec::ReadingKind;

// The text ReadPortHex makes of received bytes, before FormatReceivedHex spaces it.
QString PortHex(const Frame& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(2 * static_cast<qsizetype>(bytes.size()));
    for (uint8_t b : bytes) {
        text += QLatin1Char(digits[b >> 4]);
        text += QLatin1Char(digits[b & 15]);
    }
    return text;
}

bool CrcHolds(const Frame& frame) {
    if (frame.size() < 3) return false;
    const uint16_t crc = Crc16(frame.data(), frame.size() - 2);
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == crc >> 8;
}

// What ReplyAccepted must say, worked out on the bytes instead of the texts.
bool ReferenceJudgement(const Frame& reply, const Frame& request, int expectedBytes) {
    return expectedBytes >= 3 && static_cast<int>(reply.size()) == expectedBytes &&
           request.size() >= 2 && reply[0] == request[0] && reply[1] == request[1] &&
           CrcHolds(reply);
}

// The reply a module sends to `request` carrying `dataBytes` bytes of data taken from `data`
// (zeros past its end): address, function, byte count, data, CRC.
Frame ReplyOf(const Frame& request, int dataBytes, const Frame& data) {
    Frame body = {request[0], request[1], static_cast<uint8_t>(dataBytes)};
    body.reserve(3 + dataBytes);
    for (int i = 0; i < dataBytes; ++i)
        body.push_back(i < static_cast<int>(data.size()) ? data[i] : 0);
    return AppendCrc16(body);
}

int Word(const Frame& data, int k) {
    const auto at = [&](int i) { return i < static_cast<int>(data.size()) ? data[i] : 0; };
    return at(2 * k) << 8 | at(2 * k + 1);
}

// A reply the window accepts; its received text.
QString Accepted(const Frame& request, const Frame& reply) {
    const QString received = FormatReceivedHex(PortHex(reply));
    const QString sent = SentTextOf(AppendCrc16(request));
    FuzzCheck(ReplyAccepted(received, sent, static_cast<int>(reply.size())),
              "a well-formed reply to the request is accepted");
    FuzzCheck(!ReplyAccepted(received, sent, static_cast<int>(reply.size()) + 1),
              "a reply one byte short is rejected");
    return received;
}

void CheckRegisters(const QString& received, const Frame& data, int count) {
    for (int k = 0; k < count; ++k)
        FuzzCheck(RegisterOfReply(received, k) == Word(data, k), "register k is data word k");
}

ReadingKind KindOf(const ModelInfo& model) {
    switch (model.measures) {
        case Measures::Rtd:
            return ReadingKind::RtdTenths;
        case Measures::DsSensors:
            return ReadingKind::SignedTenths;
        case Measures::WholeDegrees:
            return ReadingKind::WholeDegrees;
        default:
            return model.fullScale > 15 ? ReadingKind::Milliamps : ReadingKind::Volts;
    }
}

void DecodeAsEveryModel(uint8_t address, const Frame& data) {
    // Models that poll alike are decoded once: the same work again finds nothing new and would
    // cost most of the time of an input.
    std::set<std::pair<int, ReadingKind>> analogDone;
    std::set<int> inputsDone;
    bool calibrationDone = false;
    for (const ModelInfo& model : Models()) {
        if (model.channels > 0 && analogDone.insert({model.channels, KindOf(model)}).second) {
            const Frame poll = ReadRequest(address, 0x03, 0, model.channels);
            const QString received = Accepted(poll, ReplyOf(poll, 2 * model.channels, data));
            CheckRegisters(received, data, model.channels);
            for (int k = 0; k < model.channels; ++k) {
                const int raw = RegisterOfReply(received, k);
                FuzzCheck(!AnalogCodec::ReadingText(KindOf(model), raw).isEmpty(),
                          "every reading has a text");
                const int adjust = AnalogCodec::AdjustValue(raw);
                FuzzCheck(adjust >= 0 && adjust <= 255, "an adjustment fits its byte");
                FuzzCheck(adjust == 0 || (raw > 1900 && raw < 2048),
                          "only a reading near mid-scale is adjusted");
            }
        }
        if (model.inputs > 0 && inputsDone.insert(model.inputs).second) {
            const Frame poll = DigitalCodec::InputPollRequest(address, model.inputs);
            const int bytes = DigitalCodec::InputReplyBytes(model.inputs);
            const QString received = Accepted(poll, ReplyOf(poll, bytes - 5, data));
            const std::vector<bool> states =
                DigitalCodec::InputStatesOfReply(received, model.inputs);
            FuzzCheck(static_cast<int>(states.size()) == model.inputs, "one state per input");
            for (int i = 0; i < model.inputs && i < 16; ++i) {
                const bool on =
                    i / 8 < static_cast<int>(data.size()) && (data[i / 8] >> (i % 8)) & 1;
                FuzzCheck(states[i] == on, "input i is bit i of the data, low bit first");
            }
        }
        if (model.outputs > 0 && !calibrationDone) {
            calibrationDone = true;
            const Frame read = AnalogCodec::CalibrationReadRequest(address);
            const int count = AnalogCodec::kCalibrationCount;
            CheckRegisters(Accepted(read, ReplyOf(read, 2 * count, data)), data, count);
        }
    }

    // The parameter window's broadcast read of registers 100..102.
    const Frame read = ReadRequest(0, 0x03, 100, 3);
    const ModuleParameters parameters =
        ModuleParametersText::Decode(Accepted(read, ReplyOf(read, 6, data)));
    FuzzCheck(parameters.address == Word(data, 0) && parameters.parameterCode == Word(data, 1) &&
                  parameters.modelCode == Word(data, 2),
              "the parameter read decodes registers 100..102");
    const QStringList lines = ModuleParametersText::Lines(parameters).split("\r\n");
    FuzzCheck(lines.size() == 3, "the parameters show as three lines");
    const QString entry = ParameterCodes::EntryOfCode(parameters.parameterCode);
    SerialCandidate candidate;
    FuzzCheck(
        entry.isEmpty() != ParameterCodes::CandidateOfCode(parameters.parameterCode, &candidate),
        "a code has an entry exactly when it has settings");
    if (parameters.parameterCode >= 100 && !entry.isEmpty())
        FuzzCheck(ParameterCodes::CodeOfEntry(entry, true) == parameters.parameterCode,
                  "a full code's entry writes the same code");
    const QString model = ModuleParametersText::ModelOfCode(parameters.modelCode);
    FuzzCheck(model.isEmpty() || ModelNames().contains(model), "a model name is a listed model");

    // The register window's groups, in every view.
    for (const RegisterGroup& group : RegisterGroups(4)) {
        const Frame poll = ReadRequest(address, 0x03, group.first, group.count);
        const Frame reply = ReplyOf(poll, 2 * group.count, data);
        FuzzCheck(static_cast<int>(reply.size()) == ReadReplyBytes(group.count),
                  "a group's reply has its length");
        const QString received = Accepted(poll, reply);
        std::vector<int> values;
        for (int k = 0; k < group.count; ++k) values.push_back(RegisterOfReply(received, k));
        const QStringList shown = RegisterLines(group.first, values, true);
        const bool pairs = ViewOfGroup(group.first) == RegisterView::FloatPairs ||
                           ViewOfGroup(group.first) == RegisterView::CountPairs;
        FuzzCheck(shown.size() == (pairs ? group.count / 2 : group.count),
                  "one line per register or pair");
    }
}

// One input taken apart: flags, expected length, request body, received bytes.
struct ReplyInput {
    uint8_t flags = 0;
    int expectedBytes = 0;
    Frame body;
    Frame received;
};

std::optional<ReplyInput> ReadInput(const uint8_t* data, size_t size) {
    if (size < 3) return std::nullopt;
    ReplyInput input;
    input.flags = data[0];
    input.expectedBytes = data[1];
    const size_t bodyBytes = data[2];
    if (bodyBytes == 0 || size < 3 + bodyBytes) return std::nullopt;
    // The text table is filled anew only when the language changes: filling it is most of what
    // an input would cost.
    static int language = -1;
    if (language != (input.flags & 1)) {
        language = input.flags & 1;
        TextTable::Fill(language == 1);
    }
    Switches().FullSerialLists = (input.flags >> 1) & 1;
    input.body.assign(data + 3, data + 3 + bodyBytes);
    // ReadPortHex hands over at most 255 bytes.
    input.received.assign(data + 3 + bodyBytes, data + std::min(size, 3 + bodyBytes + 255));
    return input;
}
}  // namespace

int FuzzReplyDecode(const uint8_t* data, size_t size) {
    if (const auto input = ReadInput(data, size))
        DecodeAsEveryModel(input->body[0], input->received);
    return 0;
}

int FuzzReply(const uint8_t* data, size_t size) {
    const auto input = ReadInput(data, size);
    if (!input) return 0;
    const uint8_t flags = input->flags;
    const int expectedBytes = input->expectedBytes;
    const Frame& body = input->body;
    const Frame& received = input->received;

    const Frame request = AppendCrc16(body);
    const QString sentText = SentTextOf(request);
    FuzzCheck(BytesOfText(sentText) == request, "the sent text reads back as the frame");
    const QString receivedText = FormatReceivedHex(PortHex(received));
    FuzzCheck(receivedText.size() == 3 * static_cast<int>(received.size()),
              "three characters per received byte");
    FuzzCheck(BytesOfText(receivedText) == received, "the received text reads back as the bytes");
    FuzzCheck(ReplyAccepted(receivedText, sentText, expectedBytes) ==
                  ReferenceJudgement(received, request, expectedBytes),
              "a reply is judged by its length, header and CRC");

    // The same tail as text of any characters, as a typed or garbled text may be.
    const QString anyText = QString::fromUtf8(reinterpret_cast<const char*>(received.data()),
                                              static_cast<qsizetype>(received.size()));
    const QString formatted = FormatReceivedHex(anyText);
    if (ReplyAccepted(formatted, sentText, expectedBytes)) {
        const Frame bytes = BytesOfText(formatted);
        FuzzCheck(ReferenceJudgement(bytes, request, expectedBytes),
                  "an accepted text holds a well-formed reply");
    }
    for (int k = 0; k <= formatted.size() / 6; ++k) {
        const int value = RegisterOfReply(formatted, k);
        FuzzCheck(value >= 0 && value <= 65535, "a register is 16 bits");
    }
    const auto address = ParseAddressText(anyText);
    if (address) FuzzCheck(anyText.trimmed().toInt() == *address, "an address is its number");
    const auto number = RegisterNumberOfText(anyText);
    if (number) FuzzCheck(*number >= 0 && *number <= 65535, "a register number is 16 bits");
    FuzzCheck(ParameterCodes::CodeOfEntry(anyText, flags & 2) >= 0, "no negative code");
    return 0;
}
