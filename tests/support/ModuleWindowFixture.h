#pragma once

#include "ModuleProcess.h"
#include "WindowFixture.h"

#include <QStringList>
#include <functional>
#include <optional>

// The main window offscreen against the simulated module linked as COM1, the whole way
// real: the window paces its bytes with real pauses (so the module hears the silences
// around "+++"), the module answers from its own process.
class ModuleWindowFixture : public WindowFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts a module (a fresh one, on a new pseudo-terminal) as COM1.
    void startModule();

    // Waits, with a bound generous enough for a busy machine, until `condition` holds.
    static bool eventually(const std::function<bool()>& condition, int timeoutMs = 30000);

    // The terminal list's lines as the window holds them.
    QStringList shownLines() const;
    // Waits until the window shows a line that starts with `start`; returns it.
    std::optional<QString> waitForLineStarting(const QString& start);
    // Waits until the module has received `bytes` after the first `from` bytes.
    bool waitForReceived(const QByteArray& bytes, qsizetype from = 0);
    // Clears the terminal list once it shows all the module sent: from now on it holds what
    // the module sends from here.
    void clearTerminal();
    // Waits until the window shows exactly what the module sent so far (since the terminal
    // was last cleared), as text or in hex.
    ::testing::AssertionResult waitUntilShowingAllSent();

    ModuleProcess::Options moduleOptions() const;

    std::unique_ptr<ModuleProcess> module;
    bool showingHex = false; // HexMode Read is on
    qsizetype shownFrom = 0; // of the module's bytes, the first the terminal list holds
};

// How the window renders what the module sends, worked out independently of the window's
// own code. The module sends neither escape sequences nor backspaces, so each byte stands
// alone: with HexMode Read as two hex digits and a space, otherwise printable bytes as
// themselves, CR and LF as nothing, every other byte as its code in angle brackets.
QString textShownFor(unsigned char byte, bool hexMode);
// The terminal list for these received bytes: CR ends a line, LF does not.
QStringList linesShownFor(const QByteArray& received, bool hexMode = false);
// The capture file for them: a record for each byte, and one for each finished line.
QByteArray captureFor(const QByteArray& received, bool hexMode);
