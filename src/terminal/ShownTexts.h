#pragma once

#include "TerminalState.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

// The texts the window shows and the core writes: the six status bar panels, the title,
// the send box (ESend), the MAC box (ComboBox1 and its hidden twin MAC), the Channel box
// and the hints of MUX1, SELECT and CLOSECH. Each setter signals only a real change, so a
// view that writes back what it was told stops there.
class ShownTexts : public QObject {
    Q_OBJECT
public:
    ShownTexts();

    const QString& panel(int i) const { return m_panels.at(std::size_t(i)); }
    void setPanel(int i, const QString& text);
    const QString& title() const { return m_title; }
    void setTitle(const QString& title);

    const QString& sendBox() const { return m_sendBox; }
    void setSendBox(const QString& text);

    const QStringList& macItems() const { return m_macItems; }
    const QString& macText() const { return m_macText; }
    void setMacText(const QString& text);
    const QString& macHidden() const { return m_macHidden; }
    // An inquiry answer named a module: its address joins the MAC box's items and is chosen.
    void addInquiryAddress(const QString& address);

    // The Channel box's text. Setting it runs nothing: the box runs ChannelChange after
    // each change, typed or picked.
    const QString& channelText() const { return m_channelText; }
    void setChannelText(const QString& text) { m_channelText = text; }

    // Hints that follow the state: of "MUX1", "SELECT" and "CLOSECH".
    QString hint(const QString& control) const { return m_hints.value(control); }
    void setHint(const QString& control, const QString& hint);

signals:
    void panelChanged(int index, const QString& text);
    void titleChanged(const QString& title);
    void sendBoxChanged(const QString& text);
    void macBoxChanged();
    void hintChanged(const QString& control, const QString& hint);

private:
    StatusPanels m_panels;
    QString m_title;
    QString m_sendBox;
    QStringList m_macItems;
    QString m_macText;
    QString m_macHidden;
    QString m_channelText;
    QHash<QString, QString> m_hints;
};
