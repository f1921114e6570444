// The radio and WSJT-X settings, kept in SYSTEM_SETTINGS under their names.
#pragma once

#include <cstdint>
#include <string>

class TRigSettings {
public:
    static constexpr const char* kEnabled = "RIG_ENABLED";       // "Y" or "N"
    static constexpr const char* kModel = "RIG_MODEL";           // Hamlib's model number
    static constexpr const char* kPort = "RIG_PORT";             // device path, or host:port
    static constexpr const char* kSpeed = "RIG_SPEED";           // serial baud rate
    static constexpr const char* kWsjtxPort = "WSJTX_UDP_PORT";  // 0 or empty: off
    static constexpr int kNetRigctlModel = 2;                    // Hamlib's model for a rigctld
    static constexpr int kDefaultWsjtxPort = 2237;

    bool Enabled = false;
    int Model = kNetRigctlModel;
    std::string Port = "localhost:4532";
    int Speed = 0;  // the model's own
    int WsjtxPort = 0;

    // The stored values over the defaults above (a missing or malformed
    // value keeps its default).
    static TRigSettings Load();
    // Stores all five; false when one could not be written.
    bool Save() const;
    // The first stored value of a name; false when there is none.
    static bool Read(const std::string& name, std::string& value);
};
