#include "platform/TFileSearch.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>

namespace {

uint32_t DosAttributeByte(const std::string& path) {
    uint32_t dos = 0;
    char value[64] = {};
    const ssize_t n = getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value - 1);
    if (n > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X'))
        dos |= static_cast<uint32_t>(std::strtoul(value + 2, nullptr, 16));
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        uint32_t fat = 0;
        if (ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &fat) == 0)
            dos |= fat;
        close(fd);
    }
    return dos & (TFileSearch::kHidden | TFileSearch::kSystem);
}

}  // namespace

uint32_t TFileSearch::Attributes(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return 0;
    uint32_t attrs = 0;
    if (S_ISDIR(st.st_mode))
        attrs |= kDirectory;
    else
        attrs |= kArchive;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0)
        attrs |= kReadOnly;
    attrs |= DosAttributeByte(path);
    return attrs;
}

std::vector<TFileSearch::TMatch> TFileSearch::Find(const std::string& dir, const std::string& name,
                                                   uint32_t mask) {
    std::vector<TMatch> matches;
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr)
        return matches;
    const uint32_t excludable = kHidden | kSystem | kDirectory;
    while (const dirent* entry = readdir(d)) {
        if (strcasecmp(entry->d_name, name.c_str()) != 0)
            continue;
        const std::string path = (dir.empty() ? std::string(".") : dir) + "/" + entry->d_name;
        const uint32_t attrs = Attributes(path);
        if (attrs == 0)
            continue;
        if ((attrs & excludable & ~mask) != 0)
            continue;
        matches.push_back({entry->d_name, attrs});
    }
    closedir(d);
    return matches;
}
