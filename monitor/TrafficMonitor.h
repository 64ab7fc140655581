#pragma once
// The traffic monitor: one window for the whole program, showing the log of the work window in
// use. Opening or closing it never touches the exchange; a recording goes on without it.
#include <QWidget>

#include "monitor/TrafficPanel.h"

class TrafficMonitor : public QWidget {
    Q_OBJECT
  public:
    // Shows the one monitor (made at the first call), raised.
    static TrafficMonitor* Open();
    // The monitor when it has been made, else null.
    static TrafficMonitor* Existing();

    explicit TrafficMonitor(QWidget* parent = nullptr);

    TrafficPanel* Panel() const { return panel_; }
    TrafficModel* Model() const { return panel_->Model(); }
    QTableView* Table() const { return panel_->Table(); }
    QCheckBox* FaultsOnly;
    QPushButton* PauseButton;
    QPushButton* ClearButton;
    QPushButton* CopyButton;
    QPushButton* SaveButton;
    QPushButton* RecordButton;
    TextLine* SummaryLabel;
    QLabel* NoteLabel;

    QString CopySelection() { return panel_->CopySelection(); }
    bool SaveTo(const QString& path) { return panel_->SaveTo(path); }
    void RecordTo(const QString& path, const CsvRotation& rotation = CsvRotation::Never()) {
        panel_->RecordTo(path, rotation);
    }

  private:
    void Retitle();

    TrafficPanel* panel_;
};
