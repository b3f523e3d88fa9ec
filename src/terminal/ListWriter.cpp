#include "ListWriter.h"

#include "TerminalListModel.h"
#include "TerminalState.h"
#include "TerminalTexts.h"

ListWriter::ListWriter(TerminalListModel& list, const TerminalState& state)
    : m_list(list), m_state(state)
{
}

void ListWriter::AddtoList(int newLine, const QString& s)
{
    if (m_list.lines().isEmpty())
        m_list.addLine(QString());
    if (!s.isEmpty())
        m_list.appendToLast(s);
    for (int i = 0; i < newLine; ++i)
        m_list.addLine(m_state.Echo1 ? texts::echoPrefix : QString());
    if (newLine == -1)
        m_list.removeLastChar();
}

void ListWriter::appendReceived(QByteArrayView latin1)
{
    if (latin1.isEmpty() && !m_list.lines().isEmpty())
        return;
    m_list.appendLatin1ToLast(latin1);
}
