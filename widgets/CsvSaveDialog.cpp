#include "widgets/CsvSaveDialog.h"

namespace {
CsvDialogAnswer& Answer() {
    static CsvDialogAnswer answer;
    return answer;
}
}  // namespace

void SetCsvDialogAnswer(CsvDialogAnswer answer) {
    Answer() = std::move(answer);
}

QString AskCsvSavePath(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter, QFileDialog::Options options) {
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setOptions(options);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const int result = Answer() ? Answer()(dialog) : dialog.exec();
    if (result != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}
