// Port control: bringing the port, the check marks, the status bar and the title into
// agreement with the terminal state.
#include "TerminalCore.h"

#include "TerminalTexts.h"
#include "UserPrompts.h"

#include <cstdlib>

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

} // namespace

void TerminalCore::showEchoIndicator()
{
    setPanel(2, st.Echo1 ? texts::echoOn : texts::panelBlank);
}

void TerminalCore::showHexIndicator()
{
    setPanel(3, st.HexModeWrite1 ? texts::hexWrite
                : st.HexMode     ? texts::hexRead
                                 : texts::panelBlank);
}

void TerminalCore::set_com(int show)
{
    emit receiveTicksWanted();
    showEchoIndicator();
    showHexIndicator();
    const QString label = QStringLiteral("COM") + QString::number(std::abs(st.portNumber));
    setMarks(marksFor(st));

    if (st.portNumber == 0) {
        setPanel(0, QStringLiteral("COM") + QString::number(st.lastPort) + texts::offLineSuffix);
        setTitle(st.titleText + QLatin1Char(' ') + panel(0));
        return;
    }
    if (st.portNumber > 0)
        m_io.c_close();
    else
        st.portNumber = -st.portNumber;

    if (m_io.c_open(st.portNumber, st.baudRate, st.dataBits, st.parity, st.stopBits)) {
        st.lastPort = st.portNumber;
        setPanel(0,
                 QString::asprintf("%s %.4d %d%s%d- Online", qPrintable(label), st.baudRate,
                                   st.dataBits, qPrintable(parityLetter(st.parity)), st.stopBits));
    } else {
        st.lastPort = st.portNumber;
        setPanel(0, label + texts::offLineSuffix);
        st.portNumber = 0;
        if (show)
            m_prompts.showMessage(texts::unableToOpenPort + label, m_io.lastOpenFailure());
    }
    setTitle(st.titleText + QLatin1Char(' ') + panel(0));
}

void TerminalCore::set_comx(int com, int show)
{
    st.portNumber = com;
    set_com(show);
}

void TerminalCore::selectLineParameter(int TerminalState::*field, int value)
{
    st.*field = value;
    set_com(1);
}
