#pragma once

#include <QDateTime>
#include <QString>

// The time and date stamps put in front of received text while capturing.
QString timeStamp(const QTime& time); // HH:MM:SS
QString dateStamp(const QDate& date); // DD-MM-YYYY
