#include "widgets/RotationChoice.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "core/traffic/TrafficTexts.h"

RotationChoice::RotationChoice(bool english, QWidget* parent) : QWidget(parent) {
    using namespace TrafficTexts;
    setObjectName("RotationChoice");
    auto* label = new QLabel(UiText(NewFile, english), this);
    Combo_Rotate = new QComboBox(this);
    Combo_Rotate->setObjectName("Combo_Rotate");
    // In the order of CsvRotation::Kind.
    Combo_Rotate->addItems({UiText(RotateNever, english), UiText(RotateMidnight, english),
                            UiText(RotateEveryMb, english)});
    Spin_RotateMb = new QSpinBox(this);
    Spin_RotateMb->setObjectName("Spin_RotateMb");
    Spin_RotateMb->setRange(1, CsvRotation::kMaxMegabytes);
    Spin_RotateMb->setSuffix(QStringLiteral(" MB"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label);
    row->addWidget(Combo_Rotate);
    row->addWidget(Spin_RotateMb);
    row->addStretch(1);
    connect(Combo_Rotate, &QComboBox::currentIndexChanged, this, [this] { ShowSizeEnabled(); });
    SetRotation(CsvRotation::Never());
}

CsvRotation RotationChoice::Rotation() const {
    switch (CsvRotation::Kind(Combo_Rotate->currentIndex())) {
        case CsvRotation::Kind::Midnight:
            return CsvRotation::AtMidnight();
        case CsvRotation::Kind::Size:
            return CsvRotation::EveryMegabytes(Spin_RotateMb->value());
        case CsvRotation::Kind::Never:
            break;
    }
    return CsvRotation::Never();
}

void RotationChoice::SetRotation(const CsvRotation& rotation) {
    Combo_Rotate->setCurrentIndex(int(rotation.kind));
    Spin_RotateMb->setValue(rotation.kind == CsvRotation::Kind::Size
                                ? rotation.Megabytes()
                                : CsvRotation::kDefaultMegabytes);
    ShowSizeEnabled();
}

void RotationChoice::ShowSizeEnabled() {
    Spin_RotateMb->setEnabled(Combo_Rotate->currentIndex() == int(CsvRotation::Kind::Size));
}
