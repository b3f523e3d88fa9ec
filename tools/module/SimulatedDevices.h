#pragma once

#include <QString>
#include <span>

// The radio neighbourhood the module pretends to see: fixed devices that an inquiry finds and
// that a call can reach.
struct SimulatedDevice {
    const char* address;     // as the module prints it
    const char* deviceClass; // class of device, six hex digits
    const char* name;        // what a name request returns
};

std::span<const SimulatedDevice> simulatedDevices();
// The device with this address (any letter case), or nullptr.
const SimulatedDevice* findDevice(const QString& address);
// The module's own address.
inline constexpr const char* ownAddress = "00:07:80:5e:71:0a";
