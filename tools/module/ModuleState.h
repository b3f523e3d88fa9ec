#pragma once

#include "ModuleSettings.h"

#include <QString>
#include <algorithm>
#include <vector>

// Command mode reads command lines; data mode sends everything over the selected connection
// (the simulated far end echoes it); multiplexing mode reads frames.
enum class Mode { command, data, mux };

struct Connection {
    int link = 0;
    QString address;
    QString type; // RFCOMM, HID, L2CAP
    QString target;
    QString channel; // RFCOMM channel, or the L2CAP PSM
};

// What the module is: its mode, settings, pins and connections.
struct ModuleState {
    Mode mode = Mode::command;
    int dataLink = -1; // the connection data mode talks to
    ModuleSettings settings;
    unsigned pioValue = 0;
    unsigned pioDirection = 0;
    unsigned pioBias = 0;
    std::vector<Connection> connections;
    bool dhcp = false; // the Wi-Fi side: AT+NDHCP

    const Connection* connection(int link) const
    {
        const auto found = std::find_if(connections.begin(), connections.end(),
                                        [link](const Connection& c) { return c.link == link; });
        return found == connections.end() ? nullptr : &*found;
    }
    int freeLink() const
    {
        int link = 0;
        while (connection(link))
            ++link;
        return link;
    }
};
