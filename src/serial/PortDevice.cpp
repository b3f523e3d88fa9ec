#include "PortDevice.h"

#include "NetworkAddress.h"

PortDevice::PortDevice(std::unique_ptr<SerialDevice> local, std::unique_ptr<SerialDevice> network)
    : m_local(std::move(local)), m_network(std::move(network)), m_open(m_local.get())
{
}

bool PortDevice::open(const QString& path, const LineSettings& settings, QString* why)
{
    m_open->close();
    m_open = NetworkAddress::isNetworkTarget(path) ? m_network.get() : m_local.get();
    return m_open->open(path, settings, why);
}

void PortDevice::setArrivalNotice(std::function<void()> notice)
{
    m_local->setArrivalNotice(notice);
    m_network->setArrivalNotice(std::move(notice));
}

void PortDevice::watchArrivals(bool watch)
{
    m_local->watchArrivals(watch);
    m_network->watchArrivals(watch);
}

void PortDevice::beginSurvey()
{
    m_local->beginSurvey();
    m_network->beginSurvey();
}

bool PortDevice::surveyFurther() { return m_local->surveyFurther(); }

void PortDevice::endSurvey()
{
    m_local->endSurvey();
    m_network->endSurvey();
}
