// Serivox: a serial terminal for radio modules.
#include "Fonts.h"
#include "TMain.h"
#include "TerminalTexts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(texts::appTitle);
    QApplication::setApplicationVersion(QStringLiteral(SERIVOX_VERSION));
    useWindowsFontsOrStandIns();

    TMain main;
    main.show();
    return QApplication::exec();
}
