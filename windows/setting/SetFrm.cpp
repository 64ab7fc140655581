#include "windows/setting/SetFrm.h"

#include <QGridLayout>
#include <algorithm>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "base/Platform.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "core/modules/ModuleParameters.h"
#include "core/modules/ParameterCodes.h"
#include "core/scan/ParameterSearch.h"

namespace {
constexpr int kRegisterAddress = 100;
constexpr int kRegisterParameterCode = 101;
constexpr int kEchoBytes = 8;
constexpr uint8_t kBroadcast = 0;

bool FullLists() {
    return Switches().FullSerialLists == 1;
}

ParameterSearch Search() {
    return ParameterSearch(FullLists());
}

QPushButton* MakeButton(const QString& name, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setMinimumWidth(90);
    NameControl(button, name);
    return button;
}

QHBoxLayout* ButtonRow(QPushButton* action, QPushButton* explain) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(action);
    row->addWidget(explain);
    return row;
}
}  // namespace

SetFrm::SetFrm(QWidget* parent) : WorkWindow(parent) {
    TM_Acquisition_A = new VbTimer("TM_Acquisition_A", this);
    TM_Overtime_A = new VbTimer("TM_Overtime_A", this);
    TM_Overtime_B = new VbTimer("TM_Overtime_B", this);
    // Fixed: the search paces itself, whatever tm.rc says for the other windows.
    TM_Acquisition_A->SetInterval(150);
    TM_Overtime_A->SetInterval(100);
    TM_Overtime_B->SetInterval(300);
    connect(TM_Acquisition_A, &QTimer::timeout, this, &SetFrm::TM_Acquisition_A_Timer);
    connect(TM_Overtime_A, &QTimer::timeout, this, &SetFrm::TM_Overtime_A_Timer);
    connect(TM_Overtime_B, &QTimer::timeout, this, &SetFrm::TM_Overtime_B_Timer);

    auto* sections = new QVBoxLayout;
    sections->addWidget(BuildReadFrame());
    sections->addWidget(BuildAddressFrame());
    sections->addWidget(BuildParameterFrame());
    sections->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Panel(), 0, Qt::AlignTop);
    layout->addLayout(sections, 1);
}

QGroupBox* SetFrm::BuildReadFrame() {
    Frame7 = new QGroupBox(this);
    NameControl(Frame7, "Frame7");
    Text_Parameter = new QPlainTextEdit(Frame7);
    NameControl(Text_Parameter, "Text_Parameter");
    Text_Parameter->setReadOnly(true);
    Text_Parameter->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font = Text_Parameter->font();
    font.setPointSizeF(font.pointSizeF() * 1.25);
    Text_Parameter->setFont(font);
    Text_Parameter->setFixedHeight(QFontMetrics(font).lineSpacing() * 4 + 12);
    Text_Parameter->setMinimumWidth(300);
    Command_OK1 = MakeButton("Command_OK1", Frame7);
    Explain[0] = MakeButton("Explain(0)", Frame7);
    connect(Command_OK1, &QPushButton::clicked, this, &SetFrm::Command_OK1_Click);

    auto* layout = new QVBoxLayout(Frame7);
    layout->addWidget(Text_Parameter);
    layout->addLayout(ButtonRow(Command_OK1, Explain[0]));
    return Frame7;
}

QGroupBox* SetFrm::BuildAddressFrame() {
    Frame2 = new QGroupBox(this);
    NameControl(Frame2, "Frame2");
    Label6 = Named(new QLabel(Frame2), "Label6");
    Command_OK2 = MakeButton("Command_OK2", Frame2);
    Explain[1] = MakeButton("Explain(1)", Frame2);
    connect(Command_OK2, &QPushButton::clicked, this, &SetFrm::Command_OK2_Click);

    auto* layout = new QGridLayout(Frame2);
    layout->addWidget(Label6, 0, 0);
    layout->addWidget(CreateAddressList(0, Frame2), 0, 1);
    layout->addWidget(Command_OK2, 0, 2);
    layout->addWidget(Explain[1], 0, 3);
    layout->setColumnStretch(1, 1);
    return Frame2;
}

QGroupBox* SetFrm::BuildParameterFrame() {
    Frame3 = new QGroupBox(this);
    NameControl(Frame3, "Frame3");
    Label7 = Named(new QLabel(Frame3), "Label7");
    Label8 = Named(new QLabel(Frame3), "Label8");
    Combo_Baud = new QComboBox(Frame3);
    Combo_Baud->setEditable(true);
    Combo_Baud->setInsertPolicy(QComboBox::NoInsert);
    NameControl(Combo_Baud, "Combo_Baud");
    Command_OK3 = MakeButton("Command_OK3", Frame3);
    Explain[2] = MakeButton("Explain(2)", Frame3);
    connect(Command_OK3, &QPushButton::clicked, this, &SetFrm::Command_OK3_Click);
    for (int index = 0; index < 3; ++index)
        connect(Explain[index], &QPushButton::clicked, this,
                [this, index] { Explain_Click(index); });

    auto* layout = new QGridLayout(Frame3);
    layout->addWidget(Label7, 0, 0);
    layout->addWidget(CreateAddressList(1, Frame3), 0, 1);
    layout->addWidget(Label8, 1, 0);
    layout->addWidget(Combo_Baud, 1, 1);
    layout->addWidget(Command_OK3, 1, 2);
    layout->addWidget(Explain[2], 1, 3);
    layout->setColumnStretch(1, 1);
    return Frame3;
}

void SetFrm::LoadWindow() {
    setWindowTitle(Tt(TextKey::TitleParameterSetting));
    Frame7->setTitle(Tt(TextKey::FrameParamRead));
    Frame2->setTitle(Tt(TextKey::FrameAddressChange));
    Frame3->setTitle(Tt(TextKey::FrameParamChange));
    Label6->setText(Tt(TextKey::LabelNewAddress));
    Label7->setText(Tt(TextKey::LabelAddress));
    Label8->setText(Tt(TextKey::LabelParameters));
    Command_OK1->setText(Tt(TextKey::CaptionRead));
    Command_OK2->setText(Tt(TextKey::CaptionWrite));
    Command_OK3->setText(Tt(TextKey::CaptionWrite));
    for (QPushButton* button : Explain) button->setText(Tt(TextKey::CaptionExplain));
    Text_Parameter->clear();
    Combo_Baud->clear();
    Combo_Baud->addItems(ParameterCodes::Entries(FullLists()));
    Combo_Baud->setEditText(ParameterCodes::EntryText({9600, 'N'}));
    // One label column width for both change sections, so their lists line up.
    int labelWidth = 0;
    for (QLabel* label : {Label6, Label7, Label8})
        labelWidth = std::max(labelWidth, label->sizeHint().width());
    for (QLabel* label : {Label6, Label7, Label8}) label->setMinimumWidth(labelWidth);
}

bool SetFrm::Searching() const {
    return Command_OK1->text() == Tt(TextKey::CaptionStop);
}

void SetFrm::EndSearch() {
    TM_Acquisition_A->SetEnabled(false);
    Command_OK1->setText(Tt(TextKey::CaptionRead));
}

void SetFrm::Command_OK1_Click() {
    if (!Panel()->PortOpen()) return ShowMessage(Tt(TextKey::MsgOpenPortFirst));
    if (Searching()) return EndSearch();  // SearchStep kept: Read resumes with the next candidate
    if (SerialPort::KeepsGatewaySettings()) return ShowMessage(Tt(TextKey::MsgSearchNeedsRfc2217));
    Command_OK1->setText(Tt(TextKey::CaptionStop));
    TM_Acquisition_A->SetEnabled(true);
}

void SetFrm::TM_Acquisition_A_Timer() {
    // No further step while this one may hold a message box open.
    TM_Acquisition_A->SetEnabled(false);
    if (OpenCandidate(SearchStep)) {
        ++SearchStep;
        SetCause(TrafficCause::SearchStep(SearchStep, Search().Count(), PortSettings()));
        SendParameterRead();
    }
    TM_Acquisition_A->SetEnabled(Searching());
}

bool SetFrm::OpenCandidate(int step) {
    const SerialCandidate candidate = Search().Candidate(step);
    Panel()->Combo2->setEditText(QString::number(candidate.baud));
    Panel()->Combo3->setEditText(ParameterCodes::ParityWord(candidate.parity));
    // The work window's re-open: a port that will not open is said once and closes the panel,
    // which ends the search.
    ReopenPort();
    return SerialPort::IsOpen();
}

void SetFrm::SendParameterRead() {
    Text_Parameter->clear();
    ClearTexts();
    SendFrame(ParameterSearch::Request());
    TM_Overtime_A->SetEnabled(true);
}

void SetFrm::TM_Overtime_A_Timer() {
    const ReplyRule rule{
        {ParameterSearch::kReplyBytes}, false, [this] { ShowModuleParameters(); }, false};
    if (FinishExchange(TM_Overtime_A, rule)) {
        EndSearch();
        SearchStep = 0;
        return;
    }
    Text_Parameter->setPlainText(Tt(TextKey::MsgSearching));
    // At or past the count: a search whose last reply was never judged (the port was closed
    // first) ends at its next step instead of wrapping round for ever.
    if (SearchStep >= Search().Count()) {
        Text_Parameter->setPlainText(Tt(TextKey::MsgReadFailed));
        EndSearch();
        SearchStep = 0;
    }
}

void SetFrm::ShowModuleParameters() {
    Text_Parameter->setPlainText(
        ModuleParametersText::Lines(ModuleParametersText::Decode(ReceivedText)));
}

void SetFrm::SendChange(int addressIndex,
                        const std::function<std::optional<Frame>(uint8_t)>& request) {
    const auto address = BeginCommand(addressIndex);
    if (!address) return;
    const std::optional<Frame> frame = request(*address);
    if (!frame) {
        ShowMessage(Tt(TextKey::MsgSettingError));
        ResumeLoop();  // as for the other refusals: nothing was sent
        return;
    }
    // A running search would close the port under the change's reply: the change ends it.
    EndSearch();
    TM_Overtime_A->SetEnabled(false);
    ReopenPort();
    if (!SerialPort::IsOpen()) return;  // the serial layer has said why
    SendFrame(*frame);
    TM_Overtime_B->SetEnabled(true);
}

void SetFrm::Command_OK2_Click() {
    // Broadcast: the one module on the line takes the new address whatever its current one. It
    // must stay reachable on its own: 0 is the broadcast address, and a module takes 1 to 254.
    SendChange(0, [](uint8_t newAddress) -> std::optional<Frame> {
        if (newAddress == kBroadcast || newAddress == 255) return std::nullopt;
        return WriteRegisterRequest(kBroadcast, kRegisterAddress, newAddress);
    });
}

void SetFrm::Command_OK3_Click() {
    // The module would move to settings the gateway cannot follow, out of reach.
    if (Panel()->PortOpen() && SerialPort::KeepsGatewaySettings())
        return ShowMessage(Tt(TextKey::MsgChangeNeedsRfc2217));
    const int code = ParameterCodes::CodeOfEntry(Combo_Baud->currentText(), FullLists());
    // A text that names no entry has no code; writing 0 would leave the module unreachable.
    SendChange(1, [code](uint8_t address) -> std::optional<Frame> {
        if (code == 0) return std::nullopt;
        return WriteRegisterRequest(address, kRegisterParameterCode, code);
    });
}

void SetFrm::TM_Overtime_B_Timer() {
    FinishExchange(TM_Overtime_B, {{kEchoBytes}, false, {}, false});
}

void SetFrm::Explain_Click(int index) {
    static constexpr TextKey kTexts[] = {TextKey::ExplainParamRead, TextKey::ExplainAddressChange,
                                         TextKey::ExplainParamChange};
    if (index >= 0 && index < 3) ShowMessage(Tt(kTexts[index]));
}

void SetFrm::ReopenPort() {
    // A failure closes the panel as in every window; the search ends with it.
    WorkWindow::ReopenPort();
    if (!SerialPort::IsOpen()) EndSearch();
}

void SetFrm::StopPolling() {
    // Closing the port ends the search but keeps SearchStep, so Read resumes where it stopped.
    if (!Searching()) return;
    EndSearch();
    TM_Overtime_A->SetEnabled(false);
    Wait(100);
}
