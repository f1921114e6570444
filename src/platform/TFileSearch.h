// The exact-name file search of the disc and results-file probes, with the
// DOS attribute mask those probes use. On Linux the attributes are derived:
// directory from the file type, read-only from the write bits, archive for
// every plain file, hidden and system from the FAT attribute byte (vfat) or
// Samba's "user.DOSATTRIB" extended attribute.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TFileSearch {
  public:
    static constexpr uint32_t kReadOnly = 0x01;
    static constexpr uint32_t kHidden = 0x02;
    static constexpr uint32_t kSystem = 0x04;
    static constexpr uint32_t kVolume = 0x08;
    static constexpr uint32_t kDirectory = 0x10;
    static constexpr uint32_t kArchive = 0x20;
    static constexpr uint32_t kAnyFile = 0x3F;

    struct TMatch {
        std::string Name;  // as stored in the directory
        uint32_t Attributes = 0;
    };

    // The entries of dir whose name equals name ignoring letter case; an
    // entry that is hidden, system or a directory is left out unless the
    // mask holds that attribute (the other attributes never exclude).
    static std::vector<TMatch> Find(const std::string& dir, const std::string& name, uint32_t mask);
    // The DOS attributes of a path; 0 when it does not exist.
    static uint32_t Attributes(const std::string& path);
};
