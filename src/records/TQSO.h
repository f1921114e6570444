// One logged contact, as held in memory (table QSOLOG).
#pragma once

#include <cstdint>
#include <string>

class TQSO {
  public:
    int32_t QSOID = 0;
    std::string QSODate;  // "mm/dd/yyyy"
    std::string Call;
    std::string StartTime;  // "hh:mm"
    std::string EndTime;
    std::string Frequency;
    int32_t Power = 0;
    std::string Mode;
    int32_t SentRST = 0;
    int32_t RcvdRST = 0;
    int32_t RcvdQSL = 0;
    int32_t SentQSL = 0;
    int32_t LogID = 0;
    std::string Zone;
    std::string Country;
    std::string County;
    std::string Grid;
    std::string QSLManager;
    int32_t ColLayoutType = 0;
    std::string Contest2;  // Contest2 precedes Contest1 in the record
    std::string Contest1;
    std::string Contest3;
    std::string Contest4;
};
