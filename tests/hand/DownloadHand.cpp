// A scripted person inside the real program, for tests of the real binary. Qt loads it as an
// input plugin (QT_PLUGIN_PATH names its folder, QT_QPA_GENERIC_PLUGINS=serivoxhand); once the
// port is online it chooses File > Download File, picks the file named by
// SERIVOX_HAND_DOWNLOAD in the file dialog and answers Send to the question before a long
// send. It acts only through the window's own controls, as an accessibility client would.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QGenericPlugin>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

namespace {

class DownloadHand : public QObject {
public:
    explicit DownloadHand(QString file) : m_file(std::move(file))
    {
        connect(&m_look, &QTimer::timeout, this, &DownloadHand::look);
        m_look.start(20);
    }

private:
    void look()
    {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            answer(modal);
            return;
        }
        if (m_chosen)
            return;
        QWidget* main = mainWindow();
        auto* port = main ? main->findChild<QLabel*>(QStringLiteral("Panel0")) : nullptr;
        auto* item = main ? main->findChild<QAction*>(QStringLiteral("DownloadFile")) : nullptr;
        if (!port || !item || !port->text().endsWith(QStringLiteral("Online")))
            return;
        m_chosen = true;
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

    void answer(QWidget* modal)
    {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            // As a person types it into the name box: selectFile leaves the box alone while
            // the box has the keyboard.
            if (auto* nameBox = dialog->findChild<QLineEdit*>())
                nameBox->setText(m_file);
            else
                dialog->selectFile(m_file);
            QMetaObject::invokeMethod(dialog, "accept"); // as its Open button does
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QStringLiteral("Send"))
                    button->click();
    }

    QString m_file;
    QTimer m_look;
    bool m_chosen = false;
};

} // namespace

class DownloadHandPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "hand.json")
public:
    QObject* create(const QString& key, const QString&) override
    {
        if (key.compare(QStringLiteral("serivoxhand"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new DownloadHand(qEnvironmentVariable("SERIVOX_HAND_DOWNLOAD"));
    }
};

#include "DownloadHand.moc"
