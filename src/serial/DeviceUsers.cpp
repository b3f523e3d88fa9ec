#include "DeviceUsers.h"

#include <unistd.h>

namespace {

// Processes looked at between two turns of the window: a few milliseconds' work.
constexpr int processesPerTurn = 100;

// This process is never the far end of its own port.
bool isFarEnd(pid_t pid, dev_t device)
{
    const pid_t parent = parentOf(pid);
    return holdsPtyMaster(pid, device) || (parent != ::getpid() && holdsPtyMaster(parent, device));
}

} // namespace

bool DeviceUsers::lookStands(dev_t device) const
{
    return m_look && (m_surveying || m_lookDevice == device);
}

pid_t DeviceUsers::otherUser(dev_t device)
{
    if (m_surveyScan) // asked before the survey's pass is complete: it is completed now
        while (surveyFurther()) {
        }
    if (!lookStands(device)) {
        m_look = scanDeviceOpeners();
        m_lookDevice = device;
    }
    // Those that have let go since the pass are forgotten; nobody is added until the next.
    QList<pid_t>& users = (*m_look)[device];
    users.removeIf([device](pid_t pid) { return !hasDeviceOpen(pid, device); });
    for (const pid_t pid : users)
        if (!isFarEnd(pid, device))
            return pid;
    return 0;
}

void DeviceUsers::portOpened()
{
    if (!m_surveying)
        m_look.reset();
}

void DeviceUsers::beginSurvey()
{
    m_surveying = true;
    m_look.reset();
    m_surveyScan = std::make_unique<DeviceOpenersScan>();
}

bool DeviceUsers::surveyFurther()
{
    if (!m_surveyScan)
        return false;
    if (m_surveyScan->scanMore(processesPerTurn))
        return true;
    m_look = m_surveyScan->take();
    m_surveyScan.reset();
    return false;
}

void DeviceUsers::endSurvey()
{
    m_surveying = false;
    m_look.reset();
    m_surveyScan.reset();
}
