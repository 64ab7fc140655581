#include "workwindow/CommPanel.h"

#include <QAbstractItemView>
#include <QGridLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "base/SettingsFiles.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "widgets/CachedFrameStyle.h"
#include "core/line/NetAddress.h"
#include "core/line/PortDiscovery.h"
#include "core/line/SavedLine.h"
#include "core/line/SerialPort.h"

Lamp::Lamp(QWidget* parent) : QWidget(parent) {
    setFixedSize(22, 22);
}

void Lamp::SetColor(const QColor& color) {
    color_ = color;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::darkGray, 1));
    painter.setBrush(color_);
    painter.drawEllipse(rect().adjusted(1, 1, -1, -1));
}

QString& PortSettings() {
    static QString settings;
    return settings;
}

QString& ParityLetter() {
    static QString letter;
    return letter;
}

void FillAddressList(QComboBox* list) {
    list->clear();
    for (int address = 1; address <= 254; ++address) list->addItem(QString::number(address));
    list->setCurrentIndex(0);
    list->setEditText(QStringLiteral("1"));
}

QComboBox* MakeAddressList(int index, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    NameControl(list, QStringLiteral("Combo_Addr(%1)").arg(index));
    FillAddressList(list);
    return list;
}

// The saved line names its port by these entries.
static_assert(PortList::kComCount == kComPortCount);

PortList::PortList(QWidget* parent) : QComboBox(parent) {
    // A device's entry is long; the list keeps its width and the popup widens instead.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    // The devices come after COM20: show them without scrolling.
    setMaxVisibleItems(32);
}

void PortList::Fill() {
    const QString text = currentText();
    clear();
    for (int port = 1; port <= kComCount; ++port) addItem(QStringLiteral("COM%1").arg(port));
    Refresh();
    setCurrentIndex(-1);
    setEditText(text);
}

void PortList::Refresh() {
    const int index = currentIndex();
    const QString text = currentText();
    while (count() > kComCount) removeItem(count() - 1);
    for (int port = 1; port <= kComCount; ++port)
        setItemText(port - 1, QStringLiteral("COM%1").arg(port));
    for (const PortEntry& entry : PortDiscovery::Entries(PortDiscovery::Discover())) {
        // Windows names its ports COMn: such a port is described on its own COM entry, not
        // listed a second time after them.
        const int com = findText(entry.device);
        if (com >= 0 && com < kComCount)
            setItemText(com, entry.text);
        else
            addItem(entry.text, entry.device);
    }
    if (!networkLine_.isEmpty()) addItem(networkLine_, networkLine_);
    if (index >= 0 && index < kComCount) return;  // a COM entry is never moved
    // The same text: the same entry when it is still there, else the text as it was typed.
    const int again = findText(text);
    setCurrentIndex(again);
    if (again < 0) setEditText(text);
}

void PortList::RememberNetworkLine(const QString& name) {
    networkLine_ = name;
    Refresh();
}

void PortList::showPopup() {
    Refresh();
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    QComboBox::showPopup();
}

namespace {
template <typename List = QComboBox>
List* MakeList(const QString& name, bool editable, QWidget* parent) {
    auto* list = new List(parent);
    list->setEditable(editable);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setMinimumWidth(110);
    NameControl(list, name);
    return list;
}

QLineEdit* MakeTextBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setReadOnly(true);
    box->setMinimumWidth(360);
    NameControl(box, name);
    UseCachedFrame(box);
    // A long frame shows its start (address and function), not its tail.
    QObject::connect(box, &QLineEdit::textChanged, box, [box] {
        if (!box->hasFocus()) box->setCursorPosition(0);
    });
    return box;
}
}  // namespace

CommPanel::CommPanel(QWidget* parent) : QWidget(parent) {
    Frame1 = new QGroupBox(this);
    NameControl(Frame1, "Frame1");
    grid_ = new QGridLayout(Frame1);
    Label1 = Named(new QLabel(Frame1), "Label1");
    Label2 = Named(new QLabel(Frame1), "Label2");
    Label3 = Named(new QLabel(Frame1), "Label3");
    Label4 = Named(new QLabel(Frame1), "Label4");
    Label5 = Named(new QLabel(Frame1), "Label5");
    // Every list is editable: a technician may type a port path or a baud rate not listed.
    Combo1 = MakeList<PortList>("Combo1", true, Frame1);
    Combo2 = MakeList("Combo2", true, Frame1);
    Combo3 = MakeList("Combo3", true, Frame1);
    Combo4 = MakeList("Combo4", true, Frame1);
    Combo5 = MakeList("Combo5", true, Frame1);
    Command_Port = new QPushButton(Frame1);
    NameControl(Command_Port, "Command_Port");
    Shape1 = new Lamp(Frame1);
    NameControl(Shape1, "Shape1");
    QLabel* labels[] = {Label1, Label2, Label3, Label4, Label5};
    QComboBox* lists[] = {Combo1, Combo2, Combo3, Combo4, Combo5};
    for (int row = 0; row < 5; ++row) {
        grid_->addWidget(labels[row], row, 0);
        grid_->addWidget(lists[row], row, 1);
    }
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(Command_Port, 1);
    portRow->addWidget(Shape1);
    grid_->addLayout(portRow, 5, 0, 1, 2);

    // The label column keeps its width; the lists take what is left, right beside their labels.
    grid_->setColumnStretch(1, 1);

    Label13 = Named(new QLabel(this), "Label13");
    Label14 = Named(new QLabel(this), "Label14");
    Label19 = Named(new QLabel(this), "Label19");
    Text_Send = MakeTextBox("Text_Send", this);
    Text_Receive = MakeTextBox("Text_Receive", this);
    Text_Message = MakeTextBox("Text_Message", this);
    texts_ = new QGridLayout;
    QLabel* textLabels[] = {Label13, Label14, Label19};
    QLineEdit* boxes[] = {Text_Send, Text_Receive, Text_Message};
    for (int row = 0; row < 3; ++row) {
        texts_->addWidget(textLabels[row], row, 0);
        texts_->addWidget(boxes[row], row, 1);
    }
    Command_Traffic = Named(new QPushButton(this), "Command_Traffic");
    texts_->addWidget(Command_Traffic, 2, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Frame1);
    // Under the settings box, and taking no room while hidden: the windows' rows stay as they are.
    Label_Gateway = Named(new QLabel(this), "Label_Gateway");
    Label_Gateway->setWordWrap(true);
    Label_Gateway->hide();
    layout->addWidget(Label_Gateway);
    layout->addLayout(texts_);
}

void CommPanel::AddRow(QLabel* label, QWidget* field) {
    const int row = grid_->rowCount();
    grid_->addWidget(label, row, 0);
    grid_->addWidget(field, row, 1);
}

void CommPanel::AddBesideSendBox(QWidget* widget) {
    texts_->addWidget(widget, 0, 2);
}

void CommPanel::Load() {
    grid_->setColumnMinimumWidth(0, ComboLeftPixels());
    Frame1->setTitle(Tt(TextKey::FrameComm));
    Label1->setText(Tt(TextKey::LabelPort));
    Label2->setText(Tt(TextKey::LabelBaud));
    Label3->setText(Tt(TextKey::LabelParity));
    Label4->setText(Tt(TextKey::LabelDataBits));
    Label5->setText(Tt(TextKey::LabelStopBits));
    Label13->setText(Tt(TextKey::LabelSendData));
    Label14->setText(Tt(TextKey::LabelReceiveData));
    Label19->setText(Tt(TextKey::LabelCommStatus));
    Label_Gateway->setText(Tt(TextKey::LabelGatewaySettings));
    Command_Traffic->setText(Tt(TextKey::CaptionTraffic));
    Command_Port->setText(Tt(TextKey::CaptionPortOpen));
    Shape1->SetColor(Qt::black);

    const SavedLine saved =
        SavedLineText::Decode(SettingsFiles::ReadLines(SettingsFiles::SetRcPath(), 4));
    Combo1->Fill();
    Combo2->clear();
    if (Switches().FullSerialLists == 1)
        Combo2->addItems({"1200", "2400", "4800", "9600", "14400", "19200", "28800", "38400",
                          "57600", "115200"});
    else
        Combo2->addItems({"4800", "9600", "19200", "38400"});
    Combo3->clear();
    Combo3->addItem(Tt(TextKey::ParityNone));
    if (Switches().FullSerialLists == 1) Combo3->addItem(Tt(TextKey::ParityOdd));
    Combo3->addItem(Tt(TextKey::ParityEven));
    Combo4->clear();
    Combo5->clear();
    Combo4->setEnabled(false);
    Combo5->setEnabled(false);

    if (IsNetworkName(saved.port)) Combo1->RememberNetworkLine(saved.port);
    Combo1->setCurrentIndex(saved.comIndex);
    Combo1->setEditText(saved.port);
    Combo2->setEditText(saved.baud);
    Combo3->setEditText(saved.parity);
    Combo4->setEditText(QStringLiteral("8"));
    Combo5->setEditText(QStringLiteral("1"));
    ShowPortState(false);
}

void CommPanel::BuildSettings() {
    const QString parity = Combo3->currentText();
    if (parity == Tt(TextKey::ParityNone))
        ParityLetter() = "N";
    else if (parity == Tt(TextKey::ParityOdd))
        ParityLetter() = "O";
    else if (parity == Tt(TextKey::ParityEven))
        ParityLetter() = "E";
    PortSettings() = Combo2->currentText() + "," + ParityLetter() + "," + Combo4->currentText() +
                     "," + Combo5->currentText();
}

bool CommPanel::OpenFromLists() {
    BuildSettings();
    return SerialPort::OpenPort(PortName(), PortSettings());
}

bool CommPanel::ReopenFromLists() {
    BuildSettings();
    return SerialPort::ReopenPort(PortName(), PortSettings());
}

void CommPanel::ShowPortState(bool open) {
    Combo1->setEnabled(!open);
    Combo2->setEnabled(!open);
    Combo3->setEnabled(!open);
    Command_Port->setText(Tt(open ? TextKey::CaptionPortClose : TextKey::CaptionPortOpen));
    // The baud rate and parity lists then say nothing of the wire: the panel says so.
    Label_Gateway->setVisible(open && SerialPort::KeepsGatewaySettings());
    Shape1->SetColor(open ? QColor(0, 255, 0) : QColor(0, 0, 0));
    Shape1->repaint();
}

QString CommPanel::PortName() const {
    return PortDiscovery::DeviceOfText(Combo1->currentText());
}

bool CommPanel::PortOpen() const {
    return Command_Port->text() == Tt(TextKey::CaptionPortClose);
}

void CommPanel::SaveSettings() const {
    SettingsFiles::RewriteLines(
        SettingsFiles::SetRcPath(),
        SavedLineText::Encode(PortName(), Combo2->currentText(), Combo3->currentText()));
}
