#pragma once
// What every window does to its controls: names them for the tests and the accessibility bus,
// and changes a box's text only when it changes.
#include <QLineEdit>
#include <QString>
#include <QWidget>

// Gives a control the name the tests and the accessibility bus know it by.
void NameControl(QWidget* widget, const QString& name);
// Sets a frame or message box's text unless it already holds it: a poll shows the same request
// and status every cycle, and repainting an unchanged box is most of what a cycle costs.
void SetBoxText(QLineEdit* box, const QString& text);
// The same, for a control just made: Named(new QLabel(frame), "Label6").
template <typename W>
W* Named(W* widget, const QString& name) {
    NameControl(widget, name);
    return widget;
}
