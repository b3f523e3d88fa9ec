// The send operations of the module commands: a frame on the current link in
// multiplexing mode (or while the control link is chosen), else the plain form.
#include "TerminalCore.h"

#include "ByteRendering.h"
#include "MuxFraming.h"

void TerminalCore::mc_puts(const QString& s)
{
    if (st.MUX1 || st.muxLink == mux::controlLink) {
        // Each frame shows its own trace line as it goes out: the list tells exactly what
        // was sent, also when a long text takes several frames.
        for (const QString& piece : mux::framePieces(s)) {
            if (st.Echo1)
                AddtoList(1, mux::traceLine(st.muxLink, piece));
            for (const char byte : mux::textFrame(st.muxLink, piece))
                m_io.c_putc(static_cast<unsigned char>(byte));
        }
        if (st.CopyToSend1)
            setSendBox(s);
        return;
    }
    m_io.c_putc(ascii::CR);
    m_io.c_puts(s);
    m_io.c_putc(ascii::LF);
    if (st.CopyToSend1)
        setSendBox(s);
}

void TerminalCore::mc_puts_cmd(const QString& s)
{
    if (!st.MUX1) {
        mc_puts(s);
        return;
    }
    const int link = st.muxLink;
    st.muxLink = mux::controlLink;
    mc_puts(s);
    st.muxLink = link;
}
