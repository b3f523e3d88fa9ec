#include "ShownTexts.h"

#include "TerminalTexts.h"

namespace {
// Views hear of a change only when there is one: set_com runs every tick while offline.
template <typename T> bool changeTo(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}
} // namespace

ShownTexts::ShownTexts()
    : m_macText(texts::macDesignText),
      m_channelText(texts::startChannel), m_hints{{QStringLiteral("MUX1"), texts::muxOnCommand},
                                                  {QStringLiteral("SELECT"), texts::selectCaption},
                                                  {QStringLiteral("CLOSECH"), texts::closeCommand}}
{
}

void ShownTexts::setPanel(int i, const QString& text)
{
    if (changeTo(m_panels.at(std::size_t(i)), text))
        emit panelChanged(i, text);
}

void ShownTexts::setTitle(const QString& title)
{
    if (changeTo(m_title, title))
        emit titleChanged(title);
}

void ShownTexts::setSendBox(const QString& text)
{
    if (changeTo(m_sendBox, text))
        emit sendBoxChanged(text);
}

void ShownTexts::setMacText(const QString& text)
{
    if (changeTo(m_macText, text))
        emit macBoxChanged();
}

void ShownTexts::addInquiryAddress(const QString& address)
{
    m_macHidden = address;
    if (!m_macItems.contains(address))
        m_macItems.append(address);
    m_macText = m_macItems.last();
    emit macBoxChanged();
}

void ShownTexts::setHint(const QString& control, const QString& hint)
{
    if (changeTo(m_hints[control], hint))
        emit hintChanged(control, hint);
}
