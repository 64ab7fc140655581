// The line overview's side of its line file: opened, saved, and edited line by line and module
// by module, each edit held to the checks a file gets when it is read.
#include <QFileDialog>
#include <QFileInfo>

#include "base/Platform.h"
#include "base/Switches.h"
#include "core/overview/ScanLines.h"
#include "widgets/CsvSaveDialog.h"
#include "windows/overview/LineOverviewWindow.h"
#include "windows/overview/OverviewEditors.h"
#include "windows/overview/OverviewTexts.h"

namespace {
using OverviewTexts::Text;

bool English() {
    return Switches().EnglishUi == 1;
}
}  // namespace

bool LineOverviewWindow::Load(const QString& path) {
    QString error;
    const auto file = LineFile::Load(path, English(), &error);
    if (!file) {
        ShowMessage(error);
        return false;
    }
    SetFile(*file, path);
    return true;
}

bool LineOverviewWindow::SaveTo(const QString& path) {
    QString error;
    if (!file_.Save(path, &error)) {
        ShowState(Text(OverviewTexts::SaveFailed).arg(path, error));
        return false;
    }
    path_ = path;
    setWindowTitle(Text(OverviewTexts::Title) + " - " + QFileInfo(path_).fileName());
    ShowState(Text(OverviewTexts::Saved).arg(path));
    return true;
}

bool LineOverviewWindow::Accept(const LineFile& edited) {
    QString error;
    const QString name = path_.isEmpty() ? QStringLiteral("lines.json") : path_;
    const auto checked = LineFile::Parse(edited.ToJson(), name, English(), &error);
    if (!checked) {
        ShowMessage(error);
        return false;
    }
    SetFile(*checked, path_);
    return true;
}

void LineOverviewWindow::Open_Click() {
    const QString path = QFileDialog::getOpenFileName(this, Text(OverviewTexts::Open), path_,
                                                      Text(OverviewTexts::LineFiles));
    if (!path.isEmpty()) Load(path);
}

void LineOverviewWindow::Save_Click() {
    const QString path = AskSavePath(this, Text(OverviewTexts::Save),
                                     path_.isEmpty() ? QStringLiteral("lines.json") : path_,
                                     Text(OverviewTexts::LineFiles), QStringLiteral("json"));
    if (!path.isEmpty()) SaveTo(path);
}

void LineOverviewWindow::AddLine_Click() {
    LineOfModules line;
    line.name = QStringLiteral("bus %1").arg(file_.lines.size() + 1);
    line.port = QStringLiteral("COM1");
    const auto edited = EditLineForm(this, line);
    if (!edited) return;
    LineFile file = file_;
    file.lines.push_back(*edited);
    Accept(file);
}

void LineOverviewWindow::EditLine_Click() {
    const int line = ChosenLine();
    if (line < 0) return ShowState(Text(OverviewTexts::ChooseLine));
    const auto edited = EditLineForm(this, file_.lines[line]);
    if (!edited) return;
    LineFile file = file_;
    file.lines[line] = *edited;
    Accept(file);
}

void LineOverviewWindow::RemoveLine_Click() {
    const int line = ChosenLine();
    if (line < 0) return ShowState(Text(OverviewTexts::ChooseLine));
    LineFile file = file_;
    file.lines.erase(file.lines.begin() + line);
    Accept(file);
}

void LineOverviewWindow::AddModule_Click() {
    const int line = ChosenLine();
    if (line < 0) return ShowState(Text(OverviewTexts::ChooseLine));
    LineModule module;
    int address = 1;
    for (const LineModule& taken : file_.lines[line].modules)
        address = std::max(address, taken.address + 1);
    module.address = std::min(address, 247);
    module.model = QStringLiteral("ZN210");
    const auto edited = EditModuleForm(this, module);
    if (!edited) return;
    LineFile file = file_;
    file.lines[line].modules.push_back(*edited);
    Accept(file);
}

void LineOverviewWindow::EditModule_Click() {
    const int row = ChosenRow();
    if (row < 0) return ShowState(Text(OverviewTexts::ChooseModule));
    const auto [line, module] = board_->ModuleAt(row);
    const auto edited = EditModuleForm(this, file_.lines[line].modules[module]);
    if (!edited) return;
    LineFile file = file_;
    file.lines[line].modules[module] = *edited;
    Accept(file);
}

void LineOverviewWindow::RemoveModule_Click() {
    const int row = ChosenRow();
    if (row < 0) return ShowState(Text(OverviewTexts::ChooseModule));
    const auto [line, module] = board_->ModuleAt(row);
    LineFile file = file_;
    file.lines[line].modules.erase(file.lines[line].modules.begin() + module);
    Accept(file);
}

void LineOverviewWindow::FromScan_Click() {
    const QString path = QFileDialog::getOpenFileName(this, Text(OverviewTexts::FromScan),
                                                      QString(), Text(OverviewTexts::CsvFiles));
    if (path.isEmpty()) return;
    // The scan's CSV names no port: the chosen line's, or COM1 for a file of no lines yet.
    const int chosen = ChosenLine();
    const QString port = chosen >= 0 ? file_.lines[chosen].port : QStringLiteral("COM1");
    QString error;
    const auto lines = LinesOfScanCsv(path, port, English(), &error);
    if (!lines) return ShowMessage(error);
    LineFile file = file_;
    for (const LineOfModules& line : *lines) file.lines.push_back(line);
    Accept(file);
}
