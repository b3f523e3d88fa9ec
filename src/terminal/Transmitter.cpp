#include "Transmitter.h"

#include "ByteRendering.h"
#include "DisplayOptions.h"
#include "TerminalListModel.h"
#include "MuxFraming.h"
#include "Serial_io.h"
#include "ShownTexts.h"
#include "TerminalTexts.h"
#include "UserPrompts.h"

namespace {

// The module's guard time before and after its escape sequence.
constexpr int escapeGuardMs = 1000;

// A character as HexMode Write sends it: uppercase hex digits right-aligned in two
// columns, then a space ("D" for CR becomes " D ").
QString hexForm(QChar c) { return QString::asprintf("%2X ", unsigned(c.unicode())); }

} // namespace

Transmitter::Transmitter(Parts parts)
    : m_state(parts.state), m_io(parts.io), m_list(parts.list), m_options(parts.options),
      m_shown(parts.shown), m_prompts(parts.prompts)
{
}

void Transmitter::SendDataClick()
{
    const QString typed = m_shown.sendBox();
    const QString text = m_state.MUX1 ? typed + QChar(ascii::CR) : typed;
    if (!m_state.HexModeWrite1) {
        mc_puts(text);
        return;
    }
    // The hex path is never framed.
    for (const QChar c : text)
        m_io.c_write(hexForm(c));
    m_io.c_puts(QString());
    m_shown.setSendBox(typed);
}

void Transmitter::ListBox1KeyPress(QChar key)
{
    if (m_state.HexModeWrite1)
        m_io.c_puts(hexForm(key));
    else
        m_io.c_putc(key.unicode());
    if (m_state.Echo1)
        m_list.AddtoList(0, QString(key));
}

void Transmitter::COMMANDClick()
{
    if (m_state.MUX1) {
        m_prompts.showMessage(texts::noEscapeInMultiplex, QString());
        return;
    }
    m_io.sleep(escapeGuardMs);
    m_io.c_write(texts::escapeSequence);
    m_io.sleep(escapeGuardMs);
}

void Transmitter::SCR1Click() { mc_puts(QStringLiteral("S\r\n")); }

void Transmitter::HexModeWrite1Click()
{
    m_options.toggle(&TerminalState::HexModeWrite1);
    m_options.showHexIndicator();
}

void Transmitter::CopyToSend1Click() { m_options.toggle(&TerminalState::CopyToSend1); }

void Transmitter::mc_puts(const QString& s)
{
    if (m_state.MUX1 || m_state.muxLink == mux::controlLink) {
        // Each frame shows its own trace line as it goes out: the list tells exactly what
        // was sent, also when a long text takes several frames.
        for (const QString& piece : mux::framePieces(s)) {
            if (m_state.Echo1)
                m_list.AddtoList(1, mux::traceLine(m_state.muxLink, piece));
            for (const char byte : mux::textFrame(m_state.muxLink, piece))
                m_io.c_putc(static_cast<unsigned char>(byte));
        }
        if (m_state.CopyToSend1)
            m_shown.setSendBox(s);
        return;
    }
    m_io.c_putc(ascii::CR);
    m_io.c_puts(s);
    m_io.c_putc(ascii::LF);
    if (m_state.CopyToSend1)
        m_shown.setSendBox(s);
}

void Transmitter::mc_puts_cmd(const QString& s)
{
    if (!m_state.MUX1) {
        mc_puts(s);
        return;
    }
    const int link = m_state.muxLink;
    m_state.muxLink = mux::controlLink;
    mc_puts(s);
    m_state.muxLink = link;
}
