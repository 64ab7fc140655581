#pragma once
// How a window family hands the main window its windows: a factory per key (a model name,
// "SetFrm" or "SysFrm"). It lives below the windows so that none of them includes the top.
#include <QString>
#include <functional>
#include <map>

class WorkWindow;
using WorkWindowFactory = std::function<WorkWindow*()>;
using WorkWindowFactoryMap = std::map<QString, WorkWindowFactory>;
