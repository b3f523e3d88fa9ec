#pragma once

#include <QString>
#include <optional>

// The 26 values kept between runs, each as the settings file holds it. A value is empty
// when the file lacks it or holds something that cannot be read as its type; the program
// then keeps its default.
struct SavedSettings {
    // The main window's placement: its frame's left and top edge, its width and height.
    std::optional<int> Left, Top, Width, Height;
    std::optional<int> comPort, baudRate, dataBits, parity, stopBits;
    std::optional<QString> macAddress;
    std::optional<bool> SPP1, BGIO1, HID1, GainSpan1;
    std::optional<bool> Echo1, HexMode, HexModeWrite1, Log1, Unreadable1, MUX1;
    std::optional<QString> sendData;
    std::optional<bool> OrvinTerminal, Timestamp1, DateStamp1, CopyToSend1;
    std::optional<QString> logDirectory;
    // Beyond the 26, in a section of its own ([Scrollback] "Memory MB"): the memory in MB
    // that received lines and their index may take before old ones move to the scrollback
    // file; empty unless it is a whole number from 1 to largestScrollbackMB.
    std::optional<int> scrollbackMemoryMB;
    static constexpr int largestScrollbackMB = 1024 * 1024;

    bool operator==(const SavedSettings&) const = default;
};
