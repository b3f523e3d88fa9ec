#include "Handlers.h"

#include <QtGlobal>

void Handlers::add(const QString& name, Handler handler)
{
    if (m_entry)
        handler = [entry = m_entry, inner = std::move(handler)] { entry(inner); };
    m_byName.insert(name, std::move(handler));
}

void Handlers::addAtOnce(const QString& name, Handler handler)
{
    m_byName.insert(name, std::move(handler));
}

const Handlers::Handler& Handlers::operator[](const QString& name) const
{
    const auto found = m_byName.constFind(name);
    if (found == m_byName.constEnd())
        qFatal("No handler named %s", qPrintable(name));
    return *found;
}
