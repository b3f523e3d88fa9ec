#pragma once

#include "CaptureLog.h"
#include "DownloadRun.h"
#include "HandlerGate.h"
#include "MainWindowSide.h"
#include "PortItems.h"
#include "PortsFolder.h"
#include "ProgramVersion.h"
#include "SavedSettings.h"
#include "Serial_io.h"
#include "SettingsStore.h"
#include "Stamps.h"
#include "TerminalListModel.h"
#include "TerminalSink.h"
#include "TerminalState.h"

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <functional>

class UserPrompts;

// What the terminal core needs from the machine. The real program takes the defaults;
// tests hand in their own ports folder, device list, pacing and clock.
struct TerminalPlatform {
    QString portsDir = PortsFolder::defaultLocation();
    DeviceLister listDevices = &PortsFolder::systemDevices;
    Pause pause = realPause();
    std::function<QDateTime()> now = &localTimeToTheSecond;
    Serial_io::DeviceMaker makeDevice;
    QString settingsDir = SettingsStore::defaultFolder();
    FileVersion version = compiledVersion();
};

// Colours of the terminal list.
struct ListColours {
    QColor background;
    QColor text;
};

// The terminal: its state, the port's upkeep, the receive loop and the terminal list.
// Widgets are views of what it holds; it changes through the operations below and says
// what changed through its signals. No widgets here.
class TerminalCore : public QObject, private TerminalSink {
    Q_OBJECT
public:
    TerminalCore(UserPrompts& prompts, TerminalPlatform platform = {}, QObject* parent = nullptr);
    ~TerminalCore() override;

    TerminalState st;

    Serial_io& io() { return m_io; }
    // Every handler of the window enters through the gate, which holds it while a send pauses.
    HandlerGate& gate() { return m_gate; }
    // The file download in progress, which a person can follow and stop.
    DownloadRun& download() { return m_download; }
    UserPrompts& prompts() { return m_prompts; }
    PortsFolder& ports() { return m_ports; }
    TerminalListModel& list() { return m_list; }
    const TerminalLines& lines() const { return m_list.lines(); }

    // Start-up (StartUp.cpp): numbers the present devices, sets the defaults, restores the
    // saved settings, runs the handler of every option and opens the port. `window` is the
    // main window's side of it, none when the core runs headless.
    void FormShow(MainWindowSide* window = nullptr);
    // Exit: closes the port and saves the settings.
    void FormDestroy(const MainWindowSide* window = nullptr);
    // The settings file of this program version.
    QString settingsFile() const;
    // The help file the window's help requests go to; set at start-up.
    const QString& helpFile() const { return m_helpFile; }

    // Port control (PortControl.cpp).
    void set_com(int show);
    void set_comx(int com, int show);
    void selectLineParameter(int TerminalState::*field, int value);
    const PortMarks& marks() const { return m_marks; }

    // Auto-detection (AutoDetect.cpp): shows only the ports that open, or all again.
    void AutoDetect1Click();
    const PortItemsShown& portItemsShown() const { return m_portItemsShown; }

    // Receive loop (ReceiveLoop.cpp).
    void Timer1Timer();
    // The ticks from now that would do nothing but count towards the next port check, as
    // long as no byte arrives: none unless the last tick ran and found the open port quiet,
    // and none while the capture prompt counts down. ReceiveTicker sleeps through them.
    int quietTicksAhead() const;
    // Counts ticks that were not run because they would have been quiet.
    void skipQuietTicks(int ticks);
    // The bytes the last tick took.
    qsizetype lastTickBytes() const { return m_lastTickBytes; }
    // Receive ticks so far, run or slept through as quiet: the terminal's own clock, 10 ms a
    // tick, by which the capture tells how long its writes have gone well.
    qint64 ticksSoFar() const { return m_ticksSoFar; }
    // Receive work one tick may do before it yields to the window: it takes everything
    // that has arrived, as long as this lasts.
    struct TickBudget {
        int milliseconds = 8;
    };
    void setTickBudget(TickBudget budget) { m_budget = budget; }

    // Sending module commands (ModuleSend.cpp): framed or in the plain form.
    void mc_puts(const QString& s);
    void mc_puts_cmd(const QString& s);

    // Multiplexing controls (MuxControls.cpp): the Multiplex box, SELECT, CLOSE, Channel.
    void MUX1Click(); // runs after st.MUX1 has changed
    void SELECTClick();
    void ChannelChange(); // runs on every change of the Channel text
    void CLOSECHClick();
    // The Channel box's text. Setting it runs nothing: the box runs ChannelChange after
    // each change, typed or picked.
    const QString& channelText() const { return m_channelText; }
    void setChannelText(const QString& text);
    // Hints that follow the state: of "MUX1", "SELECT" and "CLOSECH".
    QString hint(const QString& control) const { return m_hints.value(control); }

    // Sending by hand (TransmitPath.cpp). Each returns after its last byte is written.
    void SendDataClick();
    void ListBox1KeyPress(QChar key); // one character the keyboard produced
    void COMMANDClick();
    void SCR1Click();
    void HexModeWrite1Click();
    void CopyToSend1Click();

    // The terminal list.
    void AddtoList(int newLine, const QString& s);
    void Clear1Click();

    // Display options (DisplayOptions.cpp).
    void HexModeClick();
    void Echo1Click();
    void Unreadable1Click();
    void Timestamp1Click();
    void DateStamp1Click();
    void OrvinTerminalClick();
    void AddLinefeedton1Click();
    ListColours listColours() const;

    // What the window shows.
    const QString& panel(int i) const { return m_panels.at(std::size_t(i)); }
    void setPanel(int i, const QString& text);
    const QString& title() const { return m_title; }
    const QString& sendBox() const { return m_sendBox; }
    void setSendBox(const QString& text) override;
    const QStringList& macItems() const { return m_macItems; }
    const QString& macText() const { return m_macText; }
    void setMacText(const QString& text);
    const QString& macHidden() const { return m_macHidden; }

    // Capture log (CaptureControl.cpp): starts the capture through the file dialog, or
    // stops it.
    void Log1Click();
    static constexpr int logPromptTicks = 3000;

    static const QString readExceptionMessage;

signals:
    void panelChanged(int index, const QString& text);
    void titleChanged(const QString& title);
    void marksChanged();
    void portItemsShownChanged();
    void optionsChanged();
    void sendBoxChanged(const QString& text);
    void macBoxChanged();
    void coloursChanged();
    void hintChanged(const QString& control, const QString& hint);
    // Asks the view to put this line at its top (as far as it can scroll).
    void scrollRequested(int topLine);
    // The port opened or closed, or the capture prompt began to count down: what the next
    // receive ticks do has changed, and a sleeping ticker must wake.
    void receiveTicksWanted();

private:
    // TerminalSink: what the driver reflects of its sending.
    bool copyToSendOn() const override { return st.CopyToSend1; }
    bool echoOn() const override { return st.Echo1; }
    bool multiplexOn() const override { return st.MUX1; }
    bool sendStopped() const override { return m_download.stopRequested(); }
    void appendListLine(const QString& text) override;
    void readFailed() override;
    void portClosed() override;

    void toggleOption(bool TerminalState::*option);
    // Start-up and exit steps.
    void setStartDefaults();
    void presetOptions();
    void restore(const SavedSettings& saved, MainWindowSide* window);
    void runStartOptionHandlers();
    SavedSettings currentSettings(const MainWindowSide* window) const;
    void probePorts();
    // Views hear of a change only when there is one: set_com runs every tick while offline.
    template <typename T> static bool changeTo(T& field, const T& value)
    {
        if (field == value)
            return false;
        field = value;
        return true;
    }
    void setTitle(const QString& title);
    void setHint(const QString& control, const QString& hint);
    void showChannelHints();
    void setMarks(const PortMarks& marks);
    void showHexIndicator();
    void showEchoIndicator();

    // Receive loop steps.
    bool runPasses();
    qsizetype runPass(QByteArrayView bytes);
    qsizetype ordinaryRunLength(QByteArrayView bytes) const;
    void showRun(QByteArrayView run);
    void runControlPass(int byte);
    qsizetype takeEscape(QByteArrayView bytes);
    QString captureStamps();
    void appendReceived(QByteArrayView latin1);
    void startCapture(const QString& fileName);
    void writeCapture();
    void endLine(const QString& passText);
    void captureAddress(const QString& finishedLine);
    void scroll();

    UserPrompts& m_prompts;
    std::function<QDateTime()> m_now;
    DeviceLister m_listDevices;
    PortsFolder m_ports;
    TerminalListModel m_list;
    HandlerGate m_gate;
    DownloadRun m_download;
    Serial_io m_io;
    CaptureLog m_captureLog;
    TickBudget m_budget;
    bool m_lastTickQuiet = false;
    qsizetype m_lastTickBytes = 0;
    qint64 m_ticksSoFar = 0;
    QString m_settingsDir;
    FileVersion m_version;
    QString m_helpFile;

    StatusPanels m_panels;
    QString m_title;
    PortMarks m_marks;
    PortItemsShown m_portItemsShown;
    QString m_sendBox;
    QStringList m_macItems;
    QString m_macText;
    QString m_macHidden;
    QString m_channelText;
    QHash<QString, QString> m_hints;
    // The start of an escape sequence whose rest has not arrived yet. It belongs to the
    // port it came from and to the list it was to change: closing the one or clearing the
    // other drops it.
    QByteArray m_pendingEscape;
    // The text of a run of received bytes, kept to be reused by the next run.
    QByteArray m_runText;
    bool m_readFailureQueued = false;
};
