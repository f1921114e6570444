#include "rig/TRigSettings.h"

#include <charconv>

#include "records/TDbSystemSettings.h"

namespace {

void ReadNumber(const char* name, int& number) {
    std::string text;
    int value = 0;
    if (TRigSettings::Read(name, text)) {
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec == std::errc() && end == text.data() + text.size() && value >= 0)
            number = value;
    }
}

}  // namespace

bool TRigSettings::Read(const std::string& name, std::string& value) {
    TDbSystemSettings settings;
    settings.Load(name, name);
    if (settings.Settings.empty())
        return false;
    value = settings.Settings[0]->Value;
    return true;
}

TRigSettings TRigSettings::Load() {
    TRigSettings s;
    std::string text;
    if (Read(kEnabled, text))
        s.Enabled = text == "Y" || text == "y";
    if (Read(kPort, text) && !text.empty())
        s.Port = text;
    ReadNumber(kModel, s.Model);
    ReadNumber(kSpeed, s.Speed);
    ReadNumber(kWsjtxPort, s.WsjtxPort);
    if (s.WsjtxPort > 65535)
        s.WsjtxPort = 0;
    return s;
}

bool TRigSettings::Save() const {
    const std::pair<const char*, std::string> values[] = {{kEnabled, Enabled ? "Y" : "N"},
                                                          {kModel, std::to_string(Model)},
                                                          {kPort, Port},
                                                          {kSpeed, std::to_string(Speed)},
                                                          {kWsjtxPort, std::to_string(WsjtxPort)}};
    for (const auto& [name, value] : values)
        if (TDbSystemSettings().Save(name, value) == nullptr)
            return false;
    return true;
}
