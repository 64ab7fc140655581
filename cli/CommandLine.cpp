#include "cli/CommandLine.h"

#include <QFileInfo>
#include <QThread>

#include "base/Platform.h"
#include "base/SettingsFiles.h"
#include "base/SettingsHome.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"

namespace {
// Messages of the core (a port that will not open, a device gone) go where the command's own go.
class StreamPlatform : public Platform {
  public:
    explicit StreamPlatform(QTextStream& err) : err_(err) {}
    void ShowMessage(const QString& text) override {
        err_ << text << '\n';
        err_.flush();
    }
    void Wait(int milliseconds) override { QThread::msleep(milliseconds); }
    void Beep(int, int) override {}

  private:
    QTextStream& err_;
};

// set2.rc where the windows would read it: the working folder's sys/, else the user's own.
StartupSwitches SwitchesOfSettings() {
    QString path = SettingsFiles::Set2RcPath();
    if (!QFileInfo::exists(path)) path = SettingsHome::UserFolder() + "/" + path;
    return SwitchesOfSet2(SettingsFiles::ReadLines(path, 3));
}

// --lang is looked at before anything else, so every message is in its language.
std::optional<bool> EnglishOfArguments(const QStringList& args) {
    for (int i = 1; i < args.size(); ++i) {
        const QString value = args[i] == "--lang"             ? args.value(i + 1)
                              : args[i].startsWith("--lang=") ? args[i].mid(7)
                                                              : QString();
        if (value == "en") return true;
        if (value == "zh") return false;
    }
    return std::nullopt;
}

int Dispatch(const CliRun& run) {
    const QString command = run.options.Command();
    if (command == "ports") return RunPorts(run);
    if (command == "search") return RunSearch(run);
    if (command == "scan") return RunScan(run);
    if (command == "read") return RunRead(run);
    if (command == "write") return RunWrite(run);
    if (command == "poll") return RunPoll(run);
    if (command == "set") return RunSet(run);
    if (command == "commission") return RunCommission(run);
    if (command == "monitor") return RunMonitor(run);
    if (command == "watch") return RunWatch(run);
    return run.Usage(CliTexts::Text(CliTexts::UnknownCommand).arg(command));
}
}  // namespace

namespace CommandLine {
bool Takes(const QString& firstArgument) {
    return firstArgument == "--help" || firstArgument == "-h" ||
           CliOptions::Commands().contains(firstArgument);
}

int Run(const QStringList& args, QTextStream& out, QTextStream& err) {
    Switches() = SwitchesOfSettings();
    if (const auto english = EnglishOfArguments(args)) Switches().EnglishUi = *english ? 1 : 0;
    TextTable::Fill(Switches().EnglishUi == 1);

    if (args.isEmpty() || args[0] == "--help" || args[0] == "-h") {
        out << CliTexts::Help(QString());
        out.flush();
        return kDone;
    }
    CliOptions options;
    Line line;
    CliRun run{options, out, err, line};
    QString error;
    std::optional<bool> english;
    if (!options.Parse(args, &error) || !options.Language(&english, &error) ||
        !options.Format(&run.format, &error))
        return run.Usage(error);
    if (options.Has("--help")) {
        out << CliTexts::Help(options.Command());
        out.flush();
        return kDone;
    }

    StreamPlatform platform(err);
    InstallPlatform(&platform);
    InterruptScope interrupts;
    const int code = Dispatch(run);
    line.Close();
    InstallPlatform(nullptr);
    return code;
}
}  // namespace CommandLine
