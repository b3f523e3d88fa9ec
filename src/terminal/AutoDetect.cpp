// Port auto-detection: the COM menu shows only the ports that can be opened.
#include "TerminalCore.h"

#include "UserPrompts.h"

#include <exception>
#include <optional>

namespace {

// A probe's line settings: the current rate, 8 data bits, no parity, and stop bits 0, which
// keeps the stop-bit setting the port has.
constexpr int probeDataBits = 8;
constexpr int probeParity = 0;
constexpr int probeStopBits = 0;
// Between two probes the window has its turn: the pause waits in the window's event loop
// (see Pause.cpp), so that it paints and answers while a hundred ports are probed. What
// else could start meanwhile (the receive tick, another handler) waits, as during a send.
constexpr int windowTurnMs = 1;

// A port is present when it exists, nobody else holds it and it takes the line settings.
// Nothing is sent and nothing awaited. The probe never leaves the port held: a port that
// opened is closed again, and a failed open has released what it took.
bool portOpens(Serial_io& io, int port, int baudRate)
{
    const bool opens = io.c_open(port, baudRate, probeDataBits, probeParity, probeStopBits) != 0;
    io.c_close();
    return opens;
}

} // namespace

void TerminalCore::AutoDetect1Click()
{
    // A just-plugged adapter gets its number first, so that its probe can find it.
    if (m_listDevices)
        m_ports.numberPresentDevices(m_listDevices());

    // The port in use is closed while the ports are probed, its own among them.
    int portToRestore = 0;
    if (panel(0).contains(QStringLiteral("Online"))) {
        portToRestore = st.portNumber;
        m_io.c_close();
    }

    toggleOption(&TerminalState::AutoDetect1);
    // Who else holds the ports is looked up once, for all the probes and the reopening.
    std::optional<Serial_io::Survey> survey;
    if (st.AutoDetect1) {
        survey.emplace(m_io);
        while (survey->lookFurther())
            m_io.sleep(windowTurnMs);
        probePorts();
    } else {
        m_portItemsShown.showAll();
    }
    emit portItemsShownChanged();

    if (portToRestore != 0)
        set_comx(portToRestore, 1);
}

// Probes the ports in order, one after the other. An error stops the probing; the ports
// after it keep what they showed.
void TerminalCore::probePorts()
{
    for (int port = PortsFolder::firstPort; port <= PortsFolder::lastPort; ++port) {
        try {
            m_portItemsShown.setPort(port, portOpens(m_io, port, st.baudRate));
            m_io.sleep(windowTurnMs);
        } catch (const std::exception& error) {
            m_prompts.showMessage(QString::asprintf("Autodetect failure on com port %d!", port),
                                  QString::fromLocal8Bit(error.what()));
            return;
        }
    }
}
