// One stored piece (at most 249 characters) of a contact's text.
#pragma once

#include <cstdint>
#include <string>

class TQSOMemo {
  public:
    int32_t QSOID = 0;
    int32_t Unused = 0;
    std::string Text;
};
