#include "TerminalView.h"

#include "TerminalCore.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>

namespace {

// The characters a key press types. Ctrl with a letter (or @ [ \ ] ^ _) types its control
// code: most platforms put it in the event's text already, some leave the plain letter
// there. Alt without Ctrl types nothing, so that menu mnemonics keep working; Ctrl with Alt
// is AltGr on some keyboards and types what the keyboard says.
QString typedCharacters(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const bool alt = mods.testFlag(Qt::AltModifier);
    if (alt && !ctrl)
        return {};
    const int key = event.key();
    if (ctrl && !alt && key >= Qt::Key_At && key <= Qt::Key_Underscore)
        return QString(QChar(char16_t(key - Qt::Key_At)));
    return event.text();
}

} // namespace

TerminalView::TerminalView(TerminalCore& core, QWidget* parent)
    : QListView(parent), m_core(core), m_popup(new QMenu(this))
{
    setObjectName(QStringLiteral("ListBox1"));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);

    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    setFont(font);
    m_core.list().setCellSize(QFontMetrics(font).horizontalAdvance(QLatin1Char('M')), rowHeight);
    setModel(&m_core.list());

    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_popup->popup(viewport()->mapToGlobal(at)); });
    connect(&m_core, &TerminalCore::coloursChanged, this, &TerminalView::applyColours);
    connect(&m_core, &TerminalCore::scrollRequested, this, &TerminalView::scrollToTopLine);
    applyColours();
}

void TerminalView::applyColours()
{
    const ListColours colours = m_core.listColours();
    QPalette p = palette();
    p.setColor(QPalette::Base, colours.background);
    p.setColor(QPalette::Text, colours.text);
    setPalette(p);
}

void TerminalView::scrollToTopLine(int topLine)
{
    const QModelIndex top = model()->index(topLine, 0);
    if (top.isValid())
        scrollTo(top, QAbstractItemView::PositionAtTop);
}

bool TerminalView::event(QEvent* event)
{
    // A typed control code goes to the module even where a window shortcut would take it.
    if (event->type() == QEvent::ShortcutOverride &&
        !typedCharacters(*static_cast<QKeyEvent*>(event)).isEmpty()) {
        event->accept();
        return true;
    }
    return QListView::event(event);
}

void TerminalView::keyPressEvent(QKeyEvent* event)
{
    const QString typed = typedCharacters(*event);
    if (typed.isEmpty()) {
        QListView::keyPressEvent(event);
        return;
    }
    for (const QChar c : typed)
        m_core.ListBox1KeyPress(c);
    event->accept();
}
