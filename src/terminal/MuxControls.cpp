// The multiplexing controls: the Multiplex box, the Channel box, SELECT and CLOSE.
#include "TerminalCore.h"

#include "ByteRendering.h"
#include "IntegerText.h"
#include "MuxFraming.h"
#include "TerminalTexts.h"
#include "UserPrompts.h"

void TerminalCore::setChannelText(const QString& text) { m_channelText = text; }

void TerminalCore::setHint(const QString& control, const QString& hint)
{
    if (changeTo(m_hints[control], hint))
        emit hintChanged(control, hint);
}

void TerminalCore::showChannelHints()
{
    setHint(QStringLiteral("CLOSECH"), texts::closeCommand + m_channelText);
    setHint(QStringLiteral("SELECT"), texts::selectCommand + m_channelText);
}

void TerminalCore::MUX1Click()
{
    if (st.MUX1) {
        // The module is not in multiplexing mode yet: the command goes out unframed.
        m_io.c_puts(texts::muxOnCommand);
        m_io.c_putc(ascii::CR);
        st.muxLink = mux::controlLink;
        setHint(QStringLiteral("MUX1"), texts::muxOffCommand);
        // Incoming frames carry unprintable bytes; show them as codes.
        st.Unreadable1 = false;
        emit optionsChanged();
        return;
    }
    // A frame while the control link is selected; with a data link selected, the plain
    // form, Multiplex being off already. Start-up comes here too, with no link chosen,
    // where a frame would leave a trace line in the list.
    mc_puts(texts::muxOffCommand);
    setHint(QStringLiteral("MUX1"), texts::muxOnCommand);
    st.muxLink = -1;
}

void TerminalCore::SELECTClick()
{
    if (st.MUX1)
        mc_puts_cmd(texts::selectCommand + m_channelText);
    const std::optional<int> link = integerFromText(m_channelText);
    if (!link) {
        m_prompts.showMessage(notAnIntegerMessage(m_channelText), QString());
        return;
    }
    st.muxLink = *link;
    showChannelHints();
}

void TerminalCore::ChannelChange()
{
    showChannelHints();
    SELECTClick();
}

void TerminalCore::CLOSECHClick()
{
    mc_puts_cmd(texts::closeCommand + m_channelText);
    showChannelHints();
}
