#include "core/scan/BatchSession.h"

#include <algorithm>

#include "core/scan/ScanPlan.h"
#include "core/scan/ScanTexts.h"

namespace {
constexpr int kRegisterAddress = 100;
constexpr int kRegisterCode = 101;
constexpr int kReadBytes = 11;
constexpr int kEchoBytes = 8;
constexpr int kFindPauseMs = 250;     // between broadcast reads while the bench is empty
constexpr int kCheckPauseMs = 200;    // between read-backs of a module still taking its change
constexpr int kRemovalPauseMs = 150;  // between reads that tell whether it is still there
constexpr int kRemovalMisses = 2;     // silent reads in a row that mean it has gone

int WaitMs(const SerialCandidate& settings) {
    // Not pressed for time here: room for a busy machine and a slow adapter.
    return std::max(100, 2 * ScanTiming::DefaultReplyWaitMs(settings));
}

bool SameSettings(int code, const SerialCandidate& settings) {
    SerialCandidate coded;
    return ParameterCodes::CandidateOfCode(code, &coded) && coded == settings;
}
}  // namespace

BatchSession::BatchSession(BatchSetup setup)
    : setup_(std::move(setup)), next_(setup_.firstAddress) {
    if (setup_.findAt.empty()) setup_.findAt.push_back({9600, 'N'});
}

SerialCandidate BatchSession::TargetSettings() const {
    return setup_.giveSettings ? setup_.newSettings : foundAt_;
}

int BatchSession::TargetCode() const {
    return ParameterCodes::CodeOfEntry(ParameterCodes::EntryText(setup_.newSettings),
                                       setup_.fullLists);
}

BatchRequest BatchSession::Next() const {
    BatchRequest request;
    switch (phase_) {
        case Phase::Finding:
            request.kind = TrafficCause::BatchFind;
            request.settings = setup_.findAt[findIndex_];
            request.body = ReadRequest(0, 0x03, kRegisterAddress, 3);
            request.expected = {kReadBytes};
            break;
        case Phase::WritingAddress: {
            // To the address it reported; one outside 1..254 only a broadcast reaches.
            const int to = found_.address >= 1 && found_.address <= 254 ? found_.address : 0;
            request.kind = TrafficCause::BatchWrite;
            request.address = to;
            request.settings = foundAt_;
            request.body =
                WriteRegisterRequest(static_cast<uint8_t>(to), kRegisterAddress, target_);
            request.expected = {kEchoBytes};
            break;
        }
        case Phase::CheckingAddress:
        case Phase::CheckingSettings:
            request.kind = TrafficCause::BatchVerify;
            request.address = target_;
            request.settings = phase_ == Phase::CheckingAddress ? foundAt_ : TargetSettings();
            request.body = ReadRequest(static_cast<uint8_t>(target_), 0x03, kRegisterAddress, 3);
            request.expected = {kReadBytes};
            break;
        case Phase::WritingSettings:
            // At the settings it still talks at; it answers there before it moves.
            request.kind = TrafficCause::BatchWrite;
            request.address = target_;
            request.settings = foundAt_;
            request.body =
                WriteRegisterRequest(static_cast<uint8_t>(target_), kRegisterCode, TargetCode());
            request.expected = {kEchoBytes};
            break;
        case Phase::Removal: {
            const int at = lastAddress_ >= 1 && lastAddress_ <= 254 ? lastAddress_ : 0;
            request.kind = TrafficCause::BatchRemoval;
            request.address = at;
            request.settings = lastSettings_;
            request.body = ReadRequest(static_cast<uint8_t>(at), 0x03, kRegisterAddress, 3);
            request.expected = {kReadBytes};
            break;
        }
    }
    request.replyWaitMs = WaitMs(request.settings);
    return request;
}

std::optional<BatchRecord> BatchSession::Judge(const BatchReply& reply, int64_t nowMs) {
    const bool accepted = reply.verdict == ReplyVerdict::Accepted;
    delayMs_ = 0;
    switch (phase_) {
        case Phase::Finding:
            if (!accepted) {
                findIndex_ = (findIndex_ + 1) % static_cast<int>(setup_.findAt.size());
                delayMs_ = kFindPauseMs;
                return std::nullopt;
            }
            found_ = reply.registers;
            foundAt_ = setup_.findAt[findIndex_];
            lastAddress_ = found_.address;
            lastSettings_ = foundAt_;
            target_ = next_;
            outcome_ = Outcome::Working;
            if (target_ > 254) return End(false, ScanTexts::Text(ScanTexts::ReasonNoAddressLeft));
            phase_ = Phase::WritingAddress;
            return std::nullopt;
        case Phase::WritingAddress:
        case Phase::WritingSettings:
            if (reply.verdict == ReplyVerdict::Exception)
                return End(false, ScanTexts::Text(ScanTexts::ReasonRefused)
                                      .arg(reply.exceptionCode, 2, 16, QChar('0')));
            if (!accepted)
                return End(false, ScanTexts::Text(reply.verdict == ReplyVerdict::NoReply
                                                      ? ScanTexts::ReasonNoEcho
                                                      : ScanTexts::ReasonBadEcho));
            phase_ =
                phase_ == Phase::WritingAddress ? Phase::CheckingAddress : Phase::CheckingSettings;
            checkStart_ = nowMs;
            return std::nullopt;
        case Phase::CheckingAddress:
            if (!ReadBackMatches(reply, foundAt_))
                return CheckAgainOrFail(
                    reply, nowMs, ScanTexts::Text(ScanTexts::ReasonAddressNotTaken).arg(target_));
            lastAddress_ = target_;
            if (!setup_.giveSettings || setup_.newSettings == foundAt_) return End(true, {});
            phase_ = Phase::WritingSettings;
            return std::nullopt;
        case Phase::CheckingSettings:
            if (!ReadBackMatches(reply, TargetSettings()))
                return CheckAgainOrFail(reply, nowMs,
                                        ScanTexts::Text(ScanTexts::ReasonSettingsNotTaken)
                                            .arg(ParameterCodes::EntryText(TargetSettings())));
            lastSettings_ = TargetSettings();
            return End(true, {});
        case Phase::Removal:
            if (accepted && reply.registers.modelCode != found_.modelCode) {
                phase_ = Phase::Finding;  // another model where it was: it has been swapped
                delayMs_ = 0;
                return std::nullopt;
            }
            if (reply.verdict != ReplyVerdict::NoReply) {
                removalMisses_ = 0;
            } else if (++removalMisses_ >= kRemovalMisses) {
                phase_ = Phase::Finding;
            }
            delayMs_ = kRemovalPauseMs;
            return std::nullopt;
    }
    return std::nullopt;
}

bool BatchSession::ReadBackMatches(const BatchReply& reply, const SerialCandidate& settings) const {
    return reply.verdict == ReplyVerdict::Accepted && reply.registers.address == target_ &&
           reply.registers.modelCode == found_.modelCode &&
           SameSettings(reply.registers.parameterCode, settings);
}

std::optional<BatchRecord> BatchSession::CheckAgainOrFail(const BatchReply& reply, int64_t nowMs,
                                                          const QString& notTaken) {
    if (nowMs - checkStart_ < setup_.verifyForMs) {
        delayMs_ = kCheckPauseMs;
        return std::nullopt;
    }
    if (reply.verdict == ReplyVerdict::Accepted)
        return End(false, ScanTexts::Text(ScanTexts::ReasonReadBackDiffers)
                              .arg(ModuleParametersText::Lines(reply.registers)
                                       .replace(QStringLiteral("\r\n"), QStringLiteral(", "))));
    return End(false, notTaken);
}

std::optional<BatchRecord> BatchSession::End(bool verified, const QString& reason) {
    last_ = {};
    last_.model = ModuleParametersText::ModelOfCode(found_.modelCode);
    if (last_.model.isEmpty()) last_.model = QString::number(found_.modelCode);
    last_.oldAddress = found_.address;
    last_.oldSettings = foundAt_;
    last_.newAddress = target_;
    last_.newSettings = TargetSettings();
    last_.verified = verified;
    last_.reason = reason;
    outcome_ = verified ? Outcome::Verified : Outcome::Failed;
    if (verified) {
        ++verified_;
        next_ += setup_.step;
    }
    phase_ = Phase::Removal;
    removalMisses_ = 0;
    delayMs_ = kRemovalPauseMs;
    return last_;
}

void BatchSession::Retry() {
    if (phase_ != Phase::Removal || outcome_ != Outcome::Failed) return;
    phase_ = Phase::Finding;
    delayMs_ = 0;
}

BatchReply BatchReplyOf(const BatchRequest& request, ReplyVerdict verdict,
                        const QString& receivedText) {
    BatchReply reply;
    reply.verdict = verdict;
    if (verdict == ReplyVerdict::Accepted && request.expected.front() == 11)
        reply.registers = ModuleParametersText::Decode(receivedText);
    if (verdict == ReplyVerdict::Exception) {
        const Frame bytes = BytesOfText(receivedText);
        reply.exceptionCode = bytes.size() > 2 ? bytes[2] : 0;
    }
    return reply;
}
