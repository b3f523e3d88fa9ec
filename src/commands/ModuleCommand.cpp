// How a module command goes out: by its route, through the terminal's send operations.
#include "ModuleCommand.h"

#include "ByteRendering.h"
#include "MuxFraming.h"
#include "TerminalCore.h"

namespace commands {
namespace {

// The seven bytes straight to the driver, in a frame of their own while Multiplex is on.
// Unlike mc_puts, the control link alone (Multiplex off) does not frame them.
void sendPins(TerminalCore& core, const PinBytes& pins)
{
    const QByteArray payload(reinterpret_cast<const char*>(pins.data()), qsizetype(pins.size()));
    const QByteArray bytes =
        core.state().MUX1 ? mux::frame(core.state().muxLink, payload) : payload;
    for (const char byte : bytes)
        core.io().c_putc(static_cast<unsigned char>(byte));
    if (core.state().CopyToSend1)
        core.shown().setSendBox(pinCopyText(pins));
}

// Tells the module its new line settings, then follows it there: the port is reopened
// once per parameter, as the Parameters menu would, and "SET" lists the module's
// settings at the new speed.
void changeBaud(TerminalCore& core, const ModuleCommand& command)
{
    constexpr int settleMs = 5;
    core.transmitter().mc_puts(QString::fromLatin1(command.text));
    core.portControl().selectLineParameter(&TerminalState::baudRate, command.baudRate);
    core.portControl().selectLineParameter(&TerminalState::parity, command.parity);
    core.portControl().selectLineParameter(&TerminalState::dataBits, 8);
    core.portControl().selectLineParameter(&TerminalState::stopBits, 1);
    core.io().sleep(settleMs);
    core.io().c_putc(ascii::CR);
    core.transmitter().mc_puts(QStringLiteral("SET"));
}

} // namespace

QString commandText(const ModuleCommand& command, const QString& macText)
{
    const QString text = QString::fromLatin1(command.text);
    if (!command.afterMac)
        return text;
    return text + macText + QString::fromLatin1(command.afterMac);
}

QString pinCopyText(const PinBytes& pins)
{
    QString text = QStringLiteral("HEX:");
    for (const unsigned char byte : pins)
        text += QString::asprintf(" %02X", unsigned(byte));
    return text;
}

void run(TerminalCore& core, const ModuleCommand& command)
{
    const QString text = commandText(command, core.shown().macText());
    switch (command.route) {
    case Route::mc_puts: core.transmitter().mc_puts(text); break;
    case Route::mc_puts_cmd: core.transmitter().mc_puts_cmd(text); break;
    case Route::c_puts: core.io().c_puts(text); break;
    case Route::crThen_c_puts:
        core.io().c_putc(ascii::CR);
        core.io().c_puts(text);
        break;
    case Route::rawPins: sendPins(core, command.pins); break;
    case Route::baudChange: changeBaud(core, command); break;
    }
}

} // namespace commands
