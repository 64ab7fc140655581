#pragma once
// The work windows the main window can open, by key: a model name, "SetFrm" or "SysFrm".
#include <QString>
#include <functional>
#include <map>

class WorkWindow;
using WorkWindowFactory = std::function<WorkWindow*()>;

const std::map<QString, WorkWindowFactory>& WorkWindowFactories();
