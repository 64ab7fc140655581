#pragma once
// The small row where a recording's rotation is chosen: "Never", "At midnight" or "Every N MB"
// with the size beside it, enabled only for the last.
#include <QWidget>

#include "core/record/RotatingCsv.h"

class QComboBox;
class QSpinBox;

class RotationChoice : public QWidget {
  public:
    RotationChoice(bool english, QWidget* parent = nullptr);
    CsvRotation Rotation() const;
    void SetRotation(const CsvRotation& rotation);

    QComboBox* Combo_Rotate;
    QSpinBox* Spin_RotateMb;

  private:
    void ShowSizeEnabled();
};
