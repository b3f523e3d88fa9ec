#include "MuxControls.h"

#include "ByteRendering.h"
#include "DisplayOptions.h"
#include "IntegerText.h"
#include "MuxFraming.h"
#include "Serial_io.h"
#include "ShownTexts.h"
#include "TerminalTexts.h"
#include "Transmitter.h"
#include "UserPrompts.h"

MuxControls::MuxControls(Parts parts)
    : m_state(parts.state), m_io(parts.io), m_transmitter(parts.transmitter),
      m_options(parts.options), m_shown(parts.shown), m_prompts(parts.prompts)
{
}

void MuxControls::showChannelHints()
{
    m_shown.setHint(QStringLiteral("CLOSECH"), texts::closeCommand + m_shown.channelText());
    m_shown.setHint(QStringLiteral("SELECT"), texts::selectCommand + m_shown.channelText());
}

void MuxControls::MUX1Click()
{
    if (m_state.MUX1) {
        // The module is not in multiplexing mode yet: the command goes out unframed.
        m_io.c_puts(texts::muxOnCommand);
        m_io.c_putc(ascii::CR);
        m_state.muxLink = mux::controlLink;
        m_shown.setHint(QStringLiteral("MUX1"), texts::muxOffCommand);
        // Incoming frames carry unprintable bytes; show them as codes.
        m_options.set(&TerminalState::Unreadable1, false);
        return;
    }
    // A frame while the control link is selected; with a data link selected, the plain
    // form, Multiplex being off already. Start-up comes here too, with no link chosen,
    // where a frame would leave a trace line in the list.
    m_transmitter.mc_puts(texts::muxOffCommand);
    m_shown.setHint(QStringLiteral("MUX1"), texts::muxOnCommand);
    m_state.muxLink = -1;
}

void MuxControls::SELECTClick()
{
    const QString& channel = m_shown.channelText();
    if (m_state.MUX1)
        m_transmitter.mc_puts_cmd(texts::selectCommand + channel);
    const std::optional<int> link = integerFromText(channel);
    if (!link) {
        m_prompts.showMessage(notAnIntegerMessage(channel), QString());
        return;
    }
    m_state.muxLink = *link;
    showChannelHints();
}

void MuxControls::ChannelChange()
{
    showChannelHints();
    SELECTClick();
}

void MuxControls::CLOSECHClick()
{
    m_transmitter.mc_puts_cmd(texts::closeCommand + m_shown.channelText());
    showChannelHints();
}
