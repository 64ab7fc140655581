#pragma once
// One frame of the traffic log: a request the program wrote, or what it collected as the reply.
#include <QString>
#include <cstdint>

#include "core/protocol/Modbus.h"

// How a frame went on the network where the line is not plain RTU (Modbus TCP): the bytes, and
// for a reply whether the gateway answered under another request's transaction identifier.
struct TrafficWire {
    Frame bytes;
    bool wrongTransaction = false;
};

// What made the program send a frame.
struct TrafficCause {
    enum Kind {
        Unknown,
        PollA,
        PollB,
        Write,
        Adjust,
        Calibration,
        Search,
        TypedFrame,
        Listened,      // heard on a bus another master drives
        Scan,          // bus scan: the address in `step`, at `settings`
        BatchFind,     // batch commissioning: the broadcast read that finds the module on the bench
        BatchWrite,    // ... the new address (`step`) or line settings written
        BatchVerify,   // ... the read-back at the new address (`step`) and settings
        BatchRemoval,  // ... the read that tells whether the module is still there
    };
    Kind kind = Unknown;
    int step = 0;      // search: step n ...
    int steps = 0;     // ... of m
    QString settings;  // search: the candidate settings ("9600,N,8,1")

    static TrafficCause SearchStep(int step, int steps, const QString& settings) {
        TrafficCause cause;
        cause.kind = Search;
        cause.step = step;
        cause.steps = steps;
        cause.settings = settings;
        return cause;
    }
    // Scan and batch steps: an address (0 when none is meant) at a settings string.
    static TrafficCause At(Kind kind, int address, const QString& settings) {
        TrafficCause cause;
        cause.kind = kind;
        cause.step = address;
        cause.settings = settings;
        return cause;
    }
};

// Why a request's reply was never collected: the program itself went another way.
enum class TrafficAbandon {
    LoopSwitched,  // the other poll loop of the window was started
    Command,       // a one-shot command paused the loop
    WindowClosed,
    PortClosed,
    Reopened,     // the port was opened again (a search step, a change of settings)
    NextRequest,  // another request went out first
};

// How a row was judged. Requests are not; a typed frame's reply is shown unjudged; a request
// whose reply was never collected ends with an abandoned row.
enum class TrafficVerdict {
    Request,
    NotJudged,
    Accepted,
    NoReply,
    TooShort,
    TooLong,
    WrongAddress,
    WrongFunction,
    Exception,
    BadCrc,
    WrongTransaction,  // Modbus TCP: the gateway's reply carried another request's identifier
    Abandoned,
    Late,        // listened: a well-formed reply that came after the limit the listener was given
    Noise,       // listened: bytes that make no frame of any exchange
    Unanswered,  // listened: a broadcast nothing answered, which is no fault (most devices never
                 // do)
    Count
};
TrafficVerdict VerdictOf(ReplyVerdict verdict);

struct TrafficRow {
    enum Direction { Sent, Received };
    enum Crc { CrcNone, CrcGood, CrcBad };

    uint64_t exchange = 0;  // number of the request the row belongs to (its reply shares it)
    int msOfDay = 0;        // time of day the request was written or the reply collected
    Direction direction = Sent;
    Frame bytes;
    Frame wire;  // the frame as it went on the network, where that differs (Modbus TCP)
    QString meaning;
    int responseMs = -1;  // replies: from the request's last byte to the reply's first (or to
                          // the end of the wait, when nothing came)
    Crc crc = CrcNone;
    TrafficVerdict verdict = TrafficVerdict::Request;
    QString expected;    // replies: the lengths the handler takes ("13", "8/17")
    int staleBytes = 0;  // requests: bytes thrown away unasked just before it was written
    int unwritten = 0;   // requests: bytes the line did not take
    QString cause;
    TrafficAbandon abandon = TrafficAbandon::NextRequest;  // abandoned rows: why

    bool Rejected() const {
        return verdict != TrafficVerdict::Request && verdict != TrafficVerdict::NotJudged &&
               verdict != TrafficVerdict::Accepted && verdict != TrafficVerdict::Abandoned &&
               verdict != TrafficVerdict::Unanswered;
    }
    // A row worth a look: a refused reply, or a request preceded by stale bytes or cut short.
    bool Fault() const { return Rejected() || staleBytes > 0 || unwritten > 0; }
};
