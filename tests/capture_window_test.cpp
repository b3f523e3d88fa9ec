// The capture log through the window: the File menu's items, the real file dialog, and the
// receive timer that keeps running while the dialog is open.
#include "WindowFixture.h"

#include "DialogPrompts.h"
#include "StatusBar.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

class CaptureWindowTest : public WindowFixture {
protected:
    // The dialog confirms `path`.
    void chooseInDialog(const QString& path)
    {
        prompts.logFileDialog = [path](const QString&, const QString&) {
            return UserPrompts::LogFileAnswer{true, path, QFileInfo(path).absolutePath()};
        };
    }
    QByteArray contentOf(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    int shownLines() const { return control<QAbstractItemView>("ListBox1")->model()->rowCount(); }
    QString panel4() const { return window->statusPanels()->panelText(4); }

    QTemporaryDir folder;
};

TEST_F(CaptureWindowTest, LogItemCapturesWhatTheTimerReceives)
{
    PtyPeer& module = plug(1);
    showWindow();
    const QString path = QDir(folder.path()).filePath("window.csv");
    chooseInDialog(path);

    click("Log1");
    EXPECT_TRUE(action("Log1")->isChecked());
    EXPECT_EQ(panel4(), "=>" + path);
    module.send("OK\r");
    EXPECT_TRUE(QTest::qWaitFor([&] { return contentOf(path) == "O\r\nK\r\n\r\nOK\r\n"; }, 5000))
        << contentOf(path).toStdString();

    click("Timestamp1");
    click("DateStamp1");
    EXPECT_TRUE(action("Timestamp1")->isChecked() && core().state().Timestamp1);
    EXPECT_TRUE(action("DateStamp1")->isChecked() && core().state().DateStamp1);

    click("Log1");
    EXPECT_FALSE(action("Log1")->isChecked());
    EXPECT_EQ(panel4(), " ");
    EXPECT_TRUE(prompts.messages.isEmpty());
}

// The dialog is modal; the receive timer keeps firing in its event loop, so a byte that
// arrives meanwhile is shown and runs the countdown out.
TEST_F(CaptureWindowTest, AByteArrivingWhileTheDialogIsOpenStartsTheCapture)
{
    PtyPeer& module = plug(1);
    showWindow();
    QString proposed;
    prompts.logFileDialog = [&](const QString&, const QString& name) {
        proposed = name;
        module.send("x");
        const bool shown = QTest::qWaitFor([&] { return shownLines() == 1; }, 5000);
        EXPECT_TRUE(shown) << "the receive timer did not run while the dialog was open";
        return UserPrompts::LogFileAnswer{false, QString(), folder.path()};
    };
    click("Log1");
    const QString path = QDir(folder.path()).filePath(proposed);
    EXPECT_TRUE(action("Log1")->isChecked());
    EXPECT_EQ(panel4(), "=>" + path);
    module.send("y");
    EXPECT_TRUE(QTest::qWaitFor([&] { return contentOf(path) == "y\r\n"; }, 5000));
}

TEST_F(CaptureWindowTest, AFullDeviceCostsNoByteAndOneMessage)
{
    PtyPeer& module = plug(1);
    showWindow();
    chooseInDialog("/dev/full");
    click("Log1");
    QByteArray burst;
    for (int i = 0; i < 200; ++i)
        burst += "line " + QByteArray::number(i) + "\r";
    module.send(burst);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownLines() == 201; }, 10000));
    auto* list = control<QAbstractItemView>("ListBox1");
    EXPECT_EQ(list->model()->index(199, 0).data().toString(), "line 199");
    QTest::qWait(50);
    EXPECT_EQ(prompts.messages, QStringList{"Unable to Write Log File /dev/full"});
    EXPECT_TRUE(action("Log1")->isChecked());
}

// The window's own dialog: its filter, the proposed name, and the folder it tells back.
TEST_F(CaptureWindowTest, TheFileDialogProposesTheNameAndTellsItsFolder)
{
    showWindow();
    DialogPrompts dialogs(window.get());
    QTemporaryDir other;
    const QString chosen = QDir(other.path()).filePath("chosen.csv");
    QStringList filters;
    QString nameBox;
    QString openedOn;
    auto answerWith = [&](bool confirm) {
        QTimer::singleShot(0, [&, confirm] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName(), "LogFileOpenDialog");
            filters = dialog->nameFilters();
            openedOn = dialog->directory().absolutePath();
            nameBox = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
            dialog->setDirectory(other.path());
            if (confirm) {
                dialog->selectFile(chosen);
                static_cast<QDialog*>(dialog)->accept(); // as the Open button does
            } else {
                dialog->reject();
            }
        });
    };

    answerWith(false);
    UserPrompts::LogFileAnswer answer = dialogs.askLogFile(folder.path(), "09Dec2026-12h00.csv");
    EXPECT_EQ(filters, (QStringList{"CSV Files (*.csv)", "All Files (*)"}));
    EXPECT_EQ(openedOn, folder.path());
    EXPECT_EQ(nameBox, "09Dec2026-12h00.csv");
    EXPECT_FALSE(answer.confirmed);
    EXPECT_EQ(answer.directory, other.path());

    answerWith(true);
    answer = dialogs.askLogFile(folder.path(), "09Dec2026-12h00.csv");
    EXPECT_TRUE(answer.confirmed);
    EXPECT_EQ(answer.fileName, chosen);
}

} // namespace
