#include "TerminalCore.h"

#include "TerminalTexts.h"
#include "UserPrompts.h"

#include <QMetaObject>

TerminalCore::TerminalCore(UserPrompts& prompts, TerminalPlatform platform, QObject* parent)
    : QObject(parent), m_prompts(prompts), m_now(std::move(platform.now)),
      m_listDevices(std::move(platform.listDevices)), m_ports(platform.portsDir),
      m_io(m_ports, *this, m_gate.guard(m_download.countingPaces(std::move(platform.pause))),
           std::move(platform.makeDevice)),
      m_settingsDir(std::move(platform.settingsDir)), m_version(platform.version),
      m_macText(texts::macDesignText),
      m_channelText(texts::startChannel), m_hints{{QStringLiteral("MUX1"), texts::muxOnCommand},
                                                  {QStringLiteral("SELECT"), texts::selectCaption},
                                                  {QStringLiteral("CLOSECH"), texts::closeCommand}}
{
    // Told during a receive tick: shown after it, as the capture file's failures are.
    connect(&m_list, &TerminalListModel::scrollbackFailed, this,
            [this](const QString& folder, const QString& reason) {
                m_gate.run([this, folder, reason] {
                    m_prompts.showMessage(texts::unableToWriteScrollback + folder, reason);
                });
            },
            Qt::QueuedConnection);
}

// The port closes while the whole terminal is still there to hear of it.
TerminalCore::~TerminalCore() { m_io.c_close(); }

void TerminalCore::setPanel(int i, const QString& text)
{
    if (changeTo(m_panels.at(std::size_t(i)), text))
        emit panelChanged(i, text);
}

void TerminalCore::setTitle(const QString& title)
{
    if (changeTo(m_title, title))
        emit titleChanged(title);
}

void TerminalCore::setMarks(const PortMarks& marks)
{
    if (changeTo(m_marks, marks))
        emit marksChanged();
}

void TerminalCore::setSendBox(const QString& text)
{
    if (changeTo(m_sendBox, text))
        emit sendBoxChanged(text);
}

void TerminalCore::setMacText(const QString& text)
{
    if (changeTo(m_macText, text))
        emit macBoxChanged();
}

void TerminalCore::AddtoList(int newLine, const QString& s)
{
    if (m_list.lines().isEmpty())
        m_list.addLine(QString());
    m_list.appendToLast(s);
    for (int i = 0; i < newLine; ++i)
        m_list.addLine(st.Echo1 ? texts::echoPrefix : QString());
    if (newLine == -1)
        m_list.removeLastChar();
}

// AddtoList(0, s) for received text given as Latin-1 bytes.
void TerminalCore::appendReceived(QByteArrayView latin1)
{
    if (latin1.isEmpty() && !m_list.lines().isEmpty())
        return;
    m_list.appendLatin1ToLast(latin1);
}

void TerminalCore::appendListLine(const QString& text) { m_list.addLine(text); }

void TerminalCore::Clear1Click()
{
    m_list.clear();
    m_pendingEscape.clear();
}

void TerminalCore::portClosed() { m_pendingEscape.clear(); }

void TerminalCore::readFailed()
{
    // Shown after the tick: a modal box inside the timer's own slot would stop the timer.
    if (m_readFailureQueued)
        return;
    m_readFailureQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_gate.run([this] {
                m_prompts.showMessage(texts::readException, QString());
                m_readFailureQueued = false;
            });
        },
        Qt::QueuedConnection);
}
