#include "ToolBarBuilder.h"

#include "Handlers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <limits>

namespace {

constexpr int iconSize = 16;

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

private:
    int m_height;
};

QIcon toolBarIcon(const char* name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
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
        // The caption fits its fixed width with the stand-in fonts too.
        box->setStyleSheet(QStringLiteral("QCheckBox { spacing: 2px; }"));
        QObject::connect(box, &QCheckBox::clicked, handlers[row.handler]);
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
    bar->layout()->setContentsMargins(0, 0, 0, 0);
    for (const ControlRow& row : layout.controls) {
        if (row.kind == ControlRow::Kind::Separator) {
            bar->addSeparator()->setObjectName(QString::fromLatin1(row.name));
            continue;
        }
        QWidget* control = buildControl(row, layout.buttonHeight, handlers, bar);
        // A tool bar inside another is there but never shown: it stays out of the row (a
        // hidden place in the row would disable its buttons).
        if (row.kind == ControlRow::Kind::ToolBar)
            control->hide();
        else
            bar->addWidget(control);
    }
    return bar;
}
