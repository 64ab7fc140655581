#pragma once
// The communication panel every work window carries: port and line-setting lists, the port
// button with its lamp, and the boxes showing the last request, reply and status.
#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "widgets/Controls.h"

// The round status lamp: black while the port is closed, green while open.
class Lamp : public QWidget {
    Q_OBJECT
  public:
    explicit Lamp(QWidget* parent);
    void SetColor(const QColor& color);
    QColor Color() const { return color_; }
    QSize sizeHint() const override { return {22, 22}; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QColor color_ = Qt::black;
};

// The port list: COM1..COM20, then the serial devices present, looked for again each time the
// list opens, so an adapter plugged in after the window opened is there.
class PortList : public QComboBox {
    Q_OBJECT
  public:
    static constexpr int kComCount = 20;
    explicit PortList(QWidget* parent);
    // COM1..COM20 and the devices present; the text shown stays as it was.
    void Fill();
    // The devices present anew, after the COM entries, then the network line remembered; the
    // text shown stays as it was.
    void Refresh();
    // A network line used before ("rfc2217://HOST:PORT"), offered after the devices.
    void RememberNetworkLine(const QString& name);
    void showPopup() override;

  private:
    QString networkLine_;
};

// The settings string last built ("9600,N,8,1") and its parity letter, shared by all windows.
QString& PortSettings();
QString& ParityLetter();

// An editable address list "Combo_Addr(index)" holding 1..254, text "1".
QComboBox* MakeAddressList(int index, QWidget* parent);
void FillAddressList(QComboBox* list);

class CommPanel : public QWidget {
    Q_OBJECT
  public:
    explicit CommPanel(QWidget* parent);

    // Captions, set.rc texts and list contents, as a window's load step sets them.
    void Load();
    // ParityLetter from the parity list (kept when no word matches), then PortSettings.
    void BuildSettings();
    // Builds the settings and opens the port named in Combo1: the device the user chooses. True
    // when open.
    bool OpenFromLists();
    // The same for every later open (re-opens, search steps): only the device chosen by the
    // last OpenFromLists, never another that the name now leads to.
    bool ReopenFromLists();
    // The panel's look for an open or closed port: lists, caption, lamp.
    void ShowPortState(bool open);
    // The device Combo1 names: its text up to the description, as typed when there is none.
    QString PortName() const;
    // The port is open when its button says so.
    bool PortOpen() const;
    // set.rc: the n of a COMn port (0 otherwise), baud text, parity text, and on a fourth line
    // the device path of a port that is not COMn, which older readers skip.
    void SaveSettings() const;
    // Adds a label and list as one more row of the settings frame (the address list).
    void AddRow(QLabel* label, QWidget* field);
    // Puts a control at the end of the Text_Send row (the typed-frame button).
    void AddBesideSendBox(QWidget* widget);

    QGroupBox* Frame1;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5;
    PortList* Combo1;
    QComboBox *Combo2, *Combo3, *Combo4, *Combo5;
    QPushButton* Command_Port;
    QLabel* Label_Gateway;  // shown while the open line keeps the gateway's own settings
    Lamp* Shape1;
    QLabel *Label13, *Label14, *Label19;
    QLineEdit *Text_Send, *Text_Receive, *Text_Message;
    QPushButton* Command_Traffic;  // opens the traffic monitor, beside the status box

  private:
    class QGridLayout* grid_;
    class QGridLayout* texts_;
};
