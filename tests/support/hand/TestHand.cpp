// A test's hand inside the real program. Tests that run the real program offscreen cannot
// reach its dialogs from outside, so the program is started with this Qt plugin
// (QT_PLUGIN_PATH=<its folder>, QT_QPA_GENERIC_PLUGINS=serivoxhand[:<notes file>]).
// Nothing of this is part of the program: it is loaded only when a test names it. It acts
// only through the window's own controls, as an accessibility client would.
//
// By default it answers every modal dialog as a person pressing Return would: a file dialog
// takes the name in its name box, a message box is dismissed with OK. Each answer is noted as
// one line in the notes file ("dialog <objectName>" or "message <text>"), so the test knows
// what the program asked.
//
// With SERIVOX_HAND_DOWNLOAD naming a file it downloads that file instead: once the port is
// online it chooses File > Download File, types the name into the file dialog and answers
// Send to the question before a long send; other messages stay open.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QGenericPlugin>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

namespace {

class Hand : public QObject {
public:
    Hand(QString notesFile, QString download)
        : m_notesFile(std::move(notesFile)), m_download(std::move(download))
    {
        connect(&m_timer, &QTimer::timeout, this, &Hand::look);
        m_timer.start(20);
    }

private:
    void look()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible())
            answer(dialog);
        else if (!dialog && !m_download.isEmpty() && !m_downloadChosen)
            chooseDownload();
    }

    void answer(QDialog* dialog)
    {
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            if (!m_download.isEmpty()) {
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == QStringLiteral("Send"))
                        button->click();
                return;
            }
            note("message " + box->text());
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
            return;
        }
        if (auto* files = qobject_cast<QFileDialog*>(dialog); files && !m_download.isEmpty()) {
            // As a person types it into the name box: selectFile leaves the box alone while
            // the box has the keyboard.
            if (auto* nameBox = files->findChild<QLineEdit*>())
                nameBox->setText(m_download);
            else
                files->selectFile(m_download);
        }
        note("dialog " + dialog->objectName());
        dialog->accept();
    }

    void chooseDownload()
    {
        QWidget* main = mainWindow();
        auto* port = main ? main->findChild<QLabel*>(QStringLiteral("Panel0")) : nullptr;
        auto* item = main ? main->findChild<QAction*>(QStringLiteral("DownloadFile")) : nullptr;
        if (!port || !item || !port->text().endsWith(QStringLiteral("Online")))
            return;
        m_downloadChosen = true;
        // From the event loop, so that this timer goes on looking while the dialog is open.
        QTimer::singleShot(0, item, &QAction::trigger);
    }

    static QWidget* mainWindow()
    {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QStringLiteral("Main") && top->isVisible())
                return top;
        return nullptr;
    }

    void note(const QString& line)
    {
        if (m_notesFile.isEmpty())
            return;
        QFile notes(m_notesFile);
        if (notes.open(QIODevice::Append))
            notes.write(line.toUtf8() + '\n');
    }

    QString m_notesFile;
    QString m_download;
    QTimer m_timer;
    bool m_downloadChosen = false;
};

class HandPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "TestHand.json")
public:
    QObject* create(const QString& key, const QString& notesFile) override
    {
        if (key.compare(QLatin1String("serivoxhand"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new Hand(notesFile, qEnvironmentVariable("SERIVOX_HAND_DOWNLOAD"));
    }
};

} // namespace

#include "TestHand.moc"
