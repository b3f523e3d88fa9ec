#include "Timeouts.h"

#include "Fonts.h"
#include "IntegerText.h"
#include "Serial_io.h"
#include "UserPrompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {

// The five boxes, top to bottom. The boxes captioned "Total Timeout" hold the per-byte
// multipliers.
struct TimeoutBox {
    const char* name;
    const char* label;
    int top;
    std::uint32_t CommTimeouts::*field;
};

constexpr std::array<TimeoutBox, TSettings::boxCount> timeoutBoxes{{
    {"ReadInterval", "Read Interval Timeout", 16, &CommTimeouts::ReadIntervalTimeout},
    {"ReadTotal", "Read Total Timeout", 43, &CommTimeouts::ReadTotalTimeoutMultiplier},
    {"ReadTotalConstant", "Read Total Constant", 70, &CommTimeouts::ReadTotalTimeoutConstant},
    {"WriteTotal", "Write Total Timeout", 128, &CommTimeouts::WriteTotalTimeoutMultiplier},
    {"WriteTotalConstant", "Write Total Constant", 155, &CommTimeouts::WriteTotalTimeoutConstant},
}};

// The keyboard goes through the write boxes before the read constant.
constexpr std::array<int, TSettings::boxCount> tabOrder{0, 1, 3, 4, 2};

// The read interval and the read multiplier are at least 1.
constexpr std::array<int, 2> leastOneBoxes{0, 1};

constexpr int clientWidth = 287;
constexpr int clientHeight = 230;
constexpr int labelLeft = 8;
constexpr int boxLeft = 128;
constexpr int boxWidth = 121;
constexpr int boxHeight = 21;
constexpr int setitTop = 198;
constexpr int setitWidth = 75;
constexpr int setitHeight = 25;

} // namespace

TSettings::TSettings(Serial_io& io, UserPrompts& prompts, QWidget* mainWindow)
    : QDialog(mainWindow), m_io(io), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Settings"));
    setWindowTitle(QStringLiteral("CommPort Timeouts"));
    setModal(false);
    setFont(windowFont());
    setFixedSize(clientWidth, clientHeight);
    buildControls();
}

void TSettings::buildControls()
{
    for (std::size_t i = 0; i < timeoutBoxes.size(); ++i) {
        const TimeoutBox& row = timeoutBoxes[i];
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(row.name));
        box->setGeometry(boxLeft, row.top, boxWidth, boxHeight);
        auto* label = new QLabel(QString::fromLatin1(row.label), this);
        label->setGeometry(labelLeft, row.top, boxLeft - labelLeft, boxHeight);
        label->setBuddy(box);
        m_boxes[i] = box;
    }
    m_setit = new QPushButton(QStringLiteral("Set"), this);
    m_setit->setObjectName(QStringLiteral("Setit"));
    m_setit->setGeometry(boxLeft + (boxWidth - setitWidth) / 2, setitTop, setitWidth, setitHeight);
    m_setit->setDefault(true);
    connect(m_setit, &QPushButton::clicked, this, &TSettings::SetitClick);

    QWidget* previous = m_boxes[std::size_t(tabOrder.front())];
    for (const int i : tabOrder) {
        QWidget::setTabOrder(previous, m_boxes[std::size_t(i)]);
        previous = m_boxes[std::size_t(i)];
    }
    QWidget::setTabOrder(previous, m_setit);
}

void TSettings::showEvent(QShowEvent* event)
{
    // Shown by the program, not merely brought back from a minimised window.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TSettings::FormShow()
{
    centreOverMainWindow();
    if (m_io.isOpen())
        m_record = m_io.timeouts();
    showRecord();
}

void TSettings::centreOverMainWindow()
{
    const QWidget* main = parentWidget();
    if (!main)
        return;
    const QRect outer = main->frameGeometry();
    const QSize own = frameGeometry().size();
    move(outer.left() + outer.width() / 2 - own.width() / 2,
         outer.top() + outer.height() / 2 - own.height() / 2);
}

void TSettings::showRecord()
{
    for (std::size_t i = 0; i < timeoutBoxes.size(); ++i)
        m_boxes[i]->setText(QString::number(m_record.*timeoutBoxes[i].field));
}

void TSettings::SetitClick()
{
    // Boxes read before a bad one keep their new values in the record.
    for (std::size_t i = 0; i < timeoutBoxes.size(); ++i) {
        const QString text = m_boxes[i]->text();
        const auto value = bitPatternFromText(text);
        if (!value) {
            m_prompts.showMessage(notAnIntegerMessage(text), QString());
            return;
        }
        m_record.*timeoutBoxes[i].field = *value;
    }
    for (const int i : leastOneBoxes) {
        std::uint32_t& field = m_record.*timeoutBoxes[std::size_t(i)].field;
        if (field == 0) {
            field = 1;
            m_boxes[std::size_t(i)]->setText(QStringLiteral("1"));
        }
    }
    m_io.setTimeouts(m_record); // with no port open there is nothing to apply
    hide();
}
