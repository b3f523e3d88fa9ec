#include "SimulatedDevices.h"

#include <array>

namespace {

constexpr std::array devices{
    SimulatedDevice{"00:07:80:12:34:56", "240404", "Headset Sim"},
    SimulatedDevice{"00:07:80:9a:bc:de", "001f00", "Serial Sim"},
    SimulatedDevice{"00:1a:7d:da:71:13", "5a020c", "Phone Sim"},
};

} // namespace

std::span<const SimulatedDevice> simulatedDevices() { return devices; }

const SimulatedDevice* findDevice(const QString& address)
{
    for (const SimulatedDevice& device : devices)
        if (address.compare(QLatin1String(device.address), Qt::CaseInsensitive) == 0)
            return &device;
    return nullptr;
}
