#include "Fonts.h"

#include <QApplication>

namespace {

// What stands in for Tahoma, in order of preference. The captions are sized for Tahoma,
// whose capitals are narrower than those of the common sans serifs: at the controls'
// fixed widths "SELECT" or "BGIO AUTOCALL" would be cut in Arial's widths. The narrow
// faces keep every caption whole; the wider ones are the last resort.
const QStringList tahomaStandIns{QStringLiteral("Liberation Sans Narrow"),
                                 QStringLiteral("Nimbus Sans Narrow"),
                                 QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};

} // namespace

void useWindowsFontsOrStandIns()
{
    // Liberation Mono has Courier New's widths and full strokes at 12 pixels; Nimbus Mono PS,
    // Courier's own clone, is drawn so thin there that green on black fades.
    QFont::insertSubstitutions(QStringLiteral("Courier"), {QStringLiteral("Liberation Mono"),
                                                           QStringLiteral("DejaVu Sans Mono"),
                                                           QStringLiteral("Nimbus Mono PS")});
    QApplication::setFont(windowFont());
}

QFont windowFont()
{
    // Wherever Tahoma is asked for and missing, its stand-ins take its place.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), tahomaStandIns);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    return tahoma;
}

QString windowFontRule()
{
    const QFont font = windowFont();
    return QStringLiteral("* { font: %1pt \"%2\"; }").arg(font.pointSize()).arg(font.family());
}
