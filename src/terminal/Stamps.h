#pragma once

#include <QDateTime>
#include <QString>

// The time and date stamps put in front of received text while capturing.
QString timeStamp(const QTime& time); // HH:MM:SS
QString dateStamp(const QDate& date); // DD-MM-YYYY

// The local date and time, to the second. Receiving stamps every byte with it; converting
// to local time looks at the system's zone file on every call, so the conversion is made
// once per second (a zone's offset only changes on a whole second).
QDateTime localTimeToTheSecond();
