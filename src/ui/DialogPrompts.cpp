#include "DialogPrompts.h"

#include "TerminalTexts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
const QString logFileFilter = QStringLiteral("CSV Files (*.csv);;All Files (*)");
const QString downloadFileFilter = QStringLiteral("Hex File (*.hex);;All Files (*)");
} // namespace

void DialogPrompts::showMessage(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::NoIcon, texts::appTitle, text, QMessageBox::Ok, m_parent);
    box.setInformativeText(detail);
    box.exec();
}

// Send is the default; Escape cancels.
bool DialogPrompts::askToSend(const QString& question)
{
    QMessageBox box(QMessageBox::Question, texts::appTitle, question, QMessageBox::NoButton,
                    m_parent);
    QPushButton* send = box.addButton(QStringLiteral("Send"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(send);
    box.exec();
    return box.clickedButton() == send;
}

// Qt's own dialog, which takes the name of a file that does not exist like any other.
std::optional<QString> DialogPrompts::askDownloadFile()
{
    QFileDialog dialog(m_parent, QString(), QString(), downloadFileFilter);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
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
