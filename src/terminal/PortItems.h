#pragma once

#include "PortsFolder.h"

#include <QString>
#include <array>

// The hundred port items of the COM menu: ports 1..20 in the menu itself, 21..100 in
// eight submenus of ten.
QString portItemName(int port);    // COM1..COM17, Com18, Com19, COM20, COM211..COM1001
QString portItemCaption(int port); // COM&1..COM&9, COM1&0, COM11..COM100

struct PortGroup {
    const char* name;
    const char* caption;
    int firstPort;
    const char* hint = nullptr; // only COM81-90 carries one
};

inline constexpr int portsInMenu = 20;
inline constexpr int portsPerGroup = 10;
inline constexpr std::array<PortGroup, 8> portGroups{{
    {"COM21to30", "COM21-30", 21},
    {"COM31401", "COM31-40", 31},
    {"COM41501", "COM41-50", 41},
    {"COM51601", "COM51-60", 51},
    {"COM61701", "COM61-70", 61},
    {"COM71801", "COM71-80", 71},
    {"COM81901", "COM81-90", 81, "COM81901"},
    {"COM911001", "COM91-100", 91},
}};

// Which port items the COM menu shows: all hundred, or after an auto-detection only the
// ports found. A group shows while at least one of its ports shows.
class PortItemsShown {
public:
    PortItemsShown() { showAll(); }

    bool port(int n) const { return PortsFolder::isPortNumber(n) && m_shown[std::size_t(n)]; }
    void setPort(int n, bool shown) { m_shown.at(std::size_t(n)) = shown; }
    void showAll() { m_shown.fill(true); }
    bool group(const PortGroup& g) const
    {
        for (int n = g.firstPort; n < g.firstPort + portsPerGroup; ++n)
            if (port(n))
                return true;
        return false;
    }
    bool operator==(const PortItemsShown&) const = default;

private:
    std::array<bool, PortsFolder::lastPort + 1> m_shown{}; // index n is port n
};
