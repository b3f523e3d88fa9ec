#include "Fonts.h"

#include <QApplication>
#include <QFont>

void useWindowsFontsOrStandIns()
{
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Courier"),
                               {QStringLiteral("Nimbus Mono PS"), QStringLiteral("Liberation Mono"),
                                QStringLiteral("DejaVu Sans Mono")});
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    QApplication::setFont(tahoma);
}
