#include "cli/CliOptions.h"

#include "cli/CliTexts.h"

namespace {
const QStringList kEveryCommand = {"--port", "--baud", "--parity", "--format", "--lang", "--help"};
const QStringList kFlags = {"--help", "--all-settings", "--listen-only", "--rotate-midnight"};
// Options whose value may be left out: the next word is theirs unless it is an option.
const QStringList kOptionalValues = {"--ha-discovery"};

// Whole numbers only, an optional sign and digits, blanks around them aside.
std::optional<long long> WholeNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 12) return std::nullopt;
    bool ok = false;
    const long long value = trimmed.toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}
}  // namespace

const QStringList& CliOptions::Commands() {
    static const QStringList commands = {"ports", "search", "scan",       "read",    "write",
                                         "set",   "poll",   "commission", "monitor", "watch"};
    return commands;
}

QStringList CliOptions::OptionsOf(const QString& command) {
    QStringList own;
    if (command == "ports")
        own = {};
    else if (command == "search")
        own = {"--address", "--wait"};
    else if (command == "scan")
        own = {"--from", "--to", "--all-settings", "--wait"};
    else if (command == "read")
        own = {"--address", "--register", "--count", "--type", "--wait"};
    else if (command == "write")
        own = {"--address", "--register", "--value", "--wait"};
    else if (command == "set")
        own = {"--address", "--new-address", "--new-baud", "--new-parity", "--wait"};
    else if (command == "poll")
        own = {"--address", "--model", "--count", "--interval", "--wait"};
    else if (command == "commission")
        own = {"--first", "--step", "--give-baud", "--give-parity",
               "--count", "--log",  "--rotate-mb", "--rotate-midnight"};
    else if (command == "monitor")
        own = {"--listen-only", "--count", "--seconds", "--tolerance", "--late", "--no-reply"};
    else if (command == "watch")
        // Its lines, their ports and settings come from the line file.
        return {"--line",    "--seconds",   "--record",          "--rotate-mb",   "--format",
                "--lang",    "--help",      "--rotate-midnight", "--mqtt",        "--mqtt-prefix",
                "--mqtt-id", "--mqtt-auth", "--mqtt-ca",         "--ha-discovery"};
    else
        return {};
    return kEveryCommand + own;
}

bool CliOptions::IsFlag(const QString& option) {
    return kFlags.contains(option);
}

bool CliOptions::Parse(const QStringList& args, QString* error) {
    command_ = args.value(0);
    values_.clear();
    const QStringList allowed = OptionsOf(command_);
    if (allowed.isEmpty()) {
        *error = CliTexts::Text(CliTexts::UnknownCommand).arg(command_);
        return false;
    }
    for (int i = 1; i < args.size(); ++i) {
        QString name = args[i];
        QString value;
        bool inline_ = false;
        if (const int eq = name.indexOf('='); name.startsWith("--") && eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            inline_ = true;
        }
        if (!allowed.contains(name)) {
            *error = CliTexts::Text(CliTexts::UnknownOption).arg(name, command_);
            return false;
        }
        if (values_.contains(name)) {
            *error = CliTexts::Text(CliTexts::RepeatedOption).arg(name);
            return false;
        }
        if (kOptionalValues.contains(name) && !inline_) {
            if (i + 1 < args.size() && !args[i + 1].startsWith("--")) value = args[++i];
        } else if (!IsFlag(name) && !inline_) {
            if (i + 1 >= args.size()) {
                *error = CliTexts::Text(CliTexts::MissingValue).arg(name);
                return false;
            }
            value = args[++i];
        }
        values_.insert(name, value);
    }
    return true;
}

bool CliOptions::Int(const QString& name, int low, int high, std::optional<int> fallback,
                     int* value, QString* error) const {
    if (!Has(name)) {
        if (fallback) {
            *value = *fallback;
            return true;
        }
        *error = CliTexts::Text(CliTexts::MissingOption).arg(name);
        return false;
    }
    const auto number = WholeNumber(Value(name));
    if (!number || *number < low || *number > high) {
        *error = CliTexts::Text(CliTexts::NotANumber).arg(name, Value(name)).arg(low).arg(high);
        return false;
    }
    *value = static_cast<int>(*number);
    return true;
}

bool CliOptions::Decimal(const QString& name, double low, double high, double fallback,
                         double* value, QString* error) const {
    if (!Has(name)) {
        *value = fallback;
        return true;
    }
    bool ok = false;
    const double number = Value(name).trimmed().toDouble(&ok);
    if (!ok || !(number >= low && number <= high)) {
        *error = CliTexts::Text(CliTexts::NotADecimal).arg(name, Value(name)).arg(low).arg(high);
        return false;
    }
    *value = number;
    return true;
}

bool CliOptions::Port(QString* port, QString* error) const {
    if (!Has("--port") || Value("--port").trimmed().isEmpty()) {
        *error = CliTexts::Text(CliTexts::MissingOption).arg("--port");
        return false;
    }
    *port = Value("--port").trimmed();
    return true;
}

bool CliOptions::Settings(const QString& baudName, const QString& parityName,
                          SerialCandidate fallback, SerialCandidate* settings,
                          QString* error) const {
    *settings = fallback;
    if (Has(baudName)) {
        const auto baud = WholeNumber(Value(baudName));
        bool known = false;
        for (const SerialCandidate& c : ParameterCodes::SearchCandidates(true))
            known = known || (baud && c.baud == *baud);
        if (!known) {
            *error = CliTexts::Text(CliTexts::NotABaud).arg(baudName, Value(baudName));
            return false;
        }
        settings->baud = static_cast<int>(*baud);
    }
    if (Has(parityName)) {
        const QString parity = Value(parityName).trimmed().toUpper();
        if (parity != "N" && parity != "O" && parity != "E") {
            *error = CliTexts::Text(CliTexts::NotAParity).arg(parityName, Value(parityName));
            return false;
        }
        settings->parity = parity[0].toLatin1();
    }
    return true;
}

bool CliOptions::Format(OutputFormat* format, QString* error) const {
    const QString text = Value("--format");
    if (!Has("--format") || text == "text")
        *format = OutputFormat::Text;
    else if (text == "csv")
        *format = OutputFormat::Csv;
    else if (text == "json")
        *format = OutputFormat::Json;
    else {
        *error = CliTexts::Text(CliTexts::NotAFormat).arg("--format", text);
        return false;
    }
    return true;
}

bool CliOptions::Language(std::optional<bool>* english, QString* error) const {
    english->reset();
    if (!Has("--lang")) return true;
    const QString text = Value("--lang");
    if (text == "en")
        *english = true;
    else if (text == "zh")
        *english = false;
    else {
        *error = CliTexts::Text(CliTexts::NotALanguage).arg("--lang", text);
        return false;
    }
    return true;
}

bool CliOptions::Rotation(CsvRotation* rotation, QString* error) const {
    if (Has("--rotate-midnight")) *rotation = CsvRotation::AtMidnight();
    int megabytes = 0;
    if (!Int("--rotate-mb", 1, CsvRotation::kMaxMegabytes, 0, &megabytes, error)) return false;
    if (megabytes > 0) *rotation = CsvRotation::EveryMegabytes(megabytes);
    return true;
}
