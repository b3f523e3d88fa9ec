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
inline const QString helpFile = QStringLiteral("Serivox.chm");
inline const QString helpHint = QStringLiteral("F1=Help");

// The capture log: status panel 4 and the messages of its failures.
inline const QString capturingPrefix = QStringLiteral("=>");
inline const QString notCapturing = QStringLiteral(" ");
inline const QString unableToOpenLog = QStringLiteral("Unable to Open Log File ");
inline const QString unableToWriteLog = QStringLiteral("Unable to Write Log File ");
inline const QString logFileGone =
    QStringLiteral("The file no longer exists. Turn Log off and on again to start a new file.");

// The scrollback file, which holds old lines beyond the memory budget, failed.
inline const QString unableToWriteScrollback =
    QStringLiteral("Old lines stay in memory: unable to write the scrollback file in ");

// Multiplexing mode: the module's commands, which are also the controls' hints.
inline const QString muxOnCommand = QStringLiteral("SET CONTROL MUX 1");
inline const QString muxOffCommand = QStringLiteral("SET CONTROL MUX 0");
inline const QString selectCommand = QStringLiteral("SELECT ");
inline const QString closeCommand = QStringLiteral("CLOSE ");
inline const QString selectCaption = QStringLiteral("SELECT");
inline const QString startChannel = QStringLiteral("255");

// The module's escape between its data mode and its command mode.
inline const QString escapeSequence = QStringLiteral("+++");
inline const QString noEscapeInMultiplex = QStringLiteral("No CMD/Data modes in Multiplex mode");
} // namespace texts
