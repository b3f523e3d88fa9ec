// Arbitrary bytes as the settings file: reading it never crashes, what it yields can be
// written and read back unchanged, and start-up takes every value that is within its
// range and keeps the default of every other one.
#include "AddressCapture.h"
#include "FuzzPlatform.h"
#include "FuzzPrompts.h"
#include "Harness.h"
#include "SettingsStore.h"
#include "TerminalCore.h"
#include "TerminalTexts.h"

#include <QDir>
#include <QFile>
#include <cstdint>

namespace {

using fuzz::require;

// The settings of one input live in a folder of their own, removed after it.
QString freshFolder()
{
    static int inputs = 0;
    const QString folder = fuzz::scratchFolder() + QStringLiteral("/settings-%1").arg(++inputs);
    QDir().mkpath(folder);
    return folder;
}

void writeFile(const QString& path, const std::uint8_t* data, std::size_t size)
{
    QFile file(path);
    require(file.open(QIODevice::WriteOnly), "cannot write the settings file");
    file.write(reinterpret_cast<const char*>(data), qint64(size));
}

void readsBackUnchanged(const SavedSettings& saved, const QString& folder)
{
    const SettingsStore copy(folder + QStringLiteral("/copy.ini"));
    require(copy.write(saved), "the values read cannot be written");
    require(copy.read() == saved, "the values read do not read back as written");
}

int expected(const std::optional<int>& saved, bool usable, int otherwise)
{
    return saved && usable ? *saved : otherwise;
}

void startsWithin(const SavedSettings& saved, const QString& folder)
{
    FuzzPrompts prompts; // cancels the capture dialog of a saved Log
    TerminalPlatform platform = fuzzPlatform();
    platform.settingsDir = folder;
    TerminalCore core(prompts, platform);
    core.startUp().FormShow();
    const TerminalState& st = core.state();

    const int port = saved.comPort.value_or(1);
    require(st.lastPort == (port >= 1 && port <= 100 ? port : 1), "the port to open differs");
    // A saved 0 was no open port: nothing opens at start-up, the receive loop tries COM1 later.
    const bool opensCom1 = port != 0 && st.lastPort == 1;
    require(st.portNumber == (opensCom1 ? 1 : 0), "only COM1 has a device to open");
    const int rate = saved.baudRate.value_or(0);
    require(st.baudRate == expected(saved.baudRate, rate > 0, 115200), "baud rate");
    const int bits = saved.dataBits.value_or(0);
    require(st.dataBits == expected(saved.dataBits, bits == 7 || bits == 8, 8), "data bits");
    const int parity = saved.parity.value_or(-1);
    require(st.parity == expected(saved.parity, parity >= 0 && parity <= 2, 0), "parity");
    const int stop = saved.stopBits.value_or(0);
    require(st.stopBits == expected(saved.stopBits, stop == 1 || stop == 2, 1), "stop bits");

    const std::pair<std::optional<bool> SavedSettings::*, bool TerminalState::*> flags[] = {
        {&SavedSettings::SPP1, &TerminalState::SPP1},
        {&SavedSettings::BGIO1, &TerminalState::BGIO1},
        {&SavedSettings::HID1, &TerminalState::HID1},
        {&SavedSettings::GainSpan1, &TerminalState::GainSpan1},
        {&SavedSettings::Echo1, &TerminalState::Echo1},
        {&SavedSettings::HexMode, &TerminalState::HexMode},
        {&SavedSettings::HexModeWrite1, &TerminalState::HexModeWrite1},
        {&SavedSettings::MUX1, &TerminalState::MUX1},
        {&SavedSettings::OrvinTerminal, &TerminalState::OrvinTerminal},
        {&SavedSettings::Timestamp1, &TerminalState::Timestamp1},
        {&SavedSettings::DateStamp1, &TerminalState::DateStamp1},
        {&SavedSettings::CopyToSend1, &TerminalState::CopyToSend1},
    };
    for (const auto& [savedFlag, flag] : flags)
        require(st.*flag == (saved.*savedFlag).value_or(false), "an option differs");
    require(!st.Log1, "the capture started though its dialog was cancelled");

    // The texts come back as far as the boxes could show them: no control character, and a
    // MAC box text only when it is an address.
    const auto visible = [](QString text) {
        text.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
        return text;
    };
    const QString mac = saved.macAddress.value_or(QString());
    require(core.shown().macText() == (isMacAddress(mac) ? mac : texts::macDesignText),
            "the MAC box differs");
    require(core.shown().sendBox() == visible(saved.sendData.value_or(QString())),
            "the send box differs");
    const QString logFolder = saved.logDirectory.value_or(QString());
    const bool usableFolder =
        logFolder.startsWith(QLatin1Char('/')) && visible(logFolder) == logFolder;
    require(st.logDirectory == (usableFolder ? logFolder : QString()), "the log folder differs");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString folder = freshFolder();
    const QString file =
        folder + QLatin1Char('/') + SettingsStore::fileName(versionText(compiledVersion()));
    writeFile(file, data, size);
    const SavedSettings saved = SettingsStore(file).read();
    readsBackUnchanged(saved, folder);
    startsWithin(saved, folder);
    QDir(folder).removeRecursively();
    return 0;
}
