#pragma once

#include <QString>

// The terminal's fixed texts, each written once.
namespace texts {
inline const QString appTitle = QStringLiteral("Serivox");
inline const QString echoOn = QStringLiteral("Echo");
inline const QString panelBlank = QStringLiteral("    ");
inline const QString hexWrite = QStringLiteral("Hex Write");
inline const QString hexRead = QStringLiteral("Hex");
inline const QString echoPrefix = QStringLiteral("RX<= ");
inline const QString unableToOpenPort = QStringLiteral("Unable to Open Port ");
inline const QString offLineSuffix = QStringLiteral(" - OffLine");
inline const QString readException = QStringLiteral("Exception occurred in c_getc");
inline const QString macDesignText = QStringLiteral("Unknown MAC     ");
} // namespace texts
