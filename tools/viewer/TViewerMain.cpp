// VIEWER1.EXE, the stand-in viewer of the call-sign CD. Started by the log
// with its working directory at the disc's root and one argument, the log's
// current directory joined with the call sign ("/home/op/log/W1AW/P"), it
// looks the call up in EN0103.DAT and writes TRAVINDOX_TBL0001.TXT into the
// log's directory. The file appears complete or not at all: it is written
// under another name and renamed.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "TLicenceRecord.h"

namespace {

constexpr const char* kDataFile = "EN0103.DAT";
constexpr const char* kResultsFile = "TRAVINDOX_TBL0001.TXT";

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The call sign may hold "/" itself, so the split is at the longest prefix
// that is an existing directory. The log hands over its canonical current
// directory: an empty, "." or ".." component ends the search, so nothing
// after the call's own "/" can steer the file into another directory.
bool SplitArgument(const std::string& argument, std::string& dir, std::string& call) {
    if (argument.empty() || argument[0] != '/')
        return false;
    size_t best = std::string::npos;
    size_t componentStart = 1;
    for (size_t slash = argument.find('/', 1);; slash = argument.find('/', slash + 1)) {
        const size_t end = slash == std::string::npos ? argument.size() : slash;
        const std::string component = argument.substr(componentStart, end - componentStart);
        if (slash == std::string::npos)
            break;
        if (component.empty() || component == "." || component == "..")
            break;
        if (!IsDirectory(argument.substr(0, slash)))
            break;
        best = slash;
        componentStart = slash + 1;
    }
    if (best == std::string::npos) {
        // Directly under the root ("/W1AW").
        dir = "/";
        call = argument.substr(1);
    } else {
        dir = argument.substr(0, best);
        call = argument.substr(best + 1);
    }
    return !call.empty();
}

bool WriteResults(const std::string& dir, const std::array<std::string, 14>& lines) {
    std::string final = dir;
    if (final.empty() || final.back() != '/')
        final.push_back('/');
    final.append(kResultsFile);
    std::string partial = final;
    partial.append(".partial");
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        for (const std::string& line : lines) out << line << "\r\n";
        out.flush();
        if (!out) {
            std::remove(partial.c_str());
            return false;
        }
    }
    if (std::rename(partial.c_str(), final.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: VIEWER1.EXE <log directory>/<call sign>\n");
        return 2;
    }
    std::string dir, call;
    if (!SplitArgument(argv[1], dir, call)) {
        std::fprintf(stderr, "VIEWER1.EXE: no directory and call sign in \"%s\"\n", argv[1]);
        return 2;
    }
    TLicenceRecord record;
    const bool found = TLicenceRecord::FindInFile(kDataFile, call, record);
    if (!WriteResults(dir, found ? record.ResultLines() : TLicenceRecord::NotFoundLines(call))) {
        std::fprintf(stderr, "VIEWER1.EXE: cannot write %s in %s\n", kResultsFile, dir.c_str());
        return 1;
    }
    return 0;
}
