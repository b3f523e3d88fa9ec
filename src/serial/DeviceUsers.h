#pragma once

#include "OpenFiles.h"

#include <memory>
#include <optional>
#include <sys/types.h>

// Other processes that have a device open. The far end of a pseudo-terminal is not another
// user of the port: the process that holds its master side (a simulated module) often keeps
// the slave side open too, and so may the programs it starts; they are the module's end of
// the line.
//
// Finding them takes a pass over every process (see OpenFiles.h), so a pass is made only
// when no earlier one stands, and what it found is checked cheaply, process by process,
// before it is believed:
//  - a port that is refused is tried again on every receive tick: one pass stands for the
//    whole spell of refusals of that device, until the port opens or another device is tried;
//  - a survey (Auto Detect probing every port) makes one pass for all the devices together,
//    a few processes at a time between the window's turns.
class DeviceUsers {
public:
    // A process other than this one with the device open; 0 when there is none.
    pid_t otherUser(dev_t device);
    // The port is open on the device: a spell of refusals has ended.
    void portOpened();

    void beginSurvey();
    // Takes the survey's pass a few processes further; false once it is complete.
    bool surveyFurther();
    void endSurvey();

private:
    bool lookStands(dev_t device) const;

    std::optional<DeviceOpeners> m_look; // the last pass, while it stands
    dev_t m_lookDevice = 0;              // the device whose refusals it stands for
    bool m_surveying = false;
    std::unique_ptr<DeviceOpenersScan> m_surveyScan; // the survey's pass, while under way
};
