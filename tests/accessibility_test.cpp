// The main window as assistive technology sees it: every control it exposes has a name,
// and none is exposed twice.
#include "WindowFixture.h"

#include <QAccessible>
#include <QMap>
#include <QWidget>

namespace {

using R = QAccessible::Role;

// Roles a person operates; a screen reader announces them by name.
const QList<R> controlRoles{R::PushButton,     R::CheckBox, R::RadioButton, R::ComboBox,
                            R::EditableText,   R::SpinBox,  R::Slider,      R::List,
                            R::Table,          R::Tree,     R::MenuItem,    R::ButtonMenu,
                            R::ButtonDropDown, R::PageTab,  R::ToolBar};

struct Exposed {
    QString path; // the names of the menus above it, and its own
    QString objectName;
    bool hiddenByItself = false; // a widget of this window, hidden though its tool bar shows
};

// Qt's own parts: a tool bar's overflow button, the drop-down list of a combo box.
bool isQtsOwnPart(const QObject* object, const QWidget* window)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget &&
           (widget->objectName().startsWith(QLatin1String("qt_")) || widget->window() != window);
}

// What a screen reader calls the control. On Linux Qt gives a combo box its text as its
// name; the combo box is named by its label, or, when it is typed in, by the box that takes
// the keys.
QString spokenName(QAccessibleInterface* node)
{
    if (node->role() != R::ComboBox)
        return node->text(QAccessible::Name);
    for (const auto& [label, relation] : node->relations(QAccessible::Label))
        return label->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->role() == R::EditableText)
            return node->child(i)->text(QAccessible::Name);
    return QString();
}

class AccessibilityTree {
public:
    explicit AccessibilityTree(QWidget* window) : m_window(window)
    {
        walk(QAccessible::queryAccessibleInterface(window), QString());
    }
    QList<Exposed> nameless;
    QMap<QString, QList<Exposed>> byRoleAndPath;
    int controls = 0;

private:
    void walk(QAccessibleInterface* node, const QString& above)
    {
        if (!node || !node->isValid())
            return;
        const R role = node->role();
        const QString name = spokenName(node).trimmed();
        const QString path = above + QLatin1Char('/') + name;
        if (controlRoles.contains(role) && !isQtsOwnPart(node->object(), m_window)) {
            ++controls;
            Exposed exposed{path, node->object() ? node->object()->objectName() : QString()};
            if (auto* widget = qobject_cast<QWidget*>(node->object()))
                exposed.hiddenByItself = widget->isHidden();
            if (name.isEmpty())
                nameless.append(exposed);
            else
                byRoleAndPath[QString::number(int(role)) + path].append(exposed);
        }
        // Items of different menus may share a name ("9600" in Parameters and Commands);
        // anywhere else a name is the window's only one of its kind.
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), role == R::MenuItem ? path : above);
    }

    QWidget* m_window;
};

std::string describe(const QList<Exposed>& list)
{
    std::string text;
    for (const Exposed& e : list)
        text += " " + e.path.toStdString() + " (" + e.objectName.toStdString() +
                (e.hiddenByItself ? ", hidden" : "") + ")";
    return text;
}

using AccessibilityTest = WindowFixture;

// With every tool bar shown, each button, box, list, menu item and tool bar is announced
// by a name of its own: a picture button by the command it sends, a box by what it holds.
// A control the window never shows is not there at all, so a screen reader finds no
// second SET, RESET or LIST, and no second HID tool bar.
TEST_F(AccessibilityTest, EveryControlHasANameAndNoneIsExposedTwice)
{
    plug(1);
    showWindow();
    showAllToolBars();
    const AccessibilityTree tree(window.get());

    EXPECT_GT(tree.controls, 100) << "the walk did not reach the window's controls";
    EXPECT_TRUE(tree.nameless.isEmpty()) << "nameless:" << describe(tree.nameless);
    // Controls that are hidden now but show at times: the Stop button of a running download.
    const QStringList shownAtTimes{QStringLiteral("DownloadStop")};
    for (const QList<Exposed>& same : tree.byRoleAndPath) {
        EXPECT_EQ(same.size(), 1) << "exposed twice:" << describe(same);
        EXPECT_TRUE(!same.first().hiddenByItself ||
                    shownAtTimes.contains(same.first().objectName))
            << "exposed though never shown:" << describe(same);
    }
}

// The names a person hears for the controls that show no caption.
TEST_F(AccessibilityTest, PictureButtonsAreCalledByTheCommandTheySend)
{
    const std::pair<const char*, const char*> names[] = {
        {"ToolButton1", "SET"},
        {"ToolButton2", "RESET"},
        {"ToolButton5", "INQUIRY 5 NAME"},
        {"ToolButton3", "LIST"},
        {"ToolButton14", "PIO SETDIR FC FC"},
        {"ToolButton15", "PIO SET FC FC"},
        {"ToolButton16", "PIO SET FC 00"},
        {"ToolButton22", "PIO SET FC 55"},
        {"ToolButton23", "PIO SET FC AA"},
        {"ComboBox1", "MAC"},
        {"ESend", "Text to send"},
        {"Channel", "Channel"},
    };
    for (const auto& [control, name] : names) {
        QAccessibleInterface* node =
            QAccessible::queryAccessibleInterface(window->findChild<QWidget*>(control));
        ASSERT_NE(node, nullptr) << control;
        EXPECT_EQ(spokenName(node), name) << control;
    }
}

} // namespace
