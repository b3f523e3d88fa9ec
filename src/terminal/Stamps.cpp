#include "Stamps.h"

QString timeStamp(const QTime& time)
{
    return QString::asprintf("%.2d:%.2d:%.2d", time.hour(), time.minute(), time.second());
}

QString dateStamp(const QDate& date)
{
    return QString::asprintf("%.2d-%.2d-%.2d", date.day(), date.month(), date.year());
}

QDateTime localTimeToTheSecond()
{
    static qint64 convertedSecond = -1;
    static QDateTime converted;
    const qint64 second = QDateTime::currentSecsSinceEpoch();
    if (second != convertedSecond) {
        convertedSecond = second;
        converted = QDateTime::fromSecsSinceEpoch(second);
    }
    return converted;
}
