#include "ToolBarBuilder.h"

#include "CommandCatalogue.h"
#include "Fonts.h"
#include "Handlers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <limits>

namespace {

constexpr int iconSize = 16;

// The controls keep their fixed widths; their inner padding is trimmed so that every
// caption and value stays readable inside them: the boxes' text starts at their frame and
// their drop-down buttons are narrow, and labels keep clear of the control beside them.
const char* const toolBarStyle = "QComboBox { padding: 0px 0px 0px 1px; min-height: 20px; }"
                                 "QComboBox::drop-down { width: 13px; }"
                                 "QLabel { padding: 0px 3px 0px 2px; }"
                                 "QCheckBox { spacing: 2px; }";

// A tool bar of the height its layout gives it. A docked QToolBar drops its minimum height,
// and the main window sizes its tool bar rows by their size hints.
class FixedHeightToolBar : public QToolBar {
public:
    FixedHeightToolBar(const QString& caption, int height, QWidget* parent)
        : QToolBar(caption, parent), m_height(height)
    {
        setFixedHeight(height);
    }
    QSize sizeHint() const override { return {QToolBar::sizeHint().width(), m_height}; }
    QSize minimumSizeHint() const override
    {
        return {QToolBar::minimumSizeHint().width(), m_height};
    }

protected:
    // A change of style gives the row the style's margins again; it keeps none, so that
    // controls as high as the bar are not pushed down and cut.
    void changeEvent(QEvent* event) override
    {
        QToolBar::changeEvent(event);
        if (event->type() == QEvent::StyleChange)
            layout()->setContentsMargins(0, 0, 0, 0);
    }

private:
    int m_height;
};

QIcon toolBarIcon(const char* name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

// What assistive technology calls the control. A picture says nothing to a screen reader, and
// a hint (read as the description) is not there on every button: a picture button is
// called by the command it sends. A box is called by its row's name for it; a button, a
// check box and a label by their caption.
QString accessibleNameOf(const ControlRow& row)
{
    if (row.accessibleName)
        return QString::fromLatin1(row.accessibleName);
    if (row.kind == ControlRow::Kind::ToolButton)
        if (const commands::ModuleCommand* command = commands::commandOf(row.handler))
            return QString::fromLatin1(command->text);
    return QString();
}

QWidget* makeWidget(const ControlRow& row, const Handlers& handlers, QWidget* parent)
{
    using K = ControlRow::Kind;
    const QString caption = QString::fromLatin1(row.caption);
    switch (row.kind) {
    case K::ToolButton: {
        auto* button = new QToolButton(parent);
        button->setIcon(toolBarIcon(row.caption));
        button->setIconSize(QSize(iconSize, iconSize));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        QObject::connect(button, &QToolButton::clicked, handlers[row.handler]);
        return button;
    }
    case K::Button: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        if (row.handler)
            QObject::connect(button, &QPushButton::clicked, handlers[row.handler]);
        return button;
    }
    case K::CheckBox: {
        auto* box = new QCheckBox(caption, parent);
        // Every change of the tick runs the handler: a click, a key, an assistive
        // technology's toggle, or the program.
        QObject::connect(box, &QCheckBox::toggled, handlers[row.handler]);
        return box;
    }
    case K::ComboBox: {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        if (row.handler)
            QObject::connect(box, &QComboBox::editTextChanged, handlers[row.handler]);
        return box;
    }
    case K::EditBox: {
        auto* edit = new QLineEdit(parent);
        edit->setMaxLength(std::numeric_limits<int>::max()); // a send box has no length limit
        return edit;
    }
    case K::ToolBar: return buildToolBar(*row.inner, handlers, parent);
    case K::Label:
    case K::Separator: break;
    }
    auto* label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

QWidget* buildControl(const ControlRow& row, int height, const Handlers& handlers, QWidget* parent)
{
    QWidget* widget = makeWidget(row, handlers, parent);
    widget->setObjectName(QString::fromLatin1(row.name));
    if (*row.hint)
        widget->setToolTip(QString::fromLatin1(row.hint));
    if (const QString name = accessibleNameOf(row); !name.isEmpty()) {
        widget->setAccessibleName(name);
        // On Linux a combo box tells its text as its name; the box its text is typed in
        // takes the keys and tells the name.
        if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit())
            box->lineEdit()->setAccessibleName(name);
    }
    if (row.width > 0)
        widget->setFixedWidth(row.width);
    if (height > 0 && row.kind == ControlRow::Kind::Button)
        widget->setFixedHeight(height);
    return widget;
}

QToolBar* buildToolBar(const ToolBarLayout& layout, const Handlers& handlers, QWidget* parent)
{
    auto* bar = new FixedHeightToolBar(QString::fromLatin1(layout.caption), layout.height, parent);
    bar->setObjectName(QString::fromLatin1(layout.name));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(iconSize, iconSize));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setStyleSheet(windowFontRule() + QString::fromLatin1(toolBarStyle));
    bar->layout()->setContentsMargins(0, 0, 0, 0);
    for (const ControlRow& row : layout.controls) {
        if (row.kind == ControlRow::Kind::Separator) {
            bar->addSeparator()->setObjectName(QString::fromLatin1(row.name));
            continue;
        }
        bar->addWidget(buildControl(row, layout.buttonHeight, handlers, bar));
    }
    return bar;
}
