#include "Fonts.h"

#include <QApplication>

void useWindowsFontsOrStandIns()
{
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Courier"),
                               {QStringLiteral("Nimbus Mono PS"), QStringLiteral("Liberation Mono"),
                                QStringLiteral("DejaVu Sans Mono")});
    QApplication::setFont(windowFont());
}

QFont windowFont()
{
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    return tahoma;
}
