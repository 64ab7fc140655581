#pragma once
// One request and its reply over a line: the request framed with its CRC and written, the reply
// collected and judged, each noted in a traffic log with what caused it and when its bytes
// moved. No widgets: the work windows and headless programs exchange through it.
#include <QString>
#include <vector>

#include "core/protocol/Modbus.h"
#include "core/traffic/TrafficLog.h"

class Line;

// What became of a request asked with Exchange::Ask.
enum class Asked { Answered, NoReply, WrongReply, LineFailed };

class Exchange {
  public:
    // On the process's port, noted in the program's traffic log, as the work windows exchange.
    Exchange();
    Exchange(Line& line, TrafficLog& log);
    // The line it talks on.
    Line& OnLine() const { return *line_; }

    // The last request and reply as the user sees them ("01 03 00 00 00 04 44 09 ").
    QString SentText;
    QString ReceivedText;

    // What makes the next frame go out (poll loop, write, search step...); used once.
    void SetCause(const TrafficCause& cause) { cause_ = cause; }
    void SetCause(TrafficCause::Kind kind);

    // Frames `body` with its CRC into the line's buffer and shows it in SentText; gives its size.
    int Prepare(const Frame& body);
    // Prepare, then WriteBuffer.
    void Send(const Frame& body) { WriteBuffer(Prepare(body)); }
    // Writes the line's buffer bytes 0..count-1 (a request already in place, a typed frame).
    void WriteBuffer(int count);
    // Reads the reply into ReceivedText and drains the line. The line's read waits for a first
    // byte; with `arrivedOnly` only what has already arrived is taken.
    // A known `frameBytes` ends the read at the frame's end (Line::ReadHex).
    void Collect(bool arrivedOnly = false, int frameBytes = 0);
    // Adds what has arrived since to the collected reply (a reply waited for a while longer).
    void CollectMore();
    // Judges the collected reply against the lengths a handler takes, and notes it.
    ReplyVerdict Judge(const std::vector<int>& expectedBytes);
    // The same where only part of what came is this request's reply (the rest a slower module's
    // late answer): `own` is judged; the log shows everything that came.
    ReplyVerdict JudgeAs(const QString& own, const std::vector<int>& expectedBytes);
    // Sends `body` with `cause`, waits up to `waitMs` for its reply to begin, collects what has
    // come and judges it against `expectedBytes`: what a headless program asks of a module. The
    // judgement, where one was made, goes to `verdict`.
    Asked Ask(TrafficCause::Kind cause, const Frame& body, const std::vector<int>& expectedBytes,
              int waitMs, ReplyVerdict* verdict = nullptr);
    // Notes the collected reply as shown unjudged (the reply to a typed frame).
    void NoteUnjudged();
    // The awaited reply will not be collected: notes why, with whatever has arrived of it.
    void Abandon(TrafficAbandon why);

  private:
    // The reply as it came on the network, where that differs from its RTU form.
    TrafficWire ReplyWire() const;

    Line* line_;
    TrafficLog* log_;
    TrafficCause cause_;
    TrafficTime collectedAt_;
    ReplyTiming timing_;
    int wrongTransactionsBefore_ = 0;  // the line's count when the request went
};
