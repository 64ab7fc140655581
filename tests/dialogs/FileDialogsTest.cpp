// The file dialogs of the program, answered by the test instead of a person: every CSV dialog
// saves under the typed name with ".csv" added when no extension was typed; Qt's own texts speak
// the interface language; a Record button checked by any means, an accessibility tool's toggle
// among them, asks once the press has returned, starts a recording, and shows none when the
// question was cancelled.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

#include "app/MainWindow.h"
#include "base/SettingsFiles.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/traffic/TrafficLog.h"
#include "monitor/TrafficMonitor.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TestPlatform.h"
#include "trend/TrendFeed.h"
#include "widgets/CsvSaveDialog.h"
#include "windows/overview/LineOverviewWindow.h"
#include "windows/scan/ScanFrm.h"
#include "workwindow/WorkWindow.h"

namespace {
// Answers every CSV dialog by typing `name` in `folder` and saving, or by cancelling when `name`
// is empty; `seen` gets each dialog before it is answered.
class DialogAnswer {
  public:
    DialogAnswer(QString folder, QString name, std::function<void(QFileDialog&)> seen = {}) {
        SetCsvDialogAnswer([folder, name, seen](QFileDialog& dialog) {
            if (seen) seen(dialog);
            if (name.isEmpty()) {
                dialog.reject();
            } else {
                dialog.setDirectory(folder);
                dialog.selectFile(name);
                // As the Save button does (QFileDialog's own accept() is protected).
                static_cast<QDialog&>(dialog).accept();
            }
            return dialog.result();
        });
    }
    ~DialogAnswer() { SetCsvDialogAnswer(nullptr); }
};

// Runs what was posted to the event loop: a Record button asks for its file from there.
void TurnTheEventLoop() {
    QCoreApplication::processEvents();
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files);
}

// A trend of one analog channel in a bare work window.
struct Trend {
    WorkWindow window;
    QGroupBox* panel = new QGroupBox(&window);
    TrendFeed* feed = new TrendFeed(&window, panel, {{"AI_1", "mA", 3, false}});
};
}  // namespace

TEST(CsvFileName, GetsCsvOnlyWhenNoExtensionWasTyped) {
    const struct {
        QString typed, saved;
    } cases[] = {
        {"/data/log", "/data/log.csv"},
        {"/data/log.csv", "/data/log.csv"},
        {"/data/log.txt", "/data/log.txt"},
        {"/data/log.CSV", "/data/log.CSV"},
        {"/data/archive.tar.gz", "/data/archive.tar.gz"},
        {"/data/log.", "/data/log.csv"},
        {"/data/log..", "/data/log.csv"},
        {"/data/run.1/log", "/data/run.1/log.csv"},
        {"/data/.hidden", "/data/.hidden.csv"},
        {"/data/v1.2 readings", "/data/v1.2 readings.csv"},
        {"log", "log.csv"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithCsvExtension(c.typed), c.saved) << c.typed.toStdString();
}

class FileDialogsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
        Switches().EnglishUi = 1;
    }
    void TearDown() override { TrafficLog::Instance().StopRecording(); }

    ScratchSys sys;
    RecordingPlatform platform;
};

TEST_F(FileDialogsTest, EveryCsvDialogSavesUnderTheTypedNameWithItsExtension) {
    // What each dialog's answer turned into: the files made in the folder, or the path taken.
    struct Case {
        const char* dialog;
        std::function<QString(const QString& folder)> answered;
        bool confirmsOverwrite;
    } cases[] = {
        {"traffic Save CSV",
         [](const QString& folder) {
             TrafficMonitor monitor;
             monitor.SaveButton->click();
             return FilesIn(folder).join(' ');
         },
         true},
        {"traffic Record",
         [](const QString& folder) {
             TrafficMonitor monitor;
             monitor.RecordButton->click();
             TurnTheEventLoop();
             TrafficLog::Instance().StopRecording();
             return FilesIn(folder).join(' ');
         },
         true},
        {"trend Record",
         [](const QString& folder) {
             Trend trend;
             trend.feed->RecordButton->click();
             TurnTheEventLoop();
             trend.feed->StopRecording();
             return FilesIn(folder).join(' ');
         },
         true},
        {"scan Save CSV",
         [](const QString& folder) {
             ScanFrm scan;
             scan.Command_SaveCsv->click();
             return FilesIn(folder).join(' ');
         },
         true},
        // The batch log is appended to: choosing an existing one asks nothing.
        {"batch log Browse",
         [](const QString& folder) {
             ScanFrm scan;
             scan.Command_Browse->click();
             return QDir(folder).relativeFilePath(scan.Batch_LogPath->text());
         },
         false},
    };
    struct Typed {
        QString name;
        QString saved;
    } typed[] = {{"log", "log.csv"}, {"log.txt", "log.txt"}, {"log.", "log.csv"}};
    for (const Case& c : cases) {
        for (const Typed& t : typed) {
            QTemporaryDir dir;
            int asked = 0;
            bool confirms = false;
            DialogAnswer answer(dir.path(), t.name, [&](QFileDialog& dialog) {
                ++asked;
                confirms = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
            });
            EXPECT_EQ(c.answered(dir.path()), t.saved)
                << c.dialog << ", typed " << t.name.toStdString();
            EXPECT_EQ(asked, 1) << c.dialog;
            EXPECT_EQ(confirms, c.confirmsOverwrite) << c.dialog;
        }
    }
}

TEST_F(FileDialogsTest, QtsOwnDialogTextsSpeakTheInterfaceLanguage) {
    struct Case {
        QByteArray set2;
        QStringList texts;  // look in, file name, file type, save, cancel
    } cases[] = {
        {"0\r\n0\r\n1\r\n", {"Look in:", "File &name:", "Files of type:", "&Save", "Cancel"}},
        {"0\r\n0\r\n0\r\n", {"查找范围：", "文件名称(&N)：", "文件类型：", "保存(&S)", "取消"}},
        {"0\r\n0\r\n1\r\n", {"Look in:", "File &name:", "Files of type:", "&Save", "Cancel"}},
    };
    for (const Case& c : cases) {
        sys.WriteFile("set2.rc", c.set2);
        Main main;
        main.Form_Load();
        QStringList texts;
        DialogAnswer cancelled({}, {}, [&texts](QFileDialog& dialog) {
            for (auto label : {QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::FileType,
                               QFileDialog::Accept, QFileDialog::Reject})
                texts << dialog.labelText(label);
        });
        TrafficMonitor monitor;
        monitor.SaveButton->click();
        EXPECT_EQ(texts, c.texts) << c.set2.toStdString();
    }
}

TEST_F(FileDialogsTest, RecordAsksOnlyAfterThePressReturnedAndIsCheckedExactlyWhileRecording) {
    // A Record button, and whether what it drives is recording.
    struct Recorder {
        QAbstractButton* button;
        std::function<bool()> recording;
    };
    struct Case {
        const char* button;
        std::function<void(const std::function<void(Recorder)>&)> with;
    } cases[] = {
        {"traffic",
         [](const std::function<void(Recorder)>& test) {
             TrafficMonitor monitor;
             test({monitor.RecordButton, [] { return TrafficLog::Instance().Recording(); }});
         }},
        {"trend",
         [](const std::function<void(Recorder)>& test) {
             Trend trend;
             TrendFeed* feed = trend.feed;
             test({feed->RecordButton, [feed] { return feed->Recording(); }});
         }},
        {"line overview",
         [](const std::function<void(Recorder)>& test) {
             LineOverviewWindow overview;
             test({overview.Command_Record, [&overview] { return overview.Recording(); }});
         }},
    };
    // The ways a button is pressed: a click, and an accessibility tool's toggle, which waits for
    // the press to return (a screen reader with it).
    struct Press {
        const char* how;
        std::function<void(QAbstractButton*)> press;
    } presses[] = {
        {"click", [](QAbstractButton* button) { button->click(); }},
        {"toggle",
         [](QAbstractButton* button) {
             QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
             ASSERT_TRUE(face && face->actionInterface());
             face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
         }},
    };
    struct Step {
        const char* what;
        int presses;
        QString answer;  // empty: cancelled
        bool asks, recording;
    } steps[] = {
        {"cancelled", 1, {}, true, false},
        {"saved, pressed twice before the question", 2, "rec.csv", true, true},
        {"stopped", 1, {}, false, false},
    };
    for (const Case& c : cases) {
        for (const Press& p : presses) {
            c.with([&](Recorder r) {
                QTemporaryDir folder;  // a new file each time: no question about replacing one
                for (const Step& step : steps) {
                    SCOPED_TRACE(std::string(c.button) + ", " + p.how + ", " + step.what);
                    int asked = 0, askedInPress = 0;
                    bool pressing = false;
                    DialogAnswer answer(folder.path(), step.answer, [&](QFileDialog&) {
                        ++asked;
                        askedInPress += pressing;
                    });
                    pressing = true;
                    for (int i = 0; i < step.presses; ++i) p.press(r.button);
                    pressing = false;
                    EXPECT_EQ(askedInPress, 0);
                    // Nothing is started before the answer, and the button says so.
                    if (step.asks) EXPECT_FALSE(r.recording() || r.button->isChecked());
                    TurnTheEventLoop();
                    EXPECT_EQ(asked, step.asks ? 1 : 0);
                    EXPECT_EQ(r.recording(), step.recording);
                    EXPECT_EQ(r.button->isChecked(), step.recording);
                }
            });
        }
    }
}

TEST_F(FileDialogsTest, ARecordingRotatesAsItsDialogSaysWhichRemembersTheChoice) {
    const auto at = [](int day, const char* time) {
        return QDateTime(QDate(2026, 12, day), QTime::fromString(time)).toMSecsSinceEpoch();
    };
    // Each Record dialog: the choice it showed, then the one made in it.
    struct Choice {
        int kind;
        int megabytes;
    };
    const auto answer = [](const QString& folder, const QString& name, Choice* shown, Choice made) {
        return std::make_unique<DialogAnswer>(folder, name, [=](QFileDialog& dialog) {
            auto* kind = dialog.findChild<QComboBox*>("Combo_Rotate");
            auto* size = dialog.findChild<QSpinBox*>("Spin_RotateMb");
            ASSERT_TRUE(kind && size && kind->isVisibleTo(&dialog));
            *shown = {kind->currentIndex(), size->value()};
            kind->setCurrentIndex(made.kind);
            size->setValue(made.megabytes);
        });
    };
    QTemporaryDir dir;
    Choice shown{-1, -1};
    {
        // Nothing remembered yet: never. At midnight chosen; the trend's clock crosses it.
        auto saved = answer(dir.path(), "readings", &shown, {1, 7});
        Trend trend;
        int64_t now = at(8, "23:59:59");
        trend.feed->SetClock([&now] { return now; });
        trend.feed->RecordButton->click();
        TurnTheEventLoop();
        EXPECT_EQ(trend.feed->RecordingPath(), dir.filePath("readings_2026-12-08_23-59-59.csv"));
        trend.feed->Add({1.5});
        now = at(9, "00:00:02");
        trend.feed->Add({2.5});
        EXPECT_EQ(trend.feed->RecordingPath(), dir.filePath("readings_2026-12-09_00-00-02.csv"));
        EXPECT_TRUE(trend.feed->NoteLabel->toolTip().endsWith("readings_2026-12-09_00-00-02.csv"));
        trend.feed->StopRecording();
    }
    EXPECT_EQ(shown.kind, 0);
    EXPECT_EQ(FilesIn(dir.path()), QStringList({"readings_2026-12-08_23-59-59.csv",
                                                "readings_2026-12-09_00-00-02.csv"}));
    EXPECT_EQ(SettingsFiles::ReadLines(CsvRotationText::Path(), 2), QStringList({"1", "10"}));
    {
        // The traffic's dialog starts at the choice; every 3 MB chosen.
        auto saved = answer(dir.path(), "traffic.csv", &shown, {2, 3});
        TrafficMonitor monitor;
        monitor.RecordButton->click();
        TurnTheEventLoop();
        EXPECT_TRUE(TrafficLog::Instance().RecordingPath().contains(
            QRegularExpression(R"(/traffic_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.csv$)")));
        TrafficLog::Instance().StopRecording();
    }
    EXPECT_EQ(shown.kind, 1);
    EXPECT_EQ(SettingsFiles::ReadLines(CsvRotationText::Path(), 2), QStringList({"2", "3"}));
    {
        // A cancelled dialog remembers nothing new.
        auto cancelled = answer(dir.path(), {}, &shown, {0, 1});
        Trend trend;
        trend.feed->RecordButton->click();
        TurnTheEventLoop();
        EXPECT_FALSE(trend.feed->Recording());
    }
    EXPECT_EQ(shown.kind, 2);
    EXPECT_EQ(shown.megabytes, 3);
    EXPECT_EQ(SettingsFiles::ReadLines(CsvRotationText::Path(), 2), QStringList({"2", "3"}));
}
