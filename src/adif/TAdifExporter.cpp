#include "adif/TAdifExporter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <tuple>
#include <vector>

#include "adif/TAdifLog.h"
#include "adif/TAdifMapping.h"
#include "adif/TAdifWriter.h"
#include "kernel/TWriteBatch.h"

namespace {

// "yyyymmdd" of a stored "mm/dd/yyyy", for ordering.
std::string SortDate(const std::string& d) {
    return d.size() == 10 ? d.substr(6, 4) + d.substr(0, 2) + d.substr(3, 2) : d;
}

}  // namespace

std::string TAdifExporter::NowUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d %H%M%S", &utc);
    return text;
}

int32_t TAdifExporter::Export(const std::string& fileName, int32_t& count) {
    count = 0;
    Error.clear();
    if (fileName.empty()) {
        Error = "no file name given";
        return kFailed;
    }
    TWriteBatch::Commit();  // the scan reads the file directly
    std::vector<TQSO> contacts;
    if (!TAdifLog::StoredContacts(contacts)) {
        Error =
            "the log's contacts cannot be read (no QSOLOG table, or a damaged chain: run "
            "the database check)";
        return kFailed;
    }
    std::sort(contacts.begin(), contacts.end(), [](const TQSO& a, const TQSO& b) {
        return std::make_tuple(SortDate(a.QSODate), a.StartTime, a.QSOID) <
               std::make_tuple(SortDate(b.QSODate), b.StartTime, b.QSOID);
    });

    // Written beside the target and renamed over it when complete.
    const std::string partial = fileName + ".part";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out) {
        Error = "cannot create " + partial + ": " + std::strerror(errno);
        return kFailed;
    }
    bool ok = true;
    auto write = [&](const std::string& s) {
        ok = ok && std::fwrite(s.data(), 1, s.size(), out) == s.size();
    };
    write(TAdifWriter::Header(Timestamp.empty() ? NowUtc() : Timestamp));
    for (const TQSO& q : contacts) {
        write(TAdifWriter::Record(TAdifMapping::ToFields(q, TAdifLog::StoredText(q.QSOID))));
        if (!ok)
            break;
    }
    ok = std::fflush(out) == 0 && ok;
    const int savedErrno = errno;
    ok = std::fclose(out) == 0 && ok;
    if (!ok || std::rename(partial.c_str(), fileName.c_str()) != 0) {
        Error = "cannot write " + fileName + ": " + std::strerror(ok ? errno : savedErrno);
        std::remove(partial.c_str());
        return kFailed;
    }
    count = static_cast<int32_t>(contacts.size());
    return kOK;
}
