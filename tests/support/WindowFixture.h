#pragma once

#include "PtyPeer.h"
#include "ScriptedPrompts.h"
#include "TMain.h"
#include "TestProfile.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>

class QAction;

// The main window offscreen, in a throw-away profile, pacing on a virtual clock, with
// modules on pseudo-terminals linked as COM ports.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // A module on a pseudo-terminal, linked as COMn.
    PtyPeer& plug(int port);
    // Shows the window; its first showing opens COM1.
    void showWindow();
    // Shows the SPP, BGIO, HID and GainSpan tool bars through their View items.
    void showAllToolBars();

    TerminalCore& core() { return window->core(); }
    QAction* action(const QString& name) const;
    template <typename T> T* control(const QString& name) const
    {
        return window->findChild<T*>(name);
    }
    // Clicks the control of this name as a person would: a menu item is chosen, a shown
    // button is clicked with the mouse; a hidden button is clicked from code.
    void click(const QString& name);
    // Puts the text into the MAC box as if typed.
    void typeMac(const QString& text);

    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    std::map<int, std::unique_ptr<PtyPeer>> peers;
    std::unique_ptr<TMain> window;
};

// Bytes as spaced hex digits, so that a failing comparison shows where it differs.
std::string hexOf(const QByteArray& bytes);
