#include "Fonts.h"

#include <QApplication>

void useWindowsFontsOrStandIns()
{
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    // Liberation Mono has Courier New's widths and full strokes at 12 pixels; Nimbus Mono PS,
    // Courier's own clone, is drawn so thin there that green on black fades.
    QFont::insertSubstitutions(QStringLiteral("Courier"), {QStringLiteral("Liberation Mono"),
                                                           QStringLiteral("DejaVu Sans Mono"),
                                                           QStringLiteral("Nimbus Mono PS")});
    QApplication::setFont(windowFont());
}

QFont windowFont()
{
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    return tahoma;
}
