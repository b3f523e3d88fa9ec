// Sending by hand: the send box, typing into the terminal list, the command/data escape.
#include "TerminalCore.h"

#include "ByteRendering.h"
#include "TerminalTexts.h"
#include "UserPrompts.h"

namespace {

// The module's guard time before and after its escape sequence.
constexpr int escapeGuardMs = 1000;

// A character as HexMode Write sends it: uppercase hex digits right-aligned in two
// columns, then a space ("D" for CR becomes " D ").
QString hexForm(QChar c) { return QString::asprintf("%2X ", unsigned(c.unicode())); }

} // namespace

void TerminalCore::SendDataClick()
{
    const QString typed = m_sendBox;
    const QString text = st.MUX1 ? typed + QChar(ascii::CR) : typed;
    if (!st.HexModeWrite1) {
        mc_puts(text);
        return;
    }
    // The hex path is never framed.
    for (const QChar c : text)
        m_io.c_write(hexForm(c));
    m_io.c_puts(QString());
    setSendBox(typed);
}

void TerminalCore::ListBox1KeyPress(QChar key)
{
    if (st.HexModeWrite1)
        m_io.c_puts(hexForm(key));
    else
        m_io.c_putc(key.unicode());
    if (st.Echo1)
        AddtoList(0, QString(key));
}

void TerminalCore::COMMANDClick()
{
    if (st.MUX1) {
        m_prompts.showMessage(texts::noEscapeInMultiplex, QString());
        return;
    }
    m_io.sleep(escapeGuardMs);
    m_io.c_write(texts::escapeSequence);
    m_io.sleep(escapeGuardMs);
}

void TerminalCore::SCR1Click() { mc_puts(QStringLiteral("S\r\n")); }

void TerminalCore::HexModeWrite1Click()
{
    toggleOption(&TerminalState::HexModeWrite1);
    showHexIndicator();
}

void TerminalCore::CopyToSend1Click() { toggleOption(&TerminalState::CopyToSend1); }
