// Keys pressed in the terminal list, through the real widget.
#include "SendFixture.h"
#include "TerminalView.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

namespace {

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QByteArray wire;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class TypingKeysTest : public SendFixture, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(TypingKeysTest, SendsWhatTheKeyTypes)
{
    const KeyCase& c = GetParam();
    TerminalView view(*core);
    core->preset(&TerminalState::Echo1, true);
    QTest::keyClick(&view, c.key, c.modifiers);
    EXPECT_EQ(sent(), c.wire);
    const QStringList echoed = c.wire.isEmpty() ? QStringList{} : QStringList{QString(c.wire)};
    EXPECT_EQ(lines(), echoed);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TypingKeysTest,
    ::testing::Values(KeyCase{"letter", Qt::Key_A, Qt::NoModifier, "a"},
                      KeyCase{"enter", Qt::Key_Return, Qt::NoModifier, "\r"},
                      KeyCase{"backspace", Qt::Key_Backspace, Qt::NoModifier, "\b"},
                      KeyCase{"escape", Qt::Key_Escape, Qt::NoModifier, "\x1b"},
                      KeyCase{"ctrlC", Qt::Key_C, Qt::ControlModifier, "\x03"},
                      KeyCase{"ctrlShiftZ", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier,
                              "\x1a"},
                      KeyCase{"arrowSendsNothing", Qt::Key_Down, Qt::NoModifier, ""},
                      KeyCase{"functionKeySendsNothing", Qt::Key_F1, Qt::NoModifier, ""},
                      KeyCase{"altLetterIsLeftToTheMenus", Qt::Key_F, Qt::AltModifier, ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

using TypingShortcutTest = SendFixture;

// Some platforms give Delete the text DEL (0x7F); the key types no character all the same.
TEST_F(TypingShortcutTest, DeleteSendsNothingWhateverTextItsEventCarries)
{
    TerminalView view(*core);
    core->preset(&TerminalState::Echo1, true);
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, modifiers, QStringLiteral("\x7f"));
        QApplication::sendEvent(&view, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Delete, modifiers, QStringLiteral("\x7f"));
        QApplication::sendEvent(&view, &release);
    }
    EXPECT_EQ(sent(), QByteArray());
    EXPECT_EQ(lines(), QStringList{});
}

TEST_F(TypingShortcutTest, ControlCodesReachTheModuleBeforeWindowShortcuts)
{
    QWidget window;
    auto* view = new TerminalView(*core, &window);
    QAction copy(&window);
    copy.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    window.addAction(&copy);
    int copies = 0;
    QObject::connect(&copy, &QAction::triggered, [&] { ++copies; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    view->setFocus();

    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(sent(), QByteArray("\x03"));
    EXPECT_EQ(copies, 0);
}

} // namespace
