#include "widgets/CsvSaveDialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>

#include "widgets/RotationChoice.h"

namespace {
CsvDialogAnswer& Answer() {
    static CsvDialogAnswer answer;
    return answer;
}

class CsvSaveDialog : public QFileDialog {
  public:
    CsvSaveDialog(QWidget* parent, const QString& caption, const QString& suggested,
                  const QString& filter, const QString& extension = QStringLiteral("csv"))
        : QFileDialog(parent, caption, suggested, filter), extension_(extension) {}
    const QString& Extension() const { return extension_; }

  protected:
    // The typed name gets its extension before Qt looks at the file, so "replace it?" is asked
    // about the file that will be written. A native dialog has no such box: its answer gets the
    // extension afterwards.
    void accept() override {
        auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QStringList files = selectedFiles();
        if (name && files.size() == 1 && !QFileInfo(files.first()).isDir())
            name->setText(WithExtension(name->text(), extension_));
        QFileDialog::accept();
    }

  private:
    QString extension_;
};
}  // namespace

void SetCsvDialogAnswer(CsvDialogAnswer answer) {
    Answer() = std::move(answer);
}

QString WithCsvExtension(const QString& path) {
    return WithExtension(path, QStringLiteral("csv"));
}

QString WithExtension(const QString& path, const QString& extension) {
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    if (name.isEmpty()) return path;
    const qsizetype dot = name.lastIndexOf('.');
    const QString own = dot > 0 ? name.mid(dot + 1) : QString();
    if (!own.isEmpty() && !own.contains(' ')) return path;
    // "log." and "log.." mean "log", not "log..csv".
    qsizetype end = path.size();
    while (end > path.size() - name.size() + 1 && path[end - 1] == '.') --end;
    return path.left(end) + '.' + extension;
}

namespace {
QString Ask(CsvSaveDialog& dialog, QFileDialog::Options options) {
    dialog.setOptions(options);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const int result = Answer() ? Answer()(dialog) : dialog.exec();
    if (result != QDialog::Accepted) return {};
    return WithExtension(dialog.selectedFiles().value(0), dialog.Extension());
}
}  // namespace

QString AskCsvSavePath(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter, QFileDialog::Options options) {
    CsvSaveDialog dialog(parent, caption, suggested, filter);
    return Ask(dialog, options);
}

QString AskSavePath(QWidget* parent, const QString& caption, const QString& suggested,
                    const QString& filter, const QString& extension) {
    CsvSaveDialog dialog(parent, caption, suggested, filter, extension);
    return Ask(dialog, {});
}

QString AskRecordingPath(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter, bool english, CsvRotation* rotation) {
    CsvSaveDialog dialog(parent, caption, suggested, filter);
    // Qt's own dialog, which takes one more row below its name and type rows.
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    auto* choice = new RotationChoice(english, &dialog);
    choice->SetRotation(CsvRotationText::Remembered());
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(choice, grid->rowCount(), 0, 1, grid->columnCount());
    const QString path = Ask(dialog, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return path;
    *rotation = choice->Rotation();
    CsvRotationText::Remember(*rotation);
    return path;
}
