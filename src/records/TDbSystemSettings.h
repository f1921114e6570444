// Reads the settings stored under a name and stores a pair (the kernel's
// primary-key write overwrites an earlier row of the same name in place).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "records/TDBSystemSetting.h"

class TDBResultSet;

class TDbSystemSettings {
  public:
    static constexpr const char* kTable = "SYSTEM_SETTINGS";

    TDbSystemSettings();
    ~TDbSystemSettings();

    std::unique_ptr<TDBResultSet> ResultSet;
    TDBSystemSetting* Current = nullptr;
    std::vector<std::unique_ptr<TDBSystemSetting>> Settings;

    void Load(const std::string& nameFrom, const std::string& nameTo);
    // The new setting (owned by Settings), or nullptr when nothing was written
    // (no table, or a name that is empty after trimming: it could not be keyed).
    TDBSystemSetting* Save(const std::string& name, const std::string& value);
};
