#include "records/THolderImport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/TDialogs.h"
#include "records/TRecordText.h"
#include "records/TTextFile.h"
#include "schema/TDBResultSet.h"

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
    if (!in.IsOpen()) {
        LastError = "cannot open " + fileName + ": " + std::strerror(errno);
        return kFailed;
    }
    const std::string auditName = fileName + kAuditSuffix;
    TTextFile audit(auditName, "wb");
    if (!audit.IsOpen()) {
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
        if (!in.ReadLine(line) || line.empty())
            break;
        ++LinesRead;
        if (!audit.WriteLine(line + " " + std::to_string(n))) {
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
