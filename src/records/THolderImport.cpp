#include "records/THolderImport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/TDialogs.h"
#include "records/TRecordText.h"
#include "schema/TDBResultSet.h"

namespace {

class TTextFile {
  public:
    TTextFile(const std::string& name, const char* mode) : file_(std::fopen(name.c_str(), mode)) {}
    ~TTextFile() {
        if (file_)
            std::fclose(file_);
    }
    std::FILE* get() const { return file_; }
    bool Close() {
        if (!file_)
            return false;
        const bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        return ok && closed;
    }

  private:
    std::FILE* file_;
};

// One line without its terminator (LF, or CR LF); false at the end of the file.
bool ReadLine(std::FILE* f, std::string& line) {
    line.clear();
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(f)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

}  // namespace

std::array<std::string, THolderImport::kFieldCount> THolderImport::ParseImportLine(
    const std::string& line) {
    std::array<std::string, kFieldCount> fields;
    const std::string text = TRecordText::Trim(line);
    size_t start = 0;
    for (int n = 0; n < kFieldCount; ++n) {
        const size_t bar = text.find('|', start);
        if (bar == std::string::npos) {
            fields[n] = text.substr(start);
            break;
        }
        fields[n] = text.substr(start, bar - start);
        start = bar + 1;
    }
    return fields;
}

int32_t THolderImport::ImportData(const std::string& fileName, const std::string& tableName,
                                  int32_t startLine, int32_t endLine, const TProgress& progress) {
    Imported = 0;
    LinesRead = 0;
    LastError.clear();

    TTextFile in(fileName, "rb");
    if (!in.get()) {
        LastError = "cannot open " + fileName + ": " + std::strerror(errno);
        return kFailed;
    }
    const std::string auditName = fileName + kAuditSuffix;
    TTextFile audit(auditName, "wb");
    if (!audit.get()) {
        LastError = "cannot create " + auditName + ": " + std::strerror(errno);
        return kFailed;
    }

    TDBResultSet rs;
    const int32_t status = rs.Open(tableName, "", "");
    if (status >= 2) {
        LastError =
            "table " + tableName + " cannot be opened (status " + std::to_string(status) + ")";
        audit.Close();
        return kFailed;
    }

    std::string line;
    for (int32_t n = 1; n <= endLine; ++n) {
        if (!ReadLine(in.get(), line) || line.empty())
            break;
        ++LinesRead;
        const std::string entry = line + " " + std::to_string(n) + "\r\n";
        if (std::fwrite(entry.data(), 1, entry.size(), audit.get()) != entry.size()) {
            LastError = "cannot write " + auditName;
            return kFailed;
        }
        const auto fields = ParseImportLine(line);
        if (n >= startLine && rs.AppendRow() < 2 && rs.CurrentFields) {
            for (int i = 0; i < kFieldCount; ++i) {
                if (TDBFieldParent* f = rs.CurrentFields->GetField(i))
                    f->Value = fields[i];
            }
            // Post writes nothing for a row without a key value.
            if (!fields[0].empty()) {
                rs.Post();
                ++Imported;
            }
            if (progress)
                progress(n);
        }
        if (n == INT32_MAX)
            break;
    }
    if (!audit.Close()) {
        LastError = "cannot write " + auditName;
        return kFailed;
    }
    return kOK;
}

int32_t THolderImport::ImportDataAsking(const std::string& fileName, const std::string& tableName,
                                        const TProgress& progress) {
    Imported = 0;
    LinesRead = 0;
    const std::string start = Dialogs().InputBox("StartRow", "Enter Start: ", "");
    const std::string end = Dialogs().InputBox("EndRow", "Enter End: ", "");
    int32_t startLine = 0;
    int32_t endLine = 0;
    if (!TRecordText::TryStrToInt(TRecordText::Trim(start), startLine) ||
        !TRecordText::TryStrToInt(TRecordText::Trim(end), endLine)) {
        LastError = "the start and end lines must be whole numbers";
        return kFailed;
    }
    return ImportData(fileName, tableName, startLine, endLine, progress);
}
