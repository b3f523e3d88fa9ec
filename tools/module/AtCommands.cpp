#include "AtCommands.h"

#include <QRegularExpression>
#include <array>

namespace {

const QString ok = QStringLiteral("OK");

QStringList version(const QRegularExpressionMatch&, ModuleState&)
{
    return {QStringLiteral("APP VERSION=1.0.0-sim"), QStringLiteral("GEPS VERSION=1.0.0-sim"),
            QStringLiteral("WLAN VERSION=1.0.0-sim"), ok};
}

// Associated with the simulated access point; the address comes by DHCP once it is on.
QStringList networkStatus(const QRegularExpressionMatch&, ModuleState& state)
{
    const QString address =
        state.dhcp ? QStringLiteral("192.168.50.23") : QStringLiteral("0.0.0.0");
    return {QStringLiteral("MAC=00:1d:c9:5e:71:0a"),
            QStringLiteral("WSTATE=CONNECTED     MODE=INFRA"),
            QStringLiteral("BSSID=00:24:b2:11:22:33   SSID=\"SimNet\"   CHANNEL=6   SECURITY=WPA2"),
            QStringLiteral("RSSI=-47"),
            QStringLiteral("IP addr=%1   SubNet=255.255.255.0   Gateway=192.168.50.1").arg(address),
            QStringLiteral("DNS1=192.168.50.1      DNS2=0.0.0.0"),
            ok};
}

QStringList dhcp(const QRegularExpressionMatch& match, ModuleState& state)
{
    state.dhcp = match.captured(1) == QLatin1String("1");
    if (!state.dhcp)
        return {ok};
    return {QStringLiteral("IP              SubNet         Gateway"),
            QStringLiteral(" 192.168.50.23: 255.255.255.0: 192.168.50.1"), ok};
}

QStringList registerSet(const QRegularExpressionMatch&, ModuleState&) { return {ok}; }

QStringList scan(const QRegularExpressionMatch&, ModuleState&)
{
    return {QStringLiteral(
                "      BSSID              SSID                     Channel  Type  RSSI Security"),
            QStringLiteral(
                " 00:24:b2:11:22:33, SimNet                  , 06,  INFRA , -47 , WPA2-PERSONAL"),
            QStringLiteral(" 00:24:b2:44:55:66, SimGuest                , 11,  INFRA , -71 , NONE"),
            QStringLiteral("No.Of AP Found:2"), ok};
}

QStringList attention(const QRegularExpressionMatch&, ModuleState&) { return {ok}; }

struct AtRow {
    const char* pattern; // the whole command, upper case
    QStringList (*reply)(const QRegularExpressionMatch&, ModuleState&);
};

constexpr std::array rows{
    AtRow{"AT", attention},
    AtRow{"AT\\+VER=\\?", version},
    AtRow{"AT\\+NSTAT=\\?", networkStatus},
    AtRow{"AT\\+NDHCP=([01])", dhcp},
    AtRow{"ATS[0-9]=[0-9]{1,5}", registerSet},
    AtRow{"AT\\+WS", scan},
};

} // namespace

bool isAtCommand(const QString& line) { return line.startsWith(QLatin1String("AT")); }

QStringList atReply(const QString& line, ModuleState& state)
{
    const QString command = line.trimmed();
    for (const AtRow& row : rows) {
        const QRegularExpression pattern(QLatin1Char('^') + QLatin1String(row.pattern) +
                                         QLatin1Char('$'));
        if (const QRegularExpressionMatch match = pattern.match(command); match.hasMatch())
            return row.reply(match, state);
    }
    return {QStringLiteral("ERROR")};
}
