// read and write: the register window's reads and its write of one register, headless.
#include "cli/CliOutput.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "core/modules/RegisterValues.h"
#include "core/modules/WrittenNumber.h"

namespace {
QStringList ValueColumns() {
    return {CliTexts::Text(CliTexts::ColRegister), CliTexts::Text(CliTexts::ColValue)};
}

// A register number or value as the register window takes it (decimal, or &H and hex digits).
bool RegisterNumber(const CliOptions& o, const QString& name, int* value, QString* error) {
    if (!o.Has(name)) {
        *error = CliTexts::Text(CliTexts::MissingOption).arg(name);
        return false;
    }
    const auto number = RegisterNumberOfText(o.Value(name));
    if (!number) {
        *error = CliTexts::Text(CliTexts::NotANumber).arg(name, o.Value(name)).arg(0).arg(65535);
        return false;
    }
    *value = *number;
    return true;
}
}  // namespace

int RunRead(const CliRun& run) {
    const CliOptions& o = run.options;
    QString port, error;
    int address = 0, first = 0, count = 0, waitMs = 0;
    SerialCandidate settings;
    RegisterType type = RegisterType::Int;
    if (!o.Port(&port, &error) || !o.Address("--address", std::nullopt, &address, &error) ||
        !RegisterNumber(o, "--register", &first, &error) ||
        !o.Int("--wait", 1, 60000, 1000, &waitMs, &error) ||
        !o.Settings("--baud", "--parity", {9600, 'N'}, &settings, &error))
        return run.Usage(error);
    const QString typeText = o.Value("--type");
    if (typeText == "float")
        type = RegisterType::Float;
    else if (typeText == "int32")
        type = RegisterType::Int32;
    else if (o.Has("--type") && typeText != "int")
        return run.Usage(CliTexts::Text(CliTexts::NotARegisterType).arg("--type", typeText));
    // A Modbus read carries 125 registers at most; a pair type counts pairs.
    const int perValue = type == RegisterType::Int ? 1 : 2;
    if (!o.Int("--count", 1, 125 / perValue, 1, &count, &error)) return run.Usage(error);
    const int registers = count * perValue;
    if (first + registers - 1 > 65535)
        return run.Usage(CliTexts::Text(CliTexts::NotANumber)
                             .arg("--count", o.Value("--count"))
                             .arg(1)
                             .arg((65536 - first) / perValue));

    if (!run.OpenLine(port, settings)) return kLineFailed;
    Exchange exchange = run.NewExchange();
    const Asked asked = exchange.Ask(
        TrafficCause::PollA, ReadRequest(static_cast<uint8_t>(address), 0x03, first, registers),
        {5 + 2 * registers}, waitMs);
    if (asked != Asked::Answered) return AskFailed(run, asked, address, exchange);
    std::vector<int> values;
    for (int k = 0; k < registers; ++k) values.push_back(RegisterOfReply(exchange.ReceivedText, k));
    const QStringList lines = TypedRegisterLines(first, values, type);
    CliOutput output(run.out, run.format, ValueColumns());
    output.Begin();
    for (const QString& line : lines) {
        const int colon = line.indexOf(QStringLiteral(": "));
        output.Row({line.left(colon), line.mid(colon + 2)}, line);
    }
    return kDone;
}

int RunWrite(const CliRun& run) {
    const CliOptions& o = run.options;
    QString port, error;
    int address = 0, reg = 0, value = 0, waitMs = 0;
    SerialCandidate settings;
    if (!o.Port(&port, &error) || !o.Address("--address", std::nullopt, &address, &error) ||
        !RegisterNumber(o, "--register", &reg, &error) ||
        !RegisterNumber(o, "--value", &value, &error) ||
        !o.Int("--wait", 1, 60000, 1000, &waitMs, &error) ||
        !o.Settings("--baud", "--parity", {9600, 'N'}, &settings, &error))
        return run.Usage(error);
    if (!run.OpenLine(port, settings)) return kLineFailed;
    Exchange exchange = run.NewExchange();
    const Asked asked =
        exchange.Ask(TrafficCause::Write,
                     WriteRegisterRequest(static_cast<uint8_t>(address), reg, value), {8}, waitMs);
    if (asked != Asked::Answered) return AskFailed(run, asked, address, exchange);
    CliOutput output(run.out, run.format, ValueColumns());
    output.Row({QString::number(reg), QString::number(value)},
               QStringLiteral("%1: %2").arg(reg).arg(value));
    return kDone;
}
