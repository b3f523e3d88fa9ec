#include "NetworkAddress.h"

#include <QStringView>

namespace {

struct Scheme {
    const char* prefix;
    NetworkAddress::Kind kind;
};

constexpr Scheme schemes[] = {
    {"rfc2217://", NetworkAddress::Kind::ComPort},
    {"telnet://", NetworkAddress::Kind::ComPort},
    {"tcp://", NetworkAddress::Kind::RawTcp},
};

const Scheme* schemeOf(const QString& target)
{
    for (const Scheme& scheme : schemes)
        if (target.startsWith(QLatin1String(scheme.prefix), Qt::CaseInsensitive))
            return &scheme;
    return nullptr;
}

} // namespace

QString NetworkAddress::hostAndPort() const
{
    const QString shownHost =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shownHost + QLatin1Char(':') + QString::number(port);
}

bool NetworkAddress::isNetworkTarget(const QString& target) { return schemeOf(target) != nullptr; }

std::optional<NetworkAddress> NetworkAddress::parse(const QString& target, QString* why)
{
    const Scheme* scheme = schemeOf(target);
    QStringView rest = QStringView(target).mid(scheme ? qsizetype(qstrlen(scheme->prefix)) : 0);
    while (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
    QStringView host = colon > 0 ? rest.first(colon) : QStringView();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.sliced(1, host.size() - 2);
    bool numeric = false;
    const uint port = colon > 0 ? rest.sliced(colon + 1).toUInt(&numeric) : 0;
    const bool hostSound = !host.isEmpty() && !host.contains(QLatin1Char('/')) &&
                           !host.contains(QLatin1Char('@')) && !host.contains(QLatin1Char(' '));
    if (!scheme || !hostSound || !numeric || port == 0 || port > 65535) {
        if (why)
            *why = target + QStringLiteral(" is not a network port: write rfc2217://HOST:PORT, "
                                           "telnet://HOST:PORT or tcp://HOST:PORT.");
        return std::nullopt;
    }
    return NetworkAddress{scheme->kind, host.toString(), quint16(port)};
}
