#pragma once

#include "PtyPeer.h"
#include "ScriptedPrompts.h"
#include "TestProfile.h"
#include "VirtualClock.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

// A terminal core in a throw-away profile, pacing on a virtual clock, with modules on
// pseudo-terminals linked as COM ports.
class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // A module on a pseudo-terminal, linked as COMn.
    PtyPeer& plug(int port);
    // The module is unplugged: its device is gone, the link stays.
    void unplug(int port);
    // The module comes back, on a new device behind the same number.
    void plugBack(int port);

    // Start-up as the window's first showing does it, on COM1.
    void startUp();
    // Opens port n at the default line settings, with a module plugged into it.
    PtyPeer& startOn(int port);

    // Receive ticks as the window runs them, each followed by the window's next frame.
    // The terminal's reads never wait; as the window's ticks come 10 ms apart, each tick
    // here first gives the line up to `lineDelayMs` to deliver what the module sent.
    void tick(int times = 1);
    // Ticks until `done` holds, at most `limit` times; false when it never held.
    bool tickUntil(const std::function<bool()>& done, int limit = 200);
    void tickOnce();
    // The module sends bytes and the terminal takes them all in.
    void receive(const QByteArray& bytes);

    QStringList lines() const;

    static constexpr int lineDelayMs = 30;

    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    std::unique_ptr<TerminalCore> core;
    std::map<int, std::unique_ptr<PtyPeer>> peers;
};
