#include "sim/Faults.h"

#include <array>
#include <sstream>

namespace {
const std::array<std::pair<FaultKind, const char*>, 7> kNames = {{
    {FaultKind::Silence, "silence"},
    {FaultKind::Late, "late"},
    {FaultKind::Short, "short"},
    {FaultKind::Lead, "lead"},
    {FaultKind::Garbage, "garbage"},
    {FaultKind::BadCrc, "badcrc"},
    {FaultKind::Exception, "exception"},
}};

bool WholeNumber(const std::string& text, long low, long high, long* value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    *value = std::stol(text);
    return *value >= low && *value <= high;
}
}  // namespace

std::string FaultName(FaultKind kind) {
    for (const auto& [k, name] : kNames)
        if (k == kind) return name;
    return "?";
}

std::optional<FaultRule> ParseFaultRule(const std::string& text, std::string* error) {
    std::stringstream parts(text);
    std::string part;
    std::getline(parts, part, ':');
    FaultRule rule;
    bool known = false;
    for (const auto& [kind, name] : kNames)
        if (part == name) rule.kind = kind, known = true;
    if (!known) {
        *error =
            "unknown fault '" + part + "' (silence, late, short, lead, garbage, badcrc, exception)";
        return std::nullopt;
    }
    while (std::getline(parts, part, ':')) {
        const auto equals = part.find('=');
        const std::string key = part.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : part.substr(equals + 1);
        long number = 0;
        if (key == "every" && WholeNumber(value, 1, 1000000, &number)) {
            rule.every = static_cast<int>(number);
        } else if (key == "prob") {
            char* end = nullptr;
            rule.probability = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || rule.probability < 0 || rule.probability > 1) {
                *error = "fault probability '" + value + "' is not a number from 0 to 1";
                return std::nullopt;
            }
        } else if (key == "ms" && rule.kind == FaultKind::Late &&
                   WholeNumber(value, 0, 60000, &number)) {
            rule.lateMs = static_cast<int>(number);
        } else if (key == "code" && rule.kind == FaultKind::Exception &&
                   WholeNumber(value, 1, 255, &number)) {
            rule.exceptionCode = static_cast<uint8_t>(number);
        } else {
            *error = "bad fault option '" + part + "' in '" + text + "'";
            return std::nullopt;
        }
    }
    return rule;
}

FaultInjector::FaultInjector(std::vector<FaultRule> rules, uint32_t seed)
    : rules_(std::move(rules)), random_(seed) {}

FaultedReply FaultInjector::Apply(const Frame& reply) {
    ++count_;
    for (const FaultRule& rule : rules_) {
        const bool due = rule.probability >= 0 ? std::uniform_real_distribution<double>(
                                                     0, 1)(random_) < rule.probability
                                               : count_ % rule.every == 0;
        if (!due) continue;
        FaultedReply out{reply, false, 0, FaultName(rule.kind)};
        switch (rule.kind) {
            case FaultKind::Silence:
                out.bytes.clear();
                out.silent = true;
                break;
            case FaultKind::Late:
                out.extraDelayMs = rule.lateMs;
                break;
            case FaultKind::Short:
                if (!out.bytes.empty()) out.bytes.pop_back();
                break;
            case FaultKind::Lead:
                out.bytes.insert(out.bytes.begin(), 0x00);
                break;
            case FaultKind::Garbage:
                for (uint8_t& byte : out.bytes)
                    byte =
                        static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 255)(random_));
                break;
            case FaultKind::BadCrc:
                if (!out.bytes.empty()) out.bytes.back() ^= 0x01;
                break;
            case FaultKind::Exception:
                if (reply.size() >= 2)
                    out.bytes = AppendCrc16(
                        Frame{reply[0], static_cast<uint8_t>(reply[1] | 0x80), rule.exceptionCode});
                break;
        }
        return out;
    }
    return {reply, false, 0, ""};
}
