#include "PortControl.h"

#include "DisplayOptions.h"
#include "Serial_io.h"
#include "ShownTexts.h"
#include "TerminalTexts.h"
#include "UserPrompts.h"

#include <cstdlib>
#include <exception>
#include <optional>

namespace {

constexpr int menuBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

QString parityLetter(int parity)
{
    static const char letters[] = "NOEMS";
    return parity >= 0 && parity <= 4 ? QString(QLatin1Char(letters[parity])) : QStringLiteral("?");
}

PortMarks marksFor(const TerminalState& st)
{
    PortMarks marks;
    // The port being opened keeps its tick, also when it comes back after a loss (-n).
    const int port = std::abs(st.portNumber);
    marks.port = PortsFolder::isPortNumber(port) ? port : 0;
    for (int rate : menuBaudRates)
        if (rate == st.baudRate)
            marks.baudRate = rate;
    marks.parity = st.parity >= 0 && st.parity <= 2 ? st.parity : -1;
    marks.dataBits = st.dataBits == 7 || st.dataBits == 8 ? st.dataBits : 0;
    marks.stopBits = st.stopBits == 1 || st.stopBits == 2 ? st.stopBits : 0;
    return marks;
}

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

PortControl::PortControl(Parts parts)
    : m_state(parts.state), m_io(parts.io), m_ports(parts.ports),
      m_listDevices(std::move(parts.listDevices)), m_options(parts.options), m_shown(parts.shown),
      m_prompts(parts.prompts)
{
}

void PortControl::setMarks(const PortMarks& marks)
{
    if (m_marks == marks)
        return;
    m_marks = marks;
    emit marksChanged();
}

void PortControl::showTitle()
{
    m_shown.setTitle(m_state.titleText + QLatin1Char(' ') + m_shown.panel(0));
}

void PortControl::set_com(int show)
{
    TerminalState& st = m_state;
    emit portChanged();
    m_options.showEchoIndicator();
    m_options.showHexIndicator();
    const QString label = QStringLiteral("COM") + QString::number(std::abs(st.portNumber));
    setMarks(marksFor(st));

    if (st.portNumber == 0) {
        m_shown.setPanel(0, QStringLiteral("COM") + QString::number(st.lastPort) +
                                texts::offLineSuffix);
        showTitle();
        return;
    }
    if (st.portNumber > 0)
        m_io.c_close();
    else
        st.portNumber = -st.portNumber;

    if (m_io.c_open(st.portNumber, st.baudRate, st.dataBits, st.parity, st.stopBits)) {
        st.lastPort = st.portNumber;
        m_shown.setPanel(0, QString::asprintf("%s %.4d %d%s%d- Online", qPrintable(label),
                                              st.baudRate, st.dataBits,
                                              qPrintable(parityLetter(st.parity)), st.stopBits));
    } else {
        st.lastPort = st.portNumber;
        m_shown.setPanel(0, label + texts::offLineSuffix);
        st.portNumber = 0;
        if (show)
            m_prompts.showMessage(texts::unableToOpenPort + label, m_io.lastOpenFailure());
    }
    showTitle();
}

void PortControl::set_comx(int com, int show)
{
    m_state.portNumber = com;
    set_com(show);
}

void PortControl::selectLineParameter(int TerminalState::*field, int value)
{
    m_state.*field = value;
    set_com(1);
}

void PortControl::reopenWhileOffline()
{
    if (m_state.portNumber != 0)
        return;
    m_state.portNumber = m_state.lastPort;
    set_com(0);
}

bool PortControl::closeIfLost()
{
    if (!m_io.isOpen() || m_io.portUsable())
        return false;
    m_io.c_close();
    m_state.lastPort = -m_state.portNumber;
    m_state.portNumber = 0;
    set_com(0);
    return true;
}

void PortControl::AutoDetect1Click()
{
    // A just-plugged adapter gets its number first, so that its probe can find it.
    if (m_listDevices)
        m_ports.numberPresentDevices(m_listDevices());

    // The port in use is closed while the ports are probed, its own among them.
    int portToRestore = 0;
    if (m_shown.panel(0).contains(QStringLiteral("Online"))) {
        portToRestore = m_state.portNumber;
        m_io.c_close();
    }

    m_options.toggle(&TerminalState::AutoDetect1);
    // Who else holds the ports is looked up once, for all the probes and the reopening.
    std::optional<Serial_io::Survey> survey;
    if (m_state.AutoDetect1) {
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
void PortControl::probePorts()
{
    for (int port = PortsFolder::firstPort; port <= PortsFolder::lastPort; ++port) {
        try {
            m_portItemsShown.setPort(port, portOpens(m_io, port, m_state.baudRate));
            m_io.sleep(windowTurnMs);
        } catch (const std::exception& error) {
            m_prompts.showMessage(QString::asprintf("Autodetect failure on com port %d!", port),
                                  QString::fromLocal8Bit(error.what()));
            return;
        }
    }
}
