#pragma once
// The small forms that edit a line of a line file (name, port, settings, reply wait) and a module
// (address, model, tag, polled or not, the alarm limits of each channel). They only gather what
// is typed; the window holds the result to the line file's own checks.
#include <QWidget>
#include <optional>

#include "core/overview/LineFile.h"
#include "core/publish/BrokerSettings.h"

class QDialog;

// How a built form is put to the user: exec() unless replaced (tests fill it in and accept).
using EditorAnswer = std::function<int(QDialog& dialog)>;
void SetEditorAnswer(EditorAnswer answer);

// The edited line (its modules untouched), or nothing when the user cancelled.
std::optional<LineOfModules> EditLineForm(QWidget* parent, const LineOfModules& line);
std::optional<LineModule> EditModuleForm(QWidget* parent, const LineModule& module);
// The broker to publish to, or nothing when the user cancelled.
std::optional<PublishChoice> EditPublishForm(QWidget* parent, const PublishChoice& choice);
