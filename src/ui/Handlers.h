#pragma once

#include <QHash>
#include <QString>
#include <functional>

// The window's event handlers by name, so that the tables of menus and tool bars can say
// which handler each control runs, the way the window's vocabulary names them.
class Handlers {
public:
    using Handler = std::function<void()>;
    // How a handler is entered; by default it is simply called. Set before adding handlers.
    using Entry = std::function<void(const Handler&)>;

    void enterThrough(Entry entry) { m_entry = std::move(entry); }
    void add(const QString& name, Handler handler);
    // A handler that is called directly, never held: one that must act while a send runs.
    void addAtOnce(const QString& name, Handler handler);
    // The handler of this name. A name that no handler has is a fault in the tables: the
    // program stops at once with the name rather than show a control that does nothing.
    const Handler& operator[](const QString& name) const;

private:
    QHash<QString, Handler> m_byName;
    Entry m_entry;
};
