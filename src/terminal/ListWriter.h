#pragma once

#include <QByteArrayView>
#include <QString>

class TerminalListModel;
struct TerminalState;

// AddtoList: text joins the terminal list's last line, and lines begin after it. The
// receiver writes what arrived here, the transmitter what it echoes.
class ListWriter {
public:
    ListWriter(TerminalListModel& list, const TerminalState& state);

    // Adds `s` to the last line, then `newLine` new lines (each starting with the echo
    // prompt while Echo is on); -1 takes the last character back instead.
    void AddtoList(int newLine, const QString& s);
    // AddtoList(0, s) for received text given as Latin-1 bytes.
    void appendReceived(QByteArrayView latin1);

private:
    TerminalListModel& m_list;
    const TerminalState& m_state;
};
