// One stored name-value pair (table SYSTEM_SETTINGS).
#pragma once

#include <string>

class TDBSystemSetting {
  public:
    std::string Name;
    std::string Value;
};
