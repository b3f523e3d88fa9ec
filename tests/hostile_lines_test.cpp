// Byte streams that hurt, sent by the module to the real window: a line of megabytes without
// an end, a flood of NUL bytes, twenty thousand escape sequences in a row. Each is shown
// whole, and the window keeps turning its event loop and painting while it comes in.
#include "FaultProbes.h"
#include "QtPrinters.h"
#include "WindowFixture.h"

#include <QAbstractItemView>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

namespace {

struct HostileStream {
    const char* name;
    QByteArray (*bytes)();
    // What the terminal's lines are once every byte has been taken in.
    QStringList (*shown)();
};

void PrintTo(const HostileStream& c, std::ostream* os) { *os << c.name; }

constexpr qsizetype longLineBytes = 8 << 20;
constexpr qsizetype nulBytes = 4 << 20;
constexpr int escapes = 20'000;

QByteArray alphabetRun(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('A' + i % 26);
    return bytes;
}

const HostileStream hostileStreams[] = {
    {"LineOfMegabytesWithoutAnEnd", [] { return alphabetRun(longLineBytes); },
     [] { return QStringList{QString::fromLatin1(alphabetRun(longLineBytes))}; }},
    {"NulBytes", [] { return QByteArray(nulBytes, '\0'); },
     [] { return QStringList{QStringLiteral("<00>").repeated(nulBytes)}; }},
    {"EscapeSequences", [] { return QByteArray("\x1b[1m").repeated(escapes) + "end\r"; },
     [] {
         return QStringList{QStringLiteral("\x1b[1m").repeated(escapes) + QStringLiteral("end"),
                            QString()};
     }},
    // Each clears the terminal; what follows the last one is all there is.
    {"ClearScreenSequences",
     [] { return "before\r" + QByteArray("\x1b[2J").repeated(escapes) + "after"; },
     [] { return QStringList{QStringLiteral("after")}; }},
};

class HostileLinesTest : public WindowFixture, public ::testing::WithParamInterface<HostileStream> {
protected:
    QStringList shownLines()
    {
        QStringList lines;
        for (int i = 0; i < core().lines().count(); ++i)
            lines.append(core().lines().line(i));
        return lines;
    }
};

// What the window did while a stream was only partly taken in: turns of its event loop,
// counted by a zero-interval timer that runs once a turn, and paints of one widget.
struct WhileTakingIn : QObject {
    WhileTakingIn(QWidget* painted, std::function<bool()> partlyIn) : m_partlyIn(partlyIn)
    {
        painted->installEventFilter(this);
        connect(&m_turn, &QTimer::timeout, this, [this] { turns += m_partlyIn(); });
        m_turn.start(0);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            paints += m_partlyIn();
        return false;
    }
    int turns = 0;
    int paints = 0;

private:
    std::function<bool()> m_partlyIn;
    QTimer m_turn;
};

TEST_P(HostileLinesTest, IsShownWholeWhileTheWindowKeepsTurning)
{
    PtyPeer& module = plug(1);
    showWindow();
    const QByteArray stream = GetParam().bytes();
    const QStringList expected = GetParam().shown();
    const qsizetype expectedLength = expected.first().size();
    auto* list = control<QAbstractItemView>("ListBox1");
    WhileTakingIn window(list->viewport(), [&] {
        const qsizetype shown = core().lines().lineLength(0);
        return shown > 0 && shown < expectedLength;
    });

    std::atomic<bool> sending = true;
    std::thread sender([&] {
        module.send(stream);
        sending = false;
    });
    const bool complete = QTest::qWaitFor(
        [&] {
            return !sending && core().lines().count() == expected.size() &&
                   core().lines().lineLength(0) == expectedLength;
        },
        120'000);
    sender.join();
    ASSERT_TRUE(complete) << "not every byte was shown: the first line has "
                          << core().lines().lineLength(0) << " of " << expectedLength
                          << " characters";
    EXPECT_TRUE(shownLines() == expected) << "the lines differ from the bytes sent";
    // Megabytes take many ticks to come in, and the loop is free between them: it turns, and
    // the list shows what has come so far.
    if (stream.size() >= 1 << 20) {
        EXPECT_GE(window.turns, 3) << "the event loop stood still";
        EXPECT_GE(window.paints, 1) << "the terminal list was not painted meanwhile";
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, HostileLinesTest, ::testing::ValuesIn(hostileStreams),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
