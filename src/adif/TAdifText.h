// Text between the log (Latin-1, one byte per character) and ADI files
// (UTF-8 as today's programs write them; older files Latin-1 or ASCII).
#pragma once

#include <string>

class TAdifText {
public:
    // A value read from a file: valid UTF-8 holding multi-byte sequences is
    // decoded, characters outside Latin-1 becoming "?" (replaced counts
    // them); anything else is taken as Latin-1 bytes as they are.
    static std::string ToLatin1(const std::string& bytes, int& replaced);
    // Latin-1 text as UTF-8 (ASCII unchanged).
    static std::string ToUtf8(const std::string& latin1);
};
