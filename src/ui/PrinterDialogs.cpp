#include "PrinterDialogs.h"

#include <QPageSetupDialog>
#include <QPrintDialog>

bool PlatformPrinterDialogs::PrintDialog1(QPrinter& printer)
{
    QPrintDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    return dialog.exec() == QDialog::Accepted;
}

void PlatformPrinterDialogs::PrinterSetupDialog1(QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    dialog.exec();
}
