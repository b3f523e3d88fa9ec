// Serivox: a serial terminal for radio modules.
#include "CommandLine.h"
#include "FailedWriteSignals.h"
#include "Fonts.h"
#include "QuitOnSignals.h"
#include "TMain.h"
#include "TerminalTexts.h"
#include "XdgFolders.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    // Before anything is written: a file that cannot grow must not end the program.
    ignoreSignalsOfFailedWrites();
    ignoreRelativeXdgFolders();
    // --help, --version and a start with no display end here, before Qt needs a display.
    if (const std::optional<int> status = answerCommandLine(argc, argv))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(texts::appTitle);
    QApplication::setApplicationVersion(QStringLiteral(SERIVOX_VERSION));
    // The icon of the desktop entry, for the window and the task bar.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/serivox.svg")));
    QApplication::setDesktopFileName(QStringLiteral("serivox"));
    useWindowsFontsOrStandIns();

    TMain main;
    // Asked to stop, the program ends as when its window is closed: port closed, settings kept.
    // A download in progress is stopped; any other send ends first, as with any other
    // handler. The window has closed by then, so the loop is left at once rather than asked
    // to close every window again.
    const QuitOnSignals stop([&main] {
        main.core().download().stop();
        main.core().gate().run([&main] {
            main.close();
            QCoreApplication::exit(0);
        });
    });
    main.show();
    return QApplication::exec();
}
