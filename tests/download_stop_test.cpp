// A running download stopped by a person: Escape, the Stop button beside its progress, or
// File Exit. The send ends after the byte being paced, the terminal list says where it
// stopped, and whatever else the person did waits for the end of the download, as it always
// has.
#include "QtPrinters.h"
#include "StatusBar.h"
#include "WindowFixture.h"
#include "WireForms.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Five lines of ten letters, AAAAAAAAAA to EEEEEEEEEE.
QByteArray fiveLines()
{
    QByteArray file;
    for (char letter = 'A'; letter <= 'E'; ++letter)
        file += QByteArray(10, letter) + "\r\n";
    return file;
}

class DownloadStopTest : public WindowFixture {
public:
    QWidget* terminalList() const { return control<QWidget>("ListBox1"); }
    QPushButton* stopButton() const { return window->statusPanels()->stopButton(); }
    QMenuBar* menuBar() const { return window->menuBar(); }
    QAction* item(const char* name) const { return action(name); }

protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        plug(1);
        showWindow();
        clock.forget();
    }

    QString write(const QByteArray& bytes)
    {
        const QString path = folder.filePath("lines.hex");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QByteArray wire() const { return clock.writtenBytes(); }
    QStringList stopNotes()
    {
        QStringList notes;
        for (int i = 0; i < core().lines().count(); ++i)
            if (core().lines().line(i).startsWith("Download stopped"))
                notes.append(core().lines().line(i));
        return notes;
    }

    QTemporaryDir folder;
};

struct StopMeans {
    const char* name;
    void (*stop)(DownloadStopTest&);
    bool closesTheWindow;
};

void pressEscape(DownloadStopTest& t) { QTest::keyClick(t.terminalList(), Qt::Key_Escape); }

void clickStop(DownloadStopTest& t)
{
    ASSERT_NE(t.stopButton(), nullptr);
    ASSERT_TRUE(t.stopButton()->isVisible());
    QTest::mouseClick(t.stopButton(), Qt::LeftButton);
}

// With the mouse, as a person does: the File menu, then Exit.
void chooseExitFromTheFileMenu(DownloadStopTest& t)
{
    QMenuBar* bar = t.menuBar();
    auto* file = bar->findChild<QMenu*>("File1");
    ASSERT_NE(file, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
    ASSERT_TRUE(file->isVisible()) << "the File menu did not open";
    QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(t.item("Exit1")).center());
}

struct Mode {
    const char* name;
    bool multiplex;
    QByteArray stoppedWire; // the bytes up to the one being paced when the stop came
    QByteArray heldCommand; // what "S<LF>", chosen during the download, writes
    const char* caption;    // the progress beside the line count at that moment
};

void PrintTo(const StopMeans& m, std::ostream* os) { *os << m.name; }
void PrintTo(const Mode& m, std::ostream* os) { *os << m.name; }

const StopMeans stopMeans[] = {
    {"Escape", &pressEscape, false},
    {"StopButton", &clickStop, false},
    {"FileExit", &chooseExitFromTheFileMenu, true},
};

// The stop comes 95 ms into the third line, after its fifth byte.
const Mode modes[] = {
    {"PlainLines", false, "AAAAAAAAAA\rBBBBBBBBBB\rCCCCC", plain("S\r\n"), "48 % \u00b7 1 s left"},
    {"Multiplex", true, "AAAAAAAAAABBBBBBBBBBCCCCC", hexBytes("BF FF 00 03 53 0D 0A 00"),
     "49 % \u00b7 1 s left"},
};

class StopDuringADownload : public DownloadStopTest,
                            public ::testing::WithParamInterface<std::tuple<StopMeans, Mode>> {};

TEST_P(StopDuringADownload, EndsAfterTheBytePacedAndTheRestWaitsForTheEnd)
{
    const auto& [means, mode] = GetParam();
    core().preset(&TerminalState::MUX1, mode.multiplex);
    core().preset(&TerminalState::muxLink, mode.multiplex ? 255 : -1);
    prompts.downloadFile = write(fiveLines());
    const qint64 lineMs = mode.multiplex ? 200 : 210;

    QString progressShown, lineShown, sendBoxDuring = "not seen";
    bool stopShown = false;
    clock.during(clock.now() + 2 * lineMs + 95, [&] {
        auto* progress = window->statusPanels()->downloadProgress();
        progressShown = progress->isVisible() ? progress->text() : QString("hidden");
        stopShown = stopButton()->isVisible();
        lineShown = window->statusPanels()->panelText(1);
        // Keys typed and a command chosen during the download wait for its end.
        QTest::keyClick(terminalList(), Qt::Key_X);
        QTest::keyClick(control<QLineEdit>("ESend"), Qt::Key_Z);
        sendBoxDuring = control<QLineEdit>("ESend")->text();
        item("SCR1")->trigger();
        means.stop(*this);
    });
    click("DownloadFile");

    EXPECT_EQ(hexOf(wire()), hexOf(mode.stoppedWire)) << "nothing after the byte being paced";
    EXPECT_EQ(progressShown, QString::fromUtf8(mode.caption));
    EXPECT_TRUE(stopShown);
    EXPECT_EQ(lineShown, "Line 2");
    EXPECT_EQ(stopNotes(), QStringList{"Download stopped at line 3 of 5"});
    EXPECT_EQ(window->statusPanels()->panelText(1), "");
    EXPECT_FALSE(window->statusPanels()->downloadProgress()->isVisible());
    EXPECT_FALSE(stopButton()->isVisible());

    // What the person did meanwhile follows in its order: the key, the command whole.
    const QByteArray afterTheStop = mode.stoppedWire + "x" + mode.heldCommand;
    EXPECT_TRUE(QTest::qWaitFor([&] { return wire().size() >= afterTheStop.size(); }, 5000));
    EXPECT_EQ(hexOf(wire()), hexOf(afterTheStop));
    EXPECT_EQ(sendBoxDuring, "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return control<QLineEdit>("ESend")->text() == "z"; }, 5000));
    if (means.closesTheWindow) {
        // Then the window closes as at any exit, its settings kept.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 5000));
        EXPECT_TRUE(QFile::exists(core().startUp().settingsFile()));
        return;
    }

    // The next send goes out whole.
    clock.forget();
    control<QLineEdit>("ESend")->setText("AT");
    click("SendData");
    const QByteArray sendWire = mode.multiplex ? hexBytes("BF FF 00 03 41 54 0D 00") : plain("AT");
    EXPECT_EQ(hexOf(wire()), hexOf(sendWire));
}

INSTANTIATE_TEST_SUITE_P(MeansAndModes, StopDuringADownload,
                         ::testing::Combine(::testing::ValuesIn(stopMeans),
                                            ::testing::ValuesIn(modes)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "In" +
                                    std::get<1>(info.param).name;
                         });

// Escape outside a download is a key like any other: typed into the terminal, it goes to the
// module.
TEST_F(DownloadStopTest, EscapeOutsideADownloadIsTypedAsBefore)
{
    QTest::keyClick(terminalList(), Qt::Key_Escape);
    EXPECT_EQ(hexOf(wire()), "1B");
    EXPECT_FALSE(window->statusPanels()->downloadProgress()->isVisible());
}

} // namespace
