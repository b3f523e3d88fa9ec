#include "TerminalCore.h"

#include "TerminalTexts.h"
#include "UserPrompts.h"

TerminalCore::TerminalCore(UserPrompts& prompts, TerminalPlatform platform, QObject* parent)
    : QObject(parent), m_prompts(prompts), m_ports(platform.portsDir), m_list(m_state),
      m_io(m_ports, *this, m_gate.guard(m_download.countingPaces(std::move(platform.pause))),
           std::move(platform.makeDevice)),
      m_options(m_state, m_shown),
      m_capture({m_state, m_options, m_shown, m_prompts, m_gate, std::move(platform.now)}),
      m_portControl({m_state, m_io, m_ports, platform.listDevices, m_options, m_shown, m_prompts}),
      m_transmitter({m_state, m_io, m_list, m_options, m_shown, m_prompts}),
      m_mux({m_state, m_io, m_transmitter, m_options, m_shown, m_prompts}),
      m_receiver({m_state, m_io, m_gate, m_list, m_portControl, m_capture, m_shown,
                  m_prompts}),
      m_startUp({m_state, m_io, m_ports, std::move(platform.listDevices),
                 std::move(platform.settingsDir), platform.version, m_shown, m_options,
                 m_portControl, m_capture, m_transmitter, m_mux, m_list.scrollback()})
{
    // Told during a receive tick: shown after it, as the capture file's failures are.
    connect(&m_list, &TerminalListModel::scrollbackFailed, this,
            [this](const QString& folder, const QString& reason) {
                m_gate.run([this, folder, reason] {
                    m_prompts.showMessage(texts::unableToWriteScrollback + folder, reason);
                });
            },
            Qt::QueuedConnection);
}

// The port closes before any part goes: the open device's arrival notice wakes the receiver.
TerminalCore::~TerminalCore() { m_io.c_close(); }
