#pragma once

#include "ModuleState.h"

#include <QString>
#include <QStringList>

// The AT-style (Wi-Fi module) commands: lines that start with "AT". The reply lines end with
// "OK", or are "ERROR" for a command the module does not know.
bool isAtCommand(const QString& line);
QStringList atReply(const QString& line, ModuleState& state);
