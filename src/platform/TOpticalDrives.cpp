#include "platform/TOpticalDrives.h"

#include <fstream>
#include <sstream>

TOpticalDrives::TOpticalDrives(std::string mountsFile) : mountsFile_(std::move(mountsFile)) {}

TOpticalDrives::~TOpticalDrives() = default;

namespace {

// /proc/mounts writes blank, tab, newline and backslash as \ooo.
std::string DecodeMountField(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string oct = field.substr(i + 1, 3);
            if (oct.size() == 3 && oct.find_first_not_of("01234567") == std::string::npos) {
                out.push_back(static_cast<char>(std::stoi(oct, nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

}  // namespace

std::vector<std::string> TOpticalDrives::ParseMounts(const std::string& table) {
    std::vector<std::string> roots;
    std::istringstream in(table);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type))
            continue;
        if (type != "iso9660" && type != "udf")
            continue;
        std::string root = DecodeMountField(mountPoint);
        while (root.size() > 1 && root.back() == '/') root.pop_back();
        roots.push_back(root);
    }
    return roots;
}

std::vector<std::string> TOpticalDrives::Roots() const {
    std::ifstream in(mountsFile_);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseMounts(text.str());
}

namespace {
TOpticalDrives& SystemDrives() {
    static TOpticalDrives drives;
    return drives;
}
TOpticalDrives* installedDrives = nullptr;
}  // namespace

TOpticalDrives& OpticalDrives() {
    return installedDrives ? *installedDrives : SystemDrives();
}

void SetOpticalDrives(TOpticalDrives* drives) {
    installedDrives = drives;
}
