#include "PortItems.h"

QString portItemName(int port)
{
    if (port == 18 || port == 19)
        return QStringLiteral("Com%1").arg(port);
    if (port <= portsInMenu)
        return QStringLiteral("COM%1").arg(port);
    return QStringLiteral("COM") + QString::number(port) + QLatin1Char('1');
}

QString portItemCaption(int port)
{
    if (port < 10)
        return QStringLiteral("COM&%1").arg(port);
    if (port == 10)
        return QStringLiteral("COM1&0");
    return QStringLiteral("COM%1").arg(port);
}
