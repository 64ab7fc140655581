#pragma once
// A reading as a technician reads it at arm's length: large digits on a black ground.
#include <QColor>
#include <QLabel>

// A named readout label with the given text colour, at least `minimumWidth` pixels wide.
QLabel* MakeReadout(const QString& name, const QColor& textColor, int minimumWidth,
                    QWidget* parent);
