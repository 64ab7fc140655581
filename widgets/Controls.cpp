#include "widgets/Controls.h"

void NameControl(QWidget* widget, const QString& name) {
    widget->setObjectName(name);
    widget->setAccessibleDescription(name);
}

void SetBoxText(QLineEdit* box, const QString& text) {
    if (box->text() != text) box->setText(text);
}
