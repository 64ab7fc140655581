#pragma once
// Why a serial device could not be opened, told so that a technician knows what to do.
#include <QString>
#include <QStringList>
#include <optional>

enum class NetFailure;

namespace PortErrors {
// The line under MsgPortUnavailable for a failed open of `path` with the system's `error`
// (the system's error code): no access (and the group that has it), held by another program (named
// when the system tells), not there, or what the system said.
QString Explain(const QString& path, int error);
// The programs other than this one that hold `path` open, as "name (PID n)"; those whose
// descriptors this user may not see are missed.
QStringList Holders(const QString& path);
// The group whose members may open `path`; none where joining a group would not help (only root
// may open it, its group is root's, or the system has no such groups).
std::optional<QString> AccessGroup(const QString& path);
// The line under MsgPortUnavailable for a network line `name` that could not be connected or set
// up: what happened and what to check (`error`, the system's code, for what has no text of its
// own).
QString ExplainConnect(const QString& name, NetFailure failure, int error);
// The line under MsgPortUnavailable for an RFC 2217 gateway that acknowledged other line settings
// than those asked for (both as "9600,N,8,1").
QString ExplainSettingsRefused(const QString& name, const QString& asked,
                               const QString& acknowledged);
}  // namespace PortErrors
