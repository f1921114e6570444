#include "logfile/TLogBackups.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "logfile/TSparseFile.h"

namespace fs = std::filesystem;

namespace {
struct TName {
    std::string Stamp;  // YYYYMMDD-HHMMSS
    uint64_t Serial = 1;
    std::string Path;
};

bool Digits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "<stem>-YYYYMMDD-HHMMSS[-n].sib"
bool ParseName(const std::string& stem, const std::string& name, TName& out) {
    const std::string suffix = TLogBackups::kSuffix;
    if (name.size() < stem.size() + 1 + 15 + suffix.size() || name.rfind(stem + "-", 0) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string middle =
        name.substr(stem.size() + 1, name.size() - stem.size() - 1 - suffix.size());
    const std::string stamp = middle.substr(0, 15);
    if (!Digits(stamp.substr(0, 8)) || stamp[8] != '-' || !Digits(stamp.substr(9, 6)))
        return false;
    out.Stamp = stamp;
    out.Serial = 1;
    if (middle.size() > 15) {
        const std::string serial = middle.substr(16);
        if (middle[15] != '-' || !Digits(serial) || serial.size() > 9)
            return false;
        out.Serial = std::stoull(serial);
    }
    return true;
}

std::string Stamp(std::time_t when) {
    std::tm tm{};
    gmtime_r(&when, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}
}  // namespace

TLogBackups::TLogBackups(const std::string& logPath, const std::string& folder)
    : stem_(fs::path(logPath).stem().string()),
      folder_(folder.empty() ? (fs::path(TSparseFile::FolderOf(logPath)) / kFolderName).string()
                             : folder) {}

std::vector<std::string> TLogBackups::List() const {
    std::vector<TName> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        TName n;
        if (it->is_regular_file(ec) && ParseName(stem_, it->path().filename().string(), n)) {
            n.Path = it->path().string();
            found.push_back(n);
        }
    }
    std::sort(found.begin(), found.end(), [](const TName& a, const TName& b) {
        return std::tie(a.Stamp, a.Serial) < std::tie(b.Stamp, b.Serial);
    });
    std::vector<std::string> paths;
    for (const TName& n : found) paths.push_back(n.Path);
    return paths;
}

std::string TLogBackups::Newest() const {
    const std::vector<std::string> all = List();
    return all.empty() ? std::string() : all.back();
}

bool TLogBackups::NewName(std::time_t when, std::string& path, std::string& error) const {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) {
        error = "cannot make the folder " + folder_ + ": " + ec.message();
        return false;
    }
    const std::string base = (fs::path(folder_) / (stem_ + "-" + Stamp(when))).string();
    path = base + kSuffix;
    for (int serial = 2; fs::exists(path, ec); ++serial)
        path = base + "-" + std::to_string(serial) + kSuffix;
    return true;
}

bool TLogBackups::Publish(const std::string& part, const std::string& path,
                          std::string& error) const {
    if (!TSparseFile::Replace(part, path, error)) {
        std::error_code ec;
        fs::remove(part, ec);
        return false;
    }
    Rotate();
    return true;
}

bool TLogBackups::SaveImage(const uint8_t* image, uint64_t size, std::time_t when,
                            std::string& path, std::string& error) {
    if (!NewName(when, path, error))
        return false;
    const std::string part = path + ".part";
    return TSparseFile::WriteImage(part, image, size, error) && Publish(part, path, error);
}

bool TLogBackups::SaveCopyOf(const std::string& file, std::time_t when, std::string& path,
                             std::string& error) {
    if (!NewName(when, path, error))
        return false;
    const std::string part = path + ".part";
    return TSparseFile::Copy(file, part, error) && Publish(part, path, error);
}

void TLogBackups::Rotate() const {
    const std::vector<std::string> all = List();
    std::error_code ec;
    for (size_t i = 0; i + kKeep < all.size(); ++i) fs::remove(all[i], ec);
    // Copies cut off by a crash: only one operation on the log runs at a
    // time (it holds the log's lock), so no other copy is under way.
    std::vector<fs::path> parts;
    TName n;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path p = it->path();
        if (p.extension() == ".part" && ParseName(stem_, p.stem().string(), n))
            parts.push_back(p);
    }
    for (const fs::path& p : parts) fs::remove(p, ec);
}
