// One report of the rig reader: a reading of the radio, or the news that
// the connection failed or was lost.
#pragma once

#include <cstdint>
#include <string>

struct TRigReading {
    bool Connected = false;
    uint64_t Hz = 0;
    std::string RigMode;  // Hamlib's name ("USB", "PKTUSB")
    std::string Error;    // why the connection failed (not connected only)
};
