#include "DialogPrompts.h"

#include "TerminalTexts.h"

#include <QMessageBox>

void DialogPrompts::showMessage(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::NoIcon, texts::appTitle, text, QMessageBox::Ok, m_parent);
    box.setInformativeText(detail);
    box.exec();
}
