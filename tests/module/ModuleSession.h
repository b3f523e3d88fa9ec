#pragma once

#include "Module.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A simulated module driven on a clock of the test's own: commands go in the plain form the
// terminal uses (CR, text, CR, LF), and replies are read once their time has come.
struct ModuleSession {
    explicit ModuleSession(double timeScale = 0.0, int guardMs = 1000)
        : module({timeScale, guardMs})
    {
    }

    // What the module sends in answer, `waitMs` later.
    QByteArray command(const QString& text, qint64 waitMs = 60000)
    {
        return bytes("\r" + text.toLatin1() + "\r\n", waitMs);
    }
    QByteArray bytes(const QByteArray& sent, qint64 waitMs = 0)
    {
        module.receive(sent, now);
        return wait(waitMs);
    }
    QByteArray wait(qint64 ms)
    {
        now += ms;
        module.advance(now);
        return module.takeOutput();
    }
    static QStringList lines(const QByteArray& reply)
    {
        QString text = QString::fromLatin1(reply);
        if (text.endsWith(QLatin1String("\r\n")))
            text.chop(2);
        return text.split(QStringLiteral("\r\n"));
    }

    Module module;
    qint64 now = 100000; // long after power-on
};
