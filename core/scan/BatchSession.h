#pragma once
// Batch commissioning on a bench where modules are connected one at a time: find the module with
// the broadcast parameter read, write the next address (and line settings), read it back at the
// new address and settings until it matches, then wait for it to be taken away. Only a matching
// read-back counts: a module that fails does not use up its address. No I/O here: the window
// sends what Next() asks and hands back what came.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/protocol/Modbus.h"
#include "core/modules/ModuleParameters.h"
#include "core/modules/ParameterCodes.h"
#include "core/traffic/TrafficRow.h"

struct BatchSetup {
    int firstAddress = 1;
    int step = 1;
    bool giveSettings = false;
    SerialCandidate newSettings;          // when giveSettings
    bool fullLists = false;               // which code stands for them (as the parameter window)
    std::vector<SerialCandidate> findAt;  // settings a new module is looked for at, in turn
    int verifyForMs = 3000;               // how long a read-back may take to match
};

struct BatchRequest {
    TrafficCause::Kind kind = TrafficCause::BatchFind;
    Frame body;  // without its CRC
    int address = 0;
    SerialCandidate settings;   // the line settings to send at
    std::vector<int> expected;  // reply lengths taken
    int replyWaitMs = 100;
};

struct BatchReply {
    ReplyVerdict verdict = ReplyVerdict::NoReply;
    ModuleParameters registers;  // of an accepted read
    int exceptionCode = 0;       // of an exception reply
};

// What a judged reply to `request` tells the session: the registers of an accepted parameter
// read, the code of an exception.
BatchReply BatchReplyOf(const BatchRequest& request, ReplyVerdict verdict,
                        const QString& receivedText);

// One module's attempt, as logged.
struct BatchRecord {
    QString model;
    int oldAddress = 0;
    SerialCandidate oldSettings;  // where it was found
    int newAddress = 0;
    SerialCandidate newSettings;
    bool verified = false;
    QString reason;  // why not, in the current language
};

class BatchSession {
  public:
    enum class Phase {
        Finding,
        WritingAddress,
        CheckingAddress,
        WritingSettings,
        CheckingSettings,
        Removal
    };
    enum class Outcome { None, Working, Verified, Failed };

    explicit BatchSession(BatchSetup setup);

    // What to send now.
    BatchRequest Next() const;
    // The reply to Next()'s request, judged at `nowMs` (any steady clock). Returns the record of
    // a module whose attempt ended with it (verified or failed), else nothing.
    std::optional<BatchRecord> Judge(const BatchReply& reply, int64_t nowMs);
    // How long to wait before the next request.
    int DelayMs() const { return delayMs_; }
    // Tries the module on the bench again after a failure.
    void Retry();

    Phase CurrentPhase() const { return phase_; }
    Outcome LastOutcome() const { return outcome_; }
    // The address the next module will be given, and how many have been verified.
    int NextAddress() const { return next_; }
    int Verified() const { return verified_; }
    // The module being worked on (or last worked on) and the address it is being given.
    const ModuleParameters& Found() const { return found_; }
    int TargetAddress() const { return target_; }
    const BatchRecord& LastRecord() const { return last_; }

  private:
    SerialCandidate TargetSettings() const;
    int TargetCode() const;
    bool ReadBackMatches(const BatchReply& reply, const SerialCandidate& settings) const;
    std::optional<BatchRecord> End(bool verified, const QString& reason);
    // A check that did not match: again a little later, or the end of the attempt.
    std::optional<BatchRecord> CheckAgainOrFail(const BatchReply& reply, int64_t nowMs,
                                                const QString& notTaken);

    BatchSetup setup_;
    Phase phase_ = Phase::Finding;
    Outcome outcome_ = Outcome::None;
    int next_;
    int verified_ = 0;
    int findIndex_ = 0;
    ModuleParameters found_;
    SerialCandidate foundAt_;
    int target_ = 0;
    int64_t checkStart_ = 0;
    int removalMisses_ = 0;
    int lastAddress_ = 0;  // where the module last answered
    SerialCandidate lastSettings_;
    int delayMs_ = 0;
    BatchRecord last_;
};
