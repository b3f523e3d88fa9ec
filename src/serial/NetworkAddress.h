#pragma once

#include <QString>
#include <optional>

// A serial port served over the network, as a ports-folder link names it:
// rfc2217://HOST:PORT (telnet://HOST:PORT means the same) lets the line settings be set,
// tcp://HOST:PORT is a raw byte stream. HOST may be a name, an IPv4 address or [an IPv6 one].
struct NetworkAddress {
    enum class Kind { ComPort, RawTcp };

    Kind kind = Kind::ComPort;
    QString host;
    quint16 port = 0;

    // "lab-pi:3001": how messages name the port.
    QString hostAndPort() const;

    // Whether a link target names a network port (well formed or not) rather than a path.
    static bool isNetworkTarget(const QString& target);
    // The address of a network link target; nullopt, with the reason in `why`, when it is
    // not of the form SCHEME://HOST:PORT.
    static std::optional<NetworkAddress> parse(const QString& target, QString* why = nullptr);
};
