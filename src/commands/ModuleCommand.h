#pragma once

#include <QString>
#include <array>

class TerminalCore;

// One one-click module command: the handler that runs it, what it sends and by which route.
// The window's tables say which controls run the handler.
namespace commands {

enum class Route {
    mc_puts,       // the plain form, or a frame on the current link
    mc_puts_cmd,   // as mc_puts, but framed on the control link in multiplexing mode
    c_puts,        // the text and a CR; in multiplexing mode the text alone, never framed
    crThen_c_puts, // one CR, then as c_puts (the GainSpan AT commands)
    rawPins,       // seven raw bytes, framed only while Multiplex is on
    baudChange,    // the command through mc_puts, then the port retuned and "SET" sent
};

using PinBytes = std::array<unsigned char, 7>;

namespace parity {
constexpr int none = 0;
constexpr int even = 2;
} // namespace parity

struct ModuleCommand {
    const char* handler;
    Route route;
    const char* text = "";          // what is sent; before the MAC box text for MAC commands
    const char* afterMac = nullptr; // set for MAC commands: follows the MAC box text
    PinBytes pins{};                // rawPins only
    int baudRate = 0;               // baudChange only: the new line settings
    int parity = parity::none;
};

// Table-row makers, one per kind of command.
constexpr ModuleCommand sends(const char* handler, Route route, const char* text)
{
    return {.handler = handler, .route = route, .text = text};
}

constexpr ModuleCommand withMac(const char* handler, const char* beforeMac, const char* afterMac)
{
    return {.handler = handler, .route = Route::mc_puts, .text = beforeMac, .afterMac = afterMac};
}

constexpr ModuleCommand rawPins(const char* handler, PinBytes pins)
{
    return {.handler = handler, .route = Route::rawPins, .pins = pins};
}

constexpr ModuleCommand retunes(const char* handler, const char* text, int baudRate, int parity)
{
    return {.handler = handler,
            .route = Route::baudChange,
            .text = text,
            .baudRate = baudRate,
            .parity = parity};
}

// The text the command sends with this MAC box text (the box text is taken unchanged).
QString commandText(const ModuleCommand& command, const QString& macText);

// "HEX: " and the pin bytes as two upper-case hex digits each, separated by blanks.
QString pinCopyText(const PinBytes& pins);

// Runs the command on the terminal; returns when its last byte has been written.
void run(TerminalCore& core, const ModuleCommand& command);

} // namespace commands
