#pragma once

#include "TerminalState.h"

#include <QColor>
#include <QObject>

class ShownTexts;

// Colours of the terminal list.
struct ListColours {
    QColor background;
    QColor text;
};

// The options of the View menu and the indicators that follow them in the status bar:
// Echo (panel 2), HexMode and HexMode Write (panel 3). Every option's check mark changes
// through toggle() or set(); the other parts toggle their own options here too, so that
// the window hears of each change through optionsChanged.
class DisplayOptions : public QObject {
    Q_OBJECT
public:
    DisplayOptions(TerminalState& state, ShownTexts& shown);

    void HexModeClick();
    void Echo1Click();
    void Unreadable1Click();
    void Timestamp1Click();
    void DateStamp1Click();
    void OrvinTerminalClick();
    void AddLinefeedton1Click();
    ListColours listColours() const;

    void toggle(bool TerminalState::*option);
    // Sets an option and tells the window.
    void set(bool TerminalState::*option, bool on);
    // Options were set straight in the state (start-up): the window shows them now.
    void showChanges() { emit optionsChanged(); }
    void showEchoIndicator();
    void showHexIndicator();

signals:
    void optionsChanged();
    void coloursChanged();

private:
    TerminalState& m_state;
    ShownTexts& m_shown;
};
