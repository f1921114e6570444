// The log's modes and how they meet ADIF's MODE and SUBMODE fields.
#pragma once

#include <string>
#include <vector>

class TAdifModes {
public:
    // The log's modes: the station list's first eight in their order, then
    // the ADIF modes and submodes in use today, each fitting the mode
    // column (10 characters; DIGITALVOICE does not and is reached through
    // its submodes).
    static const std::vector<std::string>& LogModes();
    // Whether the text, in upper case, is one of the log's modes.
    static bool IsLogMode(const std::string& mode);
    // The ADIF MODE and SUBMODE of a log mode (submode empty when the mode
    // is one of its own). The mode is compared in upper case.
    static void ToAdif(const std::string& logMode, std::string& mode, std::string& submode);
    // The log mode of an ADIF pair: the submode when it is one of the log's
    // modes, else the mode when it is (an older file's MODE=PSK31 too);
    // empty when neither is.
    static std::string FromAdif(const std::string& mode, const std::string& submode);
};
