// The roots of the mounted optical discs (the places a call-sign CD can be),
// in mount order: the mount points of the iso9660 and udf file systems in
// /proc/mounts. Tests install a fixed list of folders instead.
#pragma once

#include <string>
#include <vector>

class TOpticalDrives {
  public:
    explicit TOpticalDrives(std::string mountsFile = "/proc/mounts");
    virtual ~TOpticalDrives();

    // Mount points without a trailing "/" (except the root itself).
    virtual std::vector<std::string> Roots() const;

    // The iso9660/udf mount points of a mounts table, in its order; the
    // octal escapes of the table (\040 for a blank, …) are decoded.
    static std::vector<std::string> ParseMounts(const std::string& table);

  private:
    std::string mountsFile_;
};

TOpticalDrives& OpticalDrives();
// Installs a drive list owned by the caller; nullptr restores /proc/mounts.
void SetOpticalDrives(TOpticalDrives* drives);
