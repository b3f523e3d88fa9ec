#include "StartUp.h"

#include "AddressCapture.h"
#include "CaptureControl.h"
#include "DisplayOptions.h"
#include "MuxControls.h"
#include "PortControl.h"
#include "ScrollbackStore.h"
#include "Serial_io.h"
#include "SettingsStore.h"
#include "ShownTexts.h"
#include "TerminalTexts.h"
#include "Transmitter.h"

#include <QDir>
#include <cstdio>

namespace {

using S = TerminalState;

constexpr int helpPanel = 5;

// How a restored option reaches its value: as saved, or inverted, because its handler
// runs once at start-up and inverts it back.
enum class Restore { AsSaved, Inverted };

struct SavedFlag {
    std::optional<bool> SavedSettings::*saved;
    bool TerminalState::*flag;
    Restore how;
};

// In the order the values are read.
constexpr SavedFlag savedFlags[] = {
    {&SavedSettings::SPP1, &S::SPP1, Restore::AsSaved},
    {&SavedSettings::BGIO1, &S::BGIO1, Restore::AsSaved},
    {&SavedSettings::HID1, &S::HID1, Restore::AsSaved},
    {&SavedSettings::GainSpan1, &S::GainSpan1, Restore::AsSaved},
    {&SavedSettings::Echo1, &S::Echo1, Restore::Inverted},
    {&SavedSettings::HexMode, &S::HexMode, Restore::Inverted},
    {&SavedSettings::HexModeWrite1, &S::HexModeWrite1, Restore::Inverted},
    {&SavedSettings::Log1, &S::Log1, Restore::Inverted},
    {&SavedSettings::Unreadable1, &S::Unreadable1, Restore::Inverted},
    {&SavedSettings::MUX1, &S::MUX1, Restore::AsSaved},
    {&SavedSettings::OrvinTerminal, &S::OrvinTerminal, Restore::Inverted},
    {&SavedSettings::Timestamp1, &S::Timestamp1, Restore::Inverted},
    {&SavedSettings::DateStamp1, &S::DateStamp1, Restore::Inverted},
    {&SavedSettings::CopyToSend1, &S::CopyToSend1, Restore::Inverted},
};

// A saved port or line setting that the port could not take keeps its default.
struct SavedNumber {
    std::optional<int> SavedSettings::*saved;
    int TerminalState::*field;
    bool (*usable)(int);
};

constexpr SavedNumber savedNumbers[] = {
    {&SavedSettings::comPort, &S::portNumber,
     [](int port) { return port == 0 || PortsFolder::isPortNumber(port); }},
    {&SavedSettings::baudRate, &S::baudRate, [](int rate) { return rate > 0; }},
    {&SavedSettings::dataBits, &S::dataBits, [](int bits) { return bits == 7 || bits == 8; }},
    {&SavedSettings::parity, &S::parity, [](int parity) { return parity >= 0 && parity <= 2; }},
    {&SavedSettings::stopBits, &S::stopBits, [](int bits) { return bits == 1 || bits == 2; }},
};

// Texts from the file go where a person would have typed them: the MAC box's into module
// commands, the send box's to the module. They are taken only in the form those boxes hold,
// so nothing hidden in the file (a CR with a command after it) ever reaches the wire.
std::optional<QString> restoredMacText(const std::optional<QString>& saved)
{
    return saved && isMacAddress(*saved) ? saved : std::nullopt;
}

QString withoutControlCharacters(QString text)
{
    text.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return text;
}

// The capture folder is one the file dialog chose: a full path.
std::optional<QString> restoredFolder(const std::optional<QString>& saved)
{
    const bool usable =
        saved && saved->startsWith(QLatin1Char('/')) && withoutControlCharacters(*saved) == *saved;
    return usable ? saved : std::nullopt;
}

// The tool bars saved as shown are toggled on in this order.
constexpr bool TerminalState::*toolBarFlags[] = {&S::SPP1, &S::BGIO1, &S::HID1, &S::GainSpan1};

} // namespace

StartUp::StartUp(Parts parts)
    : m_state(parts.state), m_io(parts.io), m_ports(parts.ports),
      m_listDevices(std::move(parts.listDevices)), m_settingsDir(std::move(parts.settingsDir)),
      m_version(parts.version), m_shown(parts.shown), m_options(parts.options), m_port(parts.port),
      m_capture(parts.capture), m_transmitter(parts.transmitter), m_mux(parts.mux),
      m_scrollback(parts.scrollback)
{
}

void StartUp::FormShow(MainWindowSide* window)
{
    if (m_listDevices)
        m_ports.numberPresentDevices(m_listDevices());
    TerminalState& st = m_state;
    st.startDirectory = QDir::currentPath();
    st.versionText = versionText(m_version);
    st.titleText = texts::appTitle;
    m_shown.setTitle(st.titleText);
    st.lastPort = 1;
    m_helpFile = texts::helpFile;
    m_shown.setPanel(helpPanel, texts::helpHint);
    setStartDefaults();
    presetOptions();

    const SettingsStore store(settingsFile());
    store.removeLeftovers();
    const SavedSettings saved = store.read();
    restore(saved, window);
    if (window)
        for (bool TerminalState::*shown : toolBarFlags)
            if (st.*shown)
                window->toggleToolBar(shown);
    runStartOptionHandlers();
    m_port.set_com(1);
    if (window)
        window->FormResize();
    m_shown.setSendBox(withoutControlCharacters(saved.sendData.value_or(QString())));
}

void StartUp::setStartDefaults()
{
    TerminalState& st = m_state;
    st.baudRate = 115200;
    st.portNumber = 1;
    st.parity = 0;
    st.dataBits = 8;
    st.stopBits = 1;
}

// Every option but the tool bars and Multiplex is preset on: its handler inverts it once
// at start-up, so it ends off when nothing was saved.
void StartUp::presetOptions()
{
    for (const SavedFlag& row : savedFlags)
        m_state.*row.flag = row.how == Restore::Inverted;
    m_options.showChanges();
}

// Applies each saved value at once, in the order the values are read.
void StartUp::restore(const SavedSettings& saved, MainWindowSide* window)
{
    TerminalState& st = m_state;
    if (window)
        window->placeWindow({saved.Left, saved.Top, saved.Width, saved.Height});
    for (const SavedNumber& row : savedNumbers) {
        const std::optional<int>& value = saved.*row.saved;
        if (value && row.usable(*value))
            st.*row.field = *value;
    }
    if (const std::optional<QString> mac = restoredMacText(saved.macAddress))
        m_shown.setMacText(*mac);
    for (const SavedFlag& row : savedFlags) {
        const std::optional<bool>& value = saved.*row.saved;
        if (!value)
            continue;
        st.*row.flag = row.how == Restore::Inverted ? !*value : *value;
        if (row.flag == &S::MUX1 && st.MUX1)
            m_mux.MUX1Click();
    }
    if (const std::optional<QString> folder = restoredFolder(saved.logDirectory))
        st.logDirectory = *folder;
    m_scrollback.setBudget(
        qint64(saved.scrollbackMemoryMB.value_or(ScrollbackStore::defaultBudgetMB)) * 1024 * 1024);
    m_options.showChanges();
}

// Each option's handler, as if the person had chosen it: its flag ends at the saved value
// and its status panels, colours and dialogs follow. No port is open yet.
void StartUp::runStartOptionHandlers()
{
    m_options.Echo1Click();
    m_options.HexModeClick();
    m_transmitter.HexModeWrite1Click();
    m_capture.Log1Click();
    m_options.Unreadable1Click();
    m_mux.MUX1Click();
    m_options.OrvinTerminalClick();
    m_options.Timestamp1Click();
    m_options.DateStamp1Click();
    m_transmitter.CopyToSend1Click();
}

void StartUp::FormDestroy(const MainWindowSide* window)
{
    if (m_state.portNumber != 0)
        m_io.c_close();
    // A file that cannot be written loses this run's settings, and nothing else. The window
    // has gone by now: the reason goes to the error channel, once.
    QString why;
    if (!SettingsStore(settingsFile()).write(currentSettings(window), &why))
        std::fprintf(stderr, "Serivox: settings not saved: %s\n", qPrintable(why));
}

SavedSettings StartUp::currentSettings(const MainWindowSide* window) const
{
    const TerminalState& st = m_state;
    SavedSettings values;
    if (window) {
        const QRect placement = window->placement();
        values.Left = placement.x();
        values.Top = placement.y();
        values.Width = placement.width();
        values.Height = placement.height();
    }
    for (const SavedNumber& row : savedNumbers)
        values.*row.saved = st.*row.field;
    values.macAddress = m_shown.macText();
    if (const qint64 megabytes = m_scrollback.budget() / (1024 * 1024); megabytes >= 1)
        values.scrollbackMemoryMB = int(megabytes);
    for (const SavedFlag& row : savedFlags)
        values.*row.saved = st.*row.flag;
    values.sendData = m_shown.sendBox();
    values.logDirectory = st.logDirectory;
    return values;
}

QString StartUp::settingsFile() const
{
    return m_settingsDir + QLatin1Char('/') + SettingsStore::fileName(m_state.versionText);
}
