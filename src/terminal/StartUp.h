#pragma once

#include "MainWindowSide.h"
#include "PortsFolder.h"
#include "ProgramVersion.h"
#include "SavedSettings.h"
#include "TerminalState.h"

#include <QString>

class CaptureControl;
class DisplayOptions;
class MuxControls;
class PortControl;
class ScrollbackStore;
class Serial_io;
class ShownTexts;
class Transmitter;

// Start-up and exit (FormShow, FormDestroy): the terminal's start state, the settings saved
// between runs, and the port opened with them.
class StartUp {
public:
    struct Parts {
        TerminalState& state;
        Serial_io& io;
        PortsFolder& ports;
        DeviceLister listDevices;
        QString settingsDir;
        FileVersion version;
        ShownTexts& shown;
        DisplayOptions& options;
        PortControl& port;
        CaptureControl& capture;
        Transmitter& transmitter;
        MuxControls& mux;
        ScrollbackStore& scrollback;
    };
    explicit StartUp(Parts parts);

    // Numbers the present devices, sets the defaults, restores the saved settings, runs
    // the handler of every option and opens the port. `window` is the main window's side
    // of it, none when the core runs headless.
    void FormShow(MainWindowSide* window = nullptr);
    // Exit: closes the port and saves the settings.
    void FormDestroy(const MainWindowSide* window = nullptr);
    // The settings file of this program version.
    QString settingsFile() const;
    // The help file the window's help requests go to; set at start-up.
    const QString& helpFile() const { return m_helpFile; }

private:
    void setStartDefaults();
    void presetOptions();
    void restore(const SavedSettings& saved, MainWindowSide* window);
    void runStartOptionHandlers();
    SavedSettings currentSettings(const MainWindowSide* window) const;

    TerminalState& m_state;
    Serial_io& m_io;
    PortsFolder& m_ports;
    DeviceLister m_listDevices;
    QString m_settingsDir;
    FileVersion m_version;
    ShownTexts& m_shown;
    DisplayOptions& m_options;
    PortControl& m_port;
    CaptureControl& m_capture;
    Transmitter& m_transmitter;
    MuxControls& m_mux;
    ScrollbackStore& m_scrollback;
    QString m_helpFile;
};
