#pragma once
// What every work window shares: the communication panel with its load and close steps, the
// re-opening of the port, the sent and received texts, sending a request and judging its reply,
// and the pause and resume of poll loops around one-shot commands.
#include <QComboBox>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "core/exchange/Exchange.h"
#include "core/protocol/Modbus.h"
#include "core/traffic/TrafficLog.h"
#include "workwindow/VbTimer.h"

class PollLoop;

// How a time-out handler judges and answers the reply it collects.
struct ReplyRule {
    std::vector<int> expectedBytes;  // accepted lengths (one for almost every handler)
    bool reopensOnReject = true;     // a rejected reply re-opens the port
    std::function<void()> decode;    // runs on an accepted reply, may be empty
    bool resumesLoop = true;         // re-enables the poll timer PollFlag names
    // Runs on a rejected reply (a gap in a trend); may be empty.
    std::function<void()> rejected = {};
};

// Sounds the 4000 Hz beep in the beeping service modes; silent otherwise.
void BeepIfEnabled();

class WorkWindow : public QWidget {
    Q_OBJECT
  public:
    explicit WorkWindow(QWidget* parent = nullptr);

    // Runs the load step and shows the window.
    void OpenWindow();

    // Per-window exchange state: the texts of the last request and reply.
    QString& SentText;
    QString& ReceivedText;
    int PollFlag = 0;

    CommPanel* Panel() const { return panel_; }
    QComboBox* AddressList(int index) const;
    const std::vector<PollLoop*>& Loops() const { return loops_; }

    // Handlers shared by all windows.
    void Form_Load();
    void Command_Port_Click();
    bool Form_QueryUnload();
    virtual void ReopenPort();

    // Sends a request body with its CRC: PortBuffer, SentText, Text_Send, WritePort.
    void SendFrame(const Frame& body);
    // Writes PortBuffer bytes 0..count-1 (a request already in place, such as a typed frame).
    void WriteBuffer(int count);
    // Reads whatever arrived into ReceivedText and drains the port; the reply is left unjudged.
    void CollectReply();
    // A device that has gone ends with the panel closed, whatever the window was doing.
    void CloseIfVanished();
    // The time-out handler of every window: collect, judge, show, decode, disable `timer`, resume.
    // Returns true when the reply was accepted.
    bool FinishExchange(VbTimer* timer, const ReplyRule& rule);
    // The same for a caller that has waited for the reply itself (the bus scan): when nothing has
    // arrived, no reply is judged at once, without the read's own wait for a first byte.
    bool FinishWaitedExchange(VbTimer* timer, const ReplyRule& rule);
    // The two halves of that, for a caller that sorts what came before it is judged (the scan's
    // late answers): collect what has arrived (with `more`, add it to what was collected)...
    void CollectWaitedReply(bool more);
    // ...and judge `own`, the part that answers this request; the log shows all that came.
    bool JudgeCollectedReply(const ReplyRule& rule, const QString& own);

    // The address of list `index` as a byte, or the message that refuses it: MsgNoAddress for an
    // empty text, MsgSettingError for a text that is not a whole number 0..255. Shows nothing,
    // so a caller can stop its timers before the modal box.
    struct AddressCheck {
        std::optional<uint8_t> address;
        TextKey refusal = TextKey::MsgNoAddress;
    };
    AddressCheck CheckAddress(int index) const;

    // One-shot command start: pauses a running loop, clears the texts, checks the port and the
    // address. Gives the address when the command may be sent.
    std::optional<uint8_t> BeginCommand(int addressIndex);
    // Suspends the running loop (timers off, wait, reopen); PollFlag keeps its value.
    void PauseLoops();
    // Re-enables the poll timer of the loop PollFlag names.
    void ResumeLoop();
    // Stops every loop whose button shows Stop; `except` is left alone.
    void StopLoops(PollLoop* except = nullptr, bool waitAfterEach = true);
    // Clears Text_Message, Text_Send, Text_Receive, SentText and ReceivedText.
    void ClearTexts();
    // The same, but Text_Send keeps its frame for the request about to replace it; whoever then
    // sends nothing clears it with ClearBoxes.
    void ClearTextsBeforeSending();
    // Empties the three boxes.
    void ClearBoxes();

    // What makes the next frame go out, for the traffic log (poll loop, write, search step...).
    // A command begun with BeginCommand is a write unless its panel says otherwise.
    void SetCause(const TrafficCause& cause) { exchange_.SetCause(cause); }
    void SetCause(TrafficCause::Kind kind) { exchange_.SetCause(kind); }
    // The reply in transit will not be collected (a loop switched, a command, the port closed):
    // the traffic log says why, so every request has an outcome.
    void AbandonReply(TrafficAbandon why) { exchange_.Abandon(why); }
    // Shows the traffic monitor (Command_Traffic, Ctrl+M).
    void ShowTraffic();

  signals:
    void Closed();

  protected:
    // The window's own load steps, after the panel's.
    virtual void LoadWindow() {}
    // Interval of each timer from tm.rc lines (index 0 = line 1); windows with fixed intervals
    // ignore it.
    virtual void ApplyIntervals(const QList<int>& tmLines) { (void)tmLines; }
    virtual bool ReadsTmRc() const { return true; }
    void closeEvent(QCloseEvent* event) override;

    // Creates an address list and remembers it under its index.
    QComboBox* CreateAddressList(int index, QWidget* parent);
    // Registers a poll loop owned by this window.
    void AddLoop(PollLoop* loop) { loops_.push_back(loop); }
    // Stops the window's polling when the port closes; the parameter window keeps its search.
    virtual void StopPolling();
    void StopAllTimers();
    // The panel's closing steps: loops stopped, lists enabled, port closed, lamp black, wait.
    void ClosePanel();

  private:
    // The exchange's collection, then the panel closed when the device went meanwhile.
    void ReadReply();
    // The loop PollFlag names would stop at its next tick with a message of its own.
    bool PausedLoopWouldBeRefused() const;

    Exchange exchange_;
    CommPanel* panel_;
    std::map<int, QComboBox*> addressLists_;
    std::vector<PollLoop*> loops_;
    bool replyWaited_ = false;  // FinishWaitedExchange: read only what has arrived
};
