#include "records/THolderImport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "kernel/TDbKernel.h"
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
    NotStored = 0;
    FirstNotStored = 0;
    NotStoredWhy.clear();
    LastError.clear();
    full_ = false;

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
                try {
                    StoreRow(rs, tableName, fields[0], n);
                } catch (const std::exception& e) {
                    LastError = e.what();  // a damaged file: the kernel refuses to go on
                    audit.Close();
                    return kFailed;
                }
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

void THolderImport::StoreRow(TDBResultSet& rs, const std::string& tableName, const std::string& key,
                             int32_t line) {
    // A new call sign needs a free slot; one already present is overwritten
    // in place. Rows the full file cannot take are not posted at all.
    if (!full_ && DbKernel != nullptr)
        full_ = !DbKernel->HasRoomForRows({{DbKernel->GetTableIDFromName(tableName), 1}});
    const bool room = !full_ || KeyStored(rs, tableName, key);
    // Post's status tells a row linked into a chain; a row that starts a
    // chain answers as a refused one does, so it is read back.
    if (room && (rs.Post() == 0 || KeyStored(rs, tableName, key))) {
        ++Imported;
        return;
    }
    if (NotStored++ == 0) {
        FirstNotStored = line;
        NotStoredWhy = room ? kRefused : kFileFull;
    }
}

bool THolderImport::KeyStored(const TDBResultSet& rs, const std::string& tableName,
                              const std::string& key) {
    // The key is stored cut to its column's length.
    const TDBFieldParent* column = rs.CurrentFields ? rs.CurrentFields->GetField(0) : nullptr;
    const size_t length =
        column && column->Length > 0 ? static_cast<size_t>(column->Length) : key.size();
    const std::string stored = key.substr(0, length);
    TDBResultSet probe;
    return probe.Open(tableName, stored, stored) == TDBResultSet::kOK;
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
