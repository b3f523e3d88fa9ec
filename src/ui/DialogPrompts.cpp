#include "DialogPrompts.h"

#include "TerminalTexts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
const QString logFileFilter = QStringLiteral("CSV Files (*.csv);;All Files (*)");
}

void DialogPrompts::showMessage(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::NoIcon, texts::appTitle, text, QMessageBox::Ok, m_parent);
    box.setInformativeText(detail);
    box.exec();
}

// Qt's own dialog rather than the desktop's: it tells which folder it was showing when it
// was cancelled, where a capture started by arriving data then goes.
UserPrompts::LogFileAnswer DialogPrompts::askLogFile(const QString& directory,
                                                     const QString& proposedName)
{
    QFileDialog dialog(m_parent, QString(), directory, logFileFilter);
    dialog.setObjectName(QStringLiteral("LogFileOpenDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(proposedName);
    const bool confirmed = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    return {confirmed, confirmed ? dialog.selectedFiles().constFirst() : QString(),
            dialog.directory().absolutePath()};
}
