// The search for a module's serial settings over a pseudo-terminal.
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include "tests/setting/SetFrmFixture.h"
#include "core/modules/ParameterCodes.h"

namespace {
// The reply of a module at address 1, parameter code 103, model ZN260.
const QByteArray kZn260Reply = HexBytes("00 03 06 00 01 00 67 01 04 A0 A9");

QByteArray ReplyOf(int address, int code, int model) {
    const QString body = QString("00 03 06 %1 %2 %3")
                             .arg(address, 4, 16, QChar('0'))
                             .arg(code, 4, 16, QChar('0'))
                             .arg(model, 4, 16, QChar('0'));
    return HexBytes(QString(body).replace(QRegularExpression("(\\w\\w)(\\w\\w)"), "\\1 \\2"), true);
}
}  // namespace

TEST_F(SetFrmTest, FindsTheModuleAtTheFirstAMiddleAndTheLastCandidateOfEachList) {
    struct Case {
        bool full;
        ScriptedModule module;
        int steps;           // candidates tried, the last one answered
        QString parityWord;  // what the panel's parity list shows afterwards
        QString settings;
        QString entry;
    };
    const Case cases[] = {
        {true, {1200, 'N', {}}, 1, "None", "1200,N,8,1", "1200,None,8,1"},
        {true, {19200, 'O', {}}, 16, "Odd", "19200,O,8,1", "19200,Odd,8,1"},
        {true, {115200, 'E', {}}, 30, "Even", "115200,E,8,1", "115200,Even,8,1"},
        {false, {4800, 'N', {}}, 1, "None", "4800,N,8,1", "4800,None,8,1"},
        {false, {9600, 'E', {}}, 6, "Even", "9600,E,8,1", "9600,Even,8,1"},
        {false, {38400, 'E', {}}, 8, "Even", "38400,E,8,1", "38400,Even,8,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings.toStdString());
        Start(true, c.full);
        ScriptedModule module = c.module;
        const int code = ParameterCodes::CodeOfEntry(c.entry, c.full);
        module.reply = ReplyOf(7, code, 330);
        window.Command_OK1_Click();
        ASSERT_EQ(window.Command_OK1->text(), "Stop");
        ASSERT_TRUE(window.TM_Acquisition_A->Enabled());
        for (int step = 0; step < c.steps; ++step) {
            const ScriptedModule used = Step(module);
            // The candidates go out in table order, on the wire.
            const SerialCandidate expected = ParameterCodes::SearchCandidate(step, c.full);
            EXPECT_EQ(used.baud, expected.baud) << step;
            EXPECT_EQ(used.parity, expected.parity) << step;
            if (step + 1 < c.steps) {
                EXPECT_EQ(ParameterLines(), "Parameters Searching......");
                EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data error！");
                EXPECT_TRUE(window.Panel()->Text_Receive->text().isEmpty());
                EXPECT_EQ(window.SearchStep, step + 1);
                EXPECT_EQ(window.Command_OK1->text(), "Stop");
            }
        }
        EXPECT_EQ(ParameterLines(), "Address: 7\nParameters: " + c.entry + "\nModel: ZN330");
        EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");
        EXPECT_EQ(window.Panel()->Text_Receive->text(), SpacedHex(module.reply));
        EXPECT_EQ(window.Command_OK1->text(), "Read");
        EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
        EXPECT_FALSE(window.TM_Overtime_A->Enabled());
        EXPECT_EQ(window.SearchStep, 0);
        // The panel is left on the settings found, with the port open at them.
        EXPECT_EQ(window.Panel()->Combo2->currentText(), QString::number(c.module.baud));
        EXPECT_EQ(window.Panel()->Combo3->currentText(), c.parityWord);
        EXPECT_EQ(PortSettings(), c.settings);
        EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Close");
        EXPECT_TRUE(SerialPort::IsOpen());
        EXPECT_EQ(peer.Baud(), c.module.baud);
        window.Form_QueryUnload();
    }
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(SetFrmTest, WithNoModuleTheSearchFailsAfterExactlyEveryCandidate) {
    for (bool full : {true, false}) {
        Start(full, full);  // the full lists in English, the short ones in Chinese
        const int count = full ? 30 : 8;
        window.Command_OK1_Click();
        for (int step = 1; step < count; ++step) {
            Step({});
            EXPECT_EQ(ParameterLines(), Tt(TextKey::MsgSearching)) << step;
            EXPECT_EQ(window.Panel()->Text_Message->text(), Tt(TextKey::MsgCommError));
            EXPECT_EQ(window.Command_OK1->text(), Tt(TextKey::CaptionStop));
            EXPECT_TRUE(window.TM_Acquisition_A->Enabled());
        }
        Step({});
        EXPECT_EQ(ParameterLines(),
                  full ? "Parameter reading failed！" : "参数读取失败，请检查相关连接！");
        EXPECT_EQ(window.Command_OK1->text(), full ? "Read" : "读 取");
        EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
        EXPECT_EQ(window.SearchStep, 0);
        // Left on the last candidate.
        EXPECT_EQ(window.Panel()->Combo2->currentText(), full ? "115200" : "38400");
        EXPECT_EQ(window.Panel()->Combo3->currentText(), full ? "Even" : "偶校验");
        // A search whose last reply was never judged (the port closed first) ends at its next
        // step rather than wrapping round for ever.
        window.SearchStep = count;
        window.Command_OK1_Click();
        EXPECT_EQ(Step({}).baud, full ? 1200 : 4800);
        EXPECT_EQ(ParameterLines(), Tt(TextKey::MsgReadFailed));
        EXPECT_EQ(window.Command_OK1->text(), Tt(TextKey::CaptionRead));
        EXPECT_EQ(window.SearchStep, 0);
        window.Form_QueryUnload();
    }
}

TEST_F(SetFrmTest, StopAndPortCloseKeepTheStepSoReadResumesWithTheNextCandidate) {
    Start(true, true);
    window.Command_OK1_Click();
    for (int step = 0; step < 5; ++step) Step({});
    window.Command_OK1_Click();  // Stop
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
    EXPECT_EQ(window.SearchStep, 5);
    window.Command_OK1_Click();
    EXPECT_EQ(Step({}).baud, 19200);  // the sixth candidate
    EXPECT_EQ(window.Panel()->Combo2->currentText(), "19200");

    // Closing the port ends the search the same way, without sending anything more.
    window.TM_Acquisition_A_Timer();
    EXPECT_EQ(SpacedHex(peer.ReadRequest()), kParameterRead);
    window.Command_Port_Click();
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
    EXPECT_FALSE(window.TM_Overtime_A->Enabled());
    EXPECT_EQ(window.SearchStep, 7);
    EXPECT_EQ(window.PollFlag, 0);
    EXPECT_FALSE(SerialPort::IsOpen());
    window.Command_OK1_Click();  // port closed: refused, no search
    EXPECT_EQ(platform.messages, QStringList{"Please open serial port！"});
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());

    // Reopened, Read resumes with the eighth; the search still ends after 30 candidates.
    window.Command_Port_Click();
    window.Command_OK1_Click();
    EXPECT_EQ(Step({}).baud, 38400);
    for (int step = 8; step < 29; ++step) Step({});
    EXPECT_EQ(window.Command_OK1->text(), "Stop");
    Step({});
    EXPECT_EQ(ParameterLines(), "Parameter reading failed！");
    EXPECT_EQ(window.SearchStep, 0);

    // A reply already awaited when the user stops is still judged.
    window.Command_OK1_Click();
    window.TM_Acquisition_A_Timer();
    peer.ReadRequest();
    window.Command_OK1_Click();  // Stop
    peer.Write(kZn260Reply);
    window.TM_Overtime_A_Timer();
    EXPECT_EQ(ParameterLines(), "Address: 1\nParameters: 9600,None,8,1\nModel: ZN260");
    EXPECT_EQ(window.SearchStep, 0);
    EXPECT_EQ(platform.messages.size(), 1);
}

TEST_F(SetFrmTest, AModuleAtABaudRateOutsideTheShortListIsNeverFound) {
    Start(true, false);
    window.Command_OK1_Click();
    QList<int> bauds;
    for (int step = 0; step < 8; ++step) bauds << Step({1200, 'N', kZn260Reply}).baud;
    EXPECT_EQ(bauds, QList<int>({4800, 9600, 19200, 38400, 4800, 9600, 19200, 38400}));
    EXPECT_EQ(ParameterLines(), "Parameter reading failed！");
    EXPECT_EQ(window.Command_OK1->text(), "Read");
}

TEST_F(SetFrmTest, ReadRepliesAreJudgedByLengthHeaderAndCrc) {
    Start(true, false);
    QByteArray badCrc = kZn260Reply;
    badCrc[10] = static_cast<char>(badCrc[10] ^ 0x40);
    const QList<QByteArray> rejected = {
        kZn260Reply.left(10),                          // 10 bytes
        kZn260Reply + QByteArray(1, '\0'),             // 12 bytes
        badCrc,                                        // wrong CRC
        HexBytes("01 03 06 00 01 00 67 01 04", true),  // not the broadcast address
        HexBytes("00 04 06 00 01 00 67 01 04", true),  // another function
        HexBytes("00 83 02", true),                    // exception reply
    };
    for (const QByteArray& reply : rejected) {
        SCOPED_TRACE(SpacedHex(reply).toStdString());
        window.SearchStep = 0;
        window.Command_OK1_Click();
        Step({4800, 'N', reply});
        EXPECT_EQ(ParameterLines(), "Parameters Searching......");
        EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data error！");
        EXPECT_TRUE(window.Panel()->Text_Receive->text().isEmpty());
        EXPECT_EQ(window.Command_OK1->text(), "Stop");
        window.Command_OK1_Click();
    }

    // Codes no table holds leave their fields empty.
    window.SearchStep = 0;
    window.Command_OK1_Click();
    Step({4800, 'N', ReplyOf(254, 9, 999)});
    EXPECT_EQ(ParameterLines(), "Address: 254\nParameters: \nModel: ");
    EXPECT_EQ(window.Panel()->Text_Message->text(), "Communication data normal！");
}

TEST_F(SetFrmTest, ACandidatePortThatWillNotOpenIsReportedOnceAndClosesThePanel) {
    Start(true, true);
    // Another program takes the port between two steps.
    SerialPort::ClosePort();
    const int holder = ::open(peer.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    window.Command_OK1_Click();
    window.TM_Acquisition_A_Timer();
    EXPECT_EQ(window.SearchStep, 0);
    EXPECT_EQ(platform.messages, QStringList{"Serial port does not exist or already opened！\n"
                                             "Another program holds sys/COM1. Close it first."});
    // The panel says what is so: closed, its lamp black, the search over.
    EXPECT_EQ(window.Panel()->Command_Port->text(), "Port Open");
    EXPECT_EQ(window.Panel()->Shape1->Color(), QColor(Qt::black));
    EXPECT_EQ(window.Command_OK1->text(), "Read");
    EXPECT_FALSE(window.TM_Acquisition_A->Enabled());
    EXPECT_FALSE(window.TM_Overtime_A->Enabled());

    // Once the port is free and opened again, Read goes on from the candidate it was stuck at.
    ::close(holder);
    window.Command_Port_Click();
    ASSERT_EQ(window.Panel()->Command_Port->text(), "Port Close");
    window.Command_OK1_Click();
    EXPECT_EQ(Step({1200, 'N', kZn260Reply}).baud, 1200);
    EXPECT_EQ(ParameterLines(), "Address: 1\nParameters: 9600,None,8,1\nModel: ZN260");
    EXPECT_EQ(platform.messages.size(), 1);
}
