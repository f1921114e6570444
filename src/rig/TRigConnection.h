// One open connection to a radio through Hamlib. Not shared between threads:
// the reader's worker thread owns it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct s_rig;

class TRigConnection {
public:
    struct TModel {
        int Number;
        std::string Maker;
        std::string Name;
    };

    TRigConnection() = default;
    TRigConnection(const TRigConnection&) = delete;
    TRigConnection& operator=(const TRigConnection&) = delete;
    ~TRigConnection() { Close(); }

    // Opens the model on the port (a device, or host:port for rigctld; empty
    // keeps Hamlib's default); speed 0 keeps the model's. False, with
    // Hamlib's reason, when the radio cannot be reached.
    bool Open(int model, const std::string& port, int speed, std::string& error);
    // The current VFO's frequency in Hz and Hamlib's mode name.
    bool Read(uint64_t& hz, std::string& mode, std::string& error);
    void Close();
    bool IsOpen() const { return rig_ != nullptr; }

    // Every model Hamlib knows, by number.
    static std::vector<TModel> Models();
    static std::string Version();

private:
    s_rig* rig_ = nullptr;
};
