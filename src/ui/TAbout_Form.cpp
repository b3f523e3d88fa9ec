#include "TAbout_Form.h"

#include "Fonts.h"
#include "TerminalState.h"
#include "TerminalTexts.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr QSize clientSize{538, 171};
constexpr int labelPixelHeight = 19;
const QString creditLine = QStringLiteral("Serial terminal for radio modules, built with Qt 6.");

QFont labelFont()
{
    QFont font = windowFont();
    font.setPixelSize(labelPixelHeight);
    return font;
}

QLabel* addLabel(const char* name, QPoint at, QWidget* form)
{
    auto* label = new QLabel(form);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(labelFont());
    label->move(at);
    return label;
}

} // namespace

TAbout_Form::TAbout_Form(const TerminalState& state, QWidget* mainWindow)
    : QDialog(mainWindow), m_state(state)
{
    setObjectName(QStringLiteral("About_Form"));
    setWindowTitle(QStringLiteral("About ") + texts::appTitle);
    setFont(windowFont());
    setFixedSize(clientSize);
    setModal(true);

    m_aboutTitle = addLabel("AboutTitle", {31, 32}, this);
    QLabel* credit = addLabel("Label1", {31, 69}, this);
    credit->setText(creditLine);
    credit->adjustSize();

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("AboutClose"));
    close->setGeometry(223, 128, 75, 25);
    connect(close, &QPushButton::clicked, this, &TAbout_Form::AboutCloseClick);
}

QPoint TAbout_Form::centredOver(const QRect& mainFrame, const QSize& dialogFrame)
{
    return {mainFrame.x() + mainFrame.width() / 2 - dialogFrame.width() / 2,
            mainFrame.y() + mainFrame.height() / 2 - dialogFrame.height() / 2};
}

void TAbout_Form::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TAbout_Form::FormShow()
{
    move(centredOver(parentWidget()->frameGeometry(), frameGeometry().size()));
    m_aboutTitle->setText(texts::appTitle + QStringLiteral(" V") + m_state.versionText);
    m_aboutTitle->adjustSize();
}

// The modal showing ends with result 1 (OK); the title bar's close gives the platform's own.
void TAbout_Form::AboutCloseClick() { done(1); }
