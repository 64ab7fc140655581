#include "windows/registers/SysFrm.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Platform.h"
#include "base/Switches.h"
#include "core/line/SerialPort.h"
#include "windows/registers/RegisterGroups.h"
#include "windows/registers/RegisterView.h"
#include "windows/registers/TypedFrame.h"
#include "core/modules/WrittenNumber.h"

namespace {
// The write-reply wait and the typed-frame reply wait do not come from tm.rc.
constexpr int kWriteReplyMs = 100;
constexpr int kTypedReplyMs = 200;
// The port buffer holds 256 bytes: three characters per typed byte.
constexpr int kMaxTypedCharacters = 3 * 256;

}  // namespace

SysFrm::SysFrm() {
    PollLoopSpec spec;
    spec.request = [this](uint8_t address) {
        return ReadRequest(address, 0x03, GroupStart, GroupCount);
    };
    spec.clearsBoxesOnTick = true;
    // The group is looked up before each poll and the reply length follows it.
    spec.refusal = [this]() -> std::optional<TextKey> {
        LookUpGroup();
        // A text of the user's own before any group was read: there is no block to ask for.
        if (GroupCount == 0) return TextKey::MsgSettingError;
        return std::nullopt;
    };
    spec.replyNow = [this] {
        return ReplyRule{
            {ReadReplyBytes(GroupCount)}, true, [this] { ShowRegisterValues(); }, true};
    };
    loopA_ = new PollLoop(this, spec);
    AddLoop(loopA_);
    Command_OK1 = loopA_->Button;
    TM_Acquisition_A = loopA_->Acquisition;
    TM_Overtime_A = loopA_->Overtime;

    Frame7 = Named(new QGroupBox(this), "Frame7");
    Label17 = Named(new QLabel(Frame7), "Label17");
    CreateAddressList(0, Frame7);
    Combo_Sel = Named(new QComboBox(Frame7), "Combo_Sel");
    Combo_Sel->setEditable(true);
    Combo_Sel->setInsertPolicy(QComboBox::NoInsert);
    Text_Read = Named(new QPlainTextEdit(Frame7), "Text_Read");
    Text_Read->setReadOnly(true);
    // Nobody undoes a read-out, and the replaced texts would pile up in the undo stack.
    Text_Read->setUndoRedoEnabled(false);
    Text_Read->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text_Read->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Fixed pitch keeps the labels of the system lines in one column; sized for the longest
    // line ("(setNonet ) 113: 65535", "2334-2335: 4294967295") and all sixteen lines at once.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(10);
    Text_Read->setFont(fixed);
    const QFontMetrics metrics(fixed);
    // A text block is one pixel taller than the font's line spacing; the document has margins.
    const int margins = 2 * (Text_Read->frameWidth() + 4) + 4;
    Text_Read->setMinimumSize(metrics.horizontalAdvance(QString(25, '0')) + margins + 20,
                              (metrics.lineSpacing() + 1) * 16 + margins);

    Frame2 = Named(new QGroupBox(this), "Frame2");
    Label10 = Named(new QLabel(Frame2), "Label10");
    CreateAddressList(1, Frame2);
    Label9 = Named(new QLabel(Frame2), "Label9");
    Text_REGWR = Named(new QLineEdit(Frame2), "Text_REGWR");
    Label8 = Named(new QLabel(Frame2), "Label8");
    Text_WR = Named(new QLineEdit(Frame2), "Text_WR");
    Command_OK2 = Named(new QPushButton(Frame2), "Command_OK2");
    Command_OK3 = Named(new QPushButton(Panel()), "Command_OK3");
    Command_OK3->hide();

    TM_Overtime_C = new VbTimer("TM_Overtime_C", this);
    TM_Overtime_ADJ = new VbTimer("TM_Overtime_ADJ", this);
    connect(Command_OK2, &QPushButton::clicked, this, &SysFrm::Command_OK2_Click);
    connect(Command_OK3, &QPushButton::clicked, this, &SysFrm::Command_OK3_Click);
    connect(TM_Overtime_C, &QTimer::timeout, this, &SysFrm::TM_Overtime_C_Timer);
    connect(TM_Overtime_ADJ, &QTimer::timeout, this, &SysFrm::TM_Overtime_ADJ_Timer);
    BuildLayout();
}

void SysFrm::BuildLayout() {
    auto* reading = new QGridLayout(Frame7);
    reading->addWidget(Label17, 0, 0);
    reading->addWidget(AddressList(0), 0, 1);
    reading->addWidget(Combo_Sel, 1, 0, 1, 2);
    reading->addWidget(Command_OK1, 2, 0, 1, 2);
    reading->addWidget(Text_Read, 3, 0, 1, 2);
    reading->setRowStretch(3, 1);
    reading->setColumnStretch(1, 1);

    auto* writing = new QGridLayout(Frame2);
    QLabel* labels[] = {Label10, Label9, Label8};
    QWidget* fields[] = {AddressList(1), Text_REGWR, Text_WR};
    for (int row = 0; row < 3; ++row) {
        writing->addWidget(labels[row], row, 0);
        writing->addWidget(fields[row], row, 1);
    }
    writing->addWidget(Command_OK2, 1, 2);
    writing->setColumnStretch(1, 1);

    Panel()->AddBesideSendBox(Command_OK3);

    auto* left = new QVBoxLayout;
    left->addWidget(Panel());
    left->addWidget(Frame2);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(Frame7);
}

void SysFrm::ApplyIntervals(const QList<int>& tmLines) {
    TM_Acquisition_A->SetInterval(tmLines.value(0));
    TM_Overtime_A->SetInterval(tmLines.value(3));
    TM_Overtime_C->SetInterval(kWriteReplyMs);
    TM_Overtime_ADJ->SetInterval(kTypedReplyMs);
}

void SysFrm::LoadWindow() {
    setWindowTitle(Tt(TextKey::TitleRegisterWindow));
    Frame7->setTitle(Tt(TextKey::FrameRegisterRead));
    Frame2->setTitle(Tt(TextKey::FrameRegisterWrite));
    Label17->setText(Tt(TextKey::LabelAddress));
    Label10->setText(Tt(TextKey::LabelAddress));
    Label9->setText(QStringLiteral("Register"));
    Label8->setText(QStringLiteral("Data WR"));
    Command_OK2->setText(Tt(TextKey::CaptionWrite));
    Command_OK3->setText(Tt(TextKey::CaptionWrite));
    Combo_Sel->clear();
    for (const RegisterGroup& group : RegisterGroups(Switches().FeatureMode))
        Combo_Sel->addItem(QString::fromLatin1(group.entry));
    Combo_Sel->setCurrentIndex(0);
    Text_Read->clear();
    Text_REGWR->clear();
    Text_WR->clear();
    const bool typedFrames = Switches().FeatureMode == 4;
    Command_OK3->setVisible(typedFrames);
    Panel()->Text_Send->setReadOnly(!typedFrames);
    Panel()->Text_Send->setMaxLength(typedFrames ? kMaxTypedCharacters : 32767);
}

void SysFrm::LookUpGroup() {
    if (const auto group = GroupOfEntry(Combo_Sel->currentText(), Switches().FeatureMode)) {
        GroupStart = group->first;
        GroupCount = group->count;
    }
}

void SysFrm::ShowRegisterValues() {
    std::vector<int> values;
    for (int i = 0; i < GroupCount; ++i) values.push_back(RegisterOfReply(ReceivedText, i));
    const QString text =
        RegisterLines(GroupStart, values, Switches().FeatureMode == 4).join(QLatin1Char('\n'));
    if (text == Text_Read->toPlainText()) return;
    // Replaced in one edit, so the scroll bar keeps its range and the reader's place instead of
    // collapsing and being set back, and being repainted, at every poll.
    QTextCursor all(Text_Read->document());
    all.select(QTextCursor::Document);
    all.insertText(text);
}

void SysFrm::Command_OK2_Click() {
    const auto address = BeginCommand(1);
    if (!address) return;
    ReopenPort();
    if (!Panel()->PortOpen()) return;  // the re-open failed and closed the panel
    const auto reg = RegisterNumberOfText(Text_REGWR->text());
    const auto value = RegisterNumberOfText(Text_WR->text());
    if (!reg || !value) {
        ShowMessage(Tt(TextKey::MsgSettingError));
        ResumeLoop();  // nothing was sent, so no reply handler will resume reading
        return;
    }
    SendFrame(WriteRegisterRequest(*address, *reg, *value));
    TM_Overtime_C->SetEnabled(true);
}

void SysFrm::TM_Overtime_C_Timer() {
    FinishExchange(TM_Overtime_C, {{8}, true, nullptr, true});
}

QString SysFrm::BadCharacterMessage(const TypedFrame& frame) const {
    const bool english = Switches().EnglishUi == 1;
    const QString text =
        frame.badSeparator
            ? (english ? QStringLiteral("Not a blank between bytes: \"%1\" at character %2")
                       : QStringLiteral("第 %2 个字符 \"%1\" 应为字节间的空格！"))
            : (english ? QStringLiteral("Not a hex digit: \"%1\" at character %2")
                       : QStringLiteral("第 %2 个字符 \"%1\" 不是十六进制数字！"));
    return text.arg(QString(frame.badCharacter), QString::number(frame.badPosition));
}

void SysFrm::Command_OK3_Click() {
    if (PollFlag != 0) PauseLoops();
    SentText = Panel()->Text_Send->text();
    Panel()->Text_Message->clear();
    ReceivedText.clear();
    Panel()->Text_Receive->clear();
    const TypedFrame frame = ParseTypedFrame(SentText);
    if (frame.badPosition > 0) {
        Panel()->Text_Message->setText(BadCharacterMessage(frame));
        ResumeLoop();
        return;
    }
    if (frame.bytes.empty()) {
        ResumeLoop();
        return;
    }
    if (!Panel()->PortOpen()) {
        ShowMessage(Tt(TextKey::MsgOpenPortFirst));
        return;
    }
    ReopenPort();
    if (!Panel()->PortOpen()) return;
    auto& buffer = SerialPort::PortBuffer();
    const size_t count = std::min(frame.bytes.size(), buffer.size());
    std::copy_n(frame.bytes.begin(), count, buffer.begin());
    SetCause(TrafficCause::TypedFrame);
    WriteBuffer(static_cast<int>(count));
    if (Panel()->PortOpen()) TM_Overtime_ADJ->SetEnabled(true);  // not when the device has gone
}

void SysFrm::TM_Overtime_ADJ_Timer() {
    // Off first: a message box raised while re-opening must not let this handler run again.
    TM_Overtime_ADJ->SetEnabled(false);
    CollectReply();
    if (ReceivedText.isEmpty())
        ReopenPort();
    else
        Panel()->Text_Receive->setText(ReceivedText);
    ResumeLoop();
}
