#include "WindowFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QTest>

void WindowFixture::SetUp() { window = std::make_unique<TMain>(profile.platform(clock), &prompts); }

PtyPeer& WindowFixture::plug(int port)
{
    auto& peer = peers[port];
    peer = std::make_unique<PtyPeer>();
    profile.link(port, peer->devicePath());
    return *peer;
}

void WindowFixture::showWindow()
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // The start-up (opening the port) runs from the event loop once the window is shown.
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
}

void WindowFixture::showAllToolBars()
{
    for (const char* item : {"SPP1", "BGIO1", "HID1", "GainSpan1"})
        action(item)->trigger();
}

QAction* WindowFixture::action(const QString& name) const
{
    return window->findChild<QAction*>(name);
}

void WindowFixture::click(const QString& name)
{
    if (QAction* item = action(name)) {
        item->trigger();
        return;
    }
    auto* button = control<QAbstractButton>(name);
    ASSERT_NE(button, nullptr) << "no control named " << name.toStdString();
    if (button->isVisible())
        QTest::mouseClick(button, Qt::LeftButton);
    else
        button->click();
}

void WindowFixture::typeMac(const QString& text)
{
    control<QComboBox>("ComboBox1")->setEditText(text);
}

std::string hexOf(const QByteArray& bytes) { return bytes.toHex(' ').toUpper().toStdString(); }
