#pragma once

#include "LineSettings.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

// One open serial device, as the driver sees it. The driver owns at most one.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the device at `path` with the given line settings applied.
    // On failure returns false and puts a human reason into `why`.
    virtual bool open(const QString& path, const LineSettings& settings, QString* why) = 0;
    virtual void close() = 0;

    // The port test: true while the device's line state can still be read.
    virtual bool stateReadable() = 0;

    // Writes one byte, waiting at most `limitMs` for it to leave.
    virtual void writeByte(unsigned char byte, int limitMs) = 0;

    enum class ReadOutcome { Bytes, Nothing, Error };
    // Appends to `bytes` everything that has arrived, in one block, waiting at most `limitMs`
    // for the first byte when nothing has (0: not at all).
    virtual ReadOutcome read(QByteArray& bytes, int limitMs) = 0;

    // Called from the event loop when bytes have arrived or the device failed, so that a
    // reader that sleeps while the line is quiet can wake. A device without such a notice
    // never calls it.
    virtual void setArrivalNotice(std::function<void()> notice) { (void)notice; }
    // Whether the device keeps watching the line between reads (the default). A reader that
    // reads on a steady tick turns it off, so that the event loop is not woken for every
    // chunk the line brings; bytes then wait in the device until the next read.
    virtual void watchArrivals(bool watch) { (void)watch; }

    // Between these, many devices are opened one after another and closed again (Auto Detect
    // probing every port): what the device looks up before each open (who else holds it) is
    // looked up once for all of them, a little at a time: surveyFurther() takes the look a step
    // further and is false once it is complete.
    virtual void beginSurvey() {}
    virtual bool surveyFurther() { return false; }
    virtual void endSurvey() {}
};

using SerialDeviceFactory = std::unique_ptr<SerialDevice> (*)();
