// A test's hand inside the real program. Tests that run the real program offscreen cannot
// reach its dialogs from outside, so the program is started with this Qt plugin
// (QT_PLUGIN_PATH=<its folder>, QT_QPA_GENERIC_PLUGINS=serivoxhand:<notes file>). It answers
// every modal dialog as a person pressing Return would: a file dialog takes the name in its
// name box, a message box is dismissed with OK. Each answer is noted as one line in the notes
// file ("dialog <objectName>" or "message <text>"), so the test knows what the program asked.
// Nothing of this is part of the program: it is loaded only when a test names it.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

class Hand : public QObject {
public:
    explicit Hand(QString notesFile) : m_notesFile(std::move(notesFile))
    {
        connect(&m_timer, &QTimer::timeout, this, &Hand::answerOpenDialog);
        m_timer.start(50);
    }

private:
    void answerOpenDialog()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            note("message " + box->text());
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
            return;
        }
        note("dialog " + dialog->objectName());
        dialog->accept();
    }

    void note(const QString& line)
    {
        QFile notes(m_notesFile);
        if (notes.open(QIODevice::Append))
            notes.write(line.toUtf8() + '\n');
    }

    QString m_notesFile;
    QTimer m_timer;
};

class HandPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "TestHand.json")
public:
    QObject* create(const QString& key, const QString& notesFile) override
    {
        return key.compare(QLatin1String("serivoxhand"), Qt::CaseInsensitive) == 0
                   ? new Hand(notesFile)
                   : nullptr;
    }
};

} // namespace

#include "TestHand.moc"
