#pragma once

#include "CaptureControl.h"
#include "DisplayOptions.h"
#include "DownloadRun.h"
#include "HandlerGate.h"
#include "MuxControls.h"
#include "PortControl.h"
#include "PortsFolder.h"
#include "ProgramVersion.h"
#include "Receiver.h"
#include "Serial_io.h"
#include "SettingsStore.h"
#include "ShownTexts.h"
#include "Stamps.h"
#include "StartUp.h"
#include "TerminalListModel.h"
#include "TerminalSink.h"
#include "TerminalState.h"
#include "Transmitter.h"

#include <QDateTime>
#include <QObject>
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

// The terminal core: builds its parts, wires them and hands them to the window. No widgets.
//
//   state()        the port, line parameters and options (TerminalState), read-only here
//   io()           Serial_io, the serial driver
//   list()         the terminal list (TerminalListModel), with AddtoList
//   shown()        texts the window shows: status panels, title, send box, MAC box, hints
//   options()      the View menu's options (DisplayOptions)
//   receiver()     Timer1Timer, the receive tick, and Clear1Click (Receiver)
//   portControl()  set_com, set_comx, line parameters, AutoDetect1Click (PortControl)
//   transmitter()  SendDataClick, ListBox1KeyPress, mc_puts, COMMANDClick ... (Transmitter)
//   mux()          MUX1Click, SELECTClick, ChannelChange, CLOSECHClick (MuxControls)
//   capture()      Log1Click and the capture file (CaptureControl)
//   startUp()      FormShow, FormDestroy, the settings file (StartUp)
//   gate()         HandlerGate: every handler of the window enters through it
//   download()     the file download in progress
//
// Each part changes the state only through its own operations; the window and tests set
// an option or a line parameter straight only through preset().
class TerminalCore : public QObject, private TerminalSink {
    Q_OBJECT
public:
    TerminalCore(UserPrompts& prompts, TerminalPlatform platform = {}, QObject* parent = nullptr);
    ~TerminalCore() override;

    const TerminalState& state() const { return m_state; }
    // Sets an option or a line parameter without running its handler, as the Multiplex box
    // does before MUX1Click and the tool bar items do; the caller shows the change.
    void preset(bool TerminalState::*option, bool on) { m_state.*option = on; }
    void preset(int TerminalState::*field, int value) { m_state.*field = value; }

    Serial_io& io() { return m_io; }
    HandlerGate& gate() { return m_gate; }
    DownloadRun& download() { return m_download; }
    UserPrompts& prompts() { return m_prompts; }
    PortsFolder& ports() { return m_ports; }
    TerminalListModel& list() { return m_list; }
    const TerminalLines& lines() const { return m_list.lines(); }

    ShownTexts& shown() { return m_shown; }
    const ShownTexts& shown() const { return m_shown; }
    DisplayOptions& options() { return m_options; }
    Receiver& receiver() { return m_receiver; }
    PortControl& portControl() { return m_portControl; }
    const PortControl& portControl() const { return m_portControl; }
    Transmitter& transmitter() { return m_transmitter; }
    MuxControls& mux() { return m_mux; }
    CaptureControl& capture() { return m_capture; }
    StartUp& startUp() { return m_startUp; }
    const StartUp& startUp() const { return m_startUp; }

private:
    // TerminalSink: what the driver reflects of its sending.
    bool copyToSendOn() const override { return m_state.CopyToSend1; }
    bool echoOn() const override { return m_state.Echo1; }
    bool multiplexOn() const override { return m_state.MUX1; }
    bool sendStopped() const override { return m_download.stopRequested(); }
    void setSendBox(const QString& text) override { m_shown.setSendBox(text); }
    void appendListLine(const QString& text) override { m_list.addLine(text); }

    UserPrompts& m_prompts;
    TerminalState m_state;
    PortsFolder m_ports;
    TerminalListModel m_list;
    HandlerGate m_gate;
    DownloadRun m_download;
    Serial_io m_io;
    ShownTexts m_shown;
    DisplayOptions m_options;
    CaptureControl m_capture;
    PortControl m_portControl;
    Transmitter m_transmitter;
    MuxControls m_mux;
    Receiver m_receiver;
    StartUp m_startUp;
};
