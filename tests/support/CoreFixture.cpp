#include "CoreFixture.h"

void CoreFixture::SetUp()
{
    core = std::make_unique<TerminalCore>(prompts, profile.platform(clock));
}

PtyPeer& CoreFixture::plug(int port)
{
    auto& peer = peers[port];
    peer = std::make_unique<PtyPeer>();
    profile.link(port, peer->devicePath());
    return *peer;
}

void CoreFixture::unplug(int port) { peers.at(port)->unplug(); }

void CoreFixture::plugBack(int port)
{
    PtyPeer& peer = *peers.at(port);
    peer.plugBack();
    profile.link(port, peer.devicePath());
}

void CoreFixture::startUp() { core->startUp().FormShow(); }

PtyPeer& CoreFixture::startOn(int port)
{
    PtyPeer& peer = plug(port);
    startUp();
    if (port != 1)
        core->portControl().set_comx(port, 1);
    EXPECT_TRUE(core->io().isOpen())
        << "COM" << port << " did not open: " << qPrintable(core->io().lastOpenFailure());
    return peer;
}

void CoreFixture::tick(int times)
{
    for (int i = 0; i < times; ++i)
        tickOnce();
}

void CoreFixture::tickOnce()
{
    const auto peer = peers.find(core->state().portNumber);
    if (peer != peers.end() && core->io().isOpen())
        peer->second->awaitBytesForProgram(lineDelayMs);
    core->receiver().Timer1Timer();
    core->list().publish();
}

bool CoreFixture::tickUntil(const std::function<bool()>& done, int limit)
{
    for (int i = 0; i < limit; ++i) {
        if (done())
            return true;
        tickOnce();
    }
    return done();
}

void CoreFixture::receive(const QByteArray& bytes)
{
    PtyPeer& peer = *peers.at(core->state().portNumber);
    peer.send(bytes);
    // One tick takes everything that has arrived; give the line a moment to deliver.
    for (int i = 0; i < 3; ++i)
        tick();
}

QStringList CoreFixture::lines() const
{
    QStringList result;
    const TerminalLines& l = core->lines();
    for (int i = 0; i < l.count(); ++i)
        result.append(l.line(i));
    return result;
}
