#include "DialogPrompts.h"

#include "TerminalTexts.h"

#include <QFileDialog>
#include <QMessageBox>

void DialogPrompts::showMessage(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::NoIcon, texts::appTitle, text, QMessageBox::Ok, m_parent);
    box.setInformativeText(detail);
    box.exec();
}

// Qt's own dialog, which takes the name of a file that does not exist like any other.
std::optional<QString> DialogPrompts::askDownloadFile()
{
    QFileDialog dialog(m_parent, QString(), QString(),
                       QStringLiteral("Hex File (*.hex);;All Files (*)"));
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
