#include "Pause.h"

#include <QThread>

Pause realPause()
{
    return [](int ms) {
        if (ms > 0)
            QThread::msleep(static_cast<unsigned long>(ms));
    };
}
