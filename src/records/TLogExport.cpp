#include "records/TLogExport.h"

#include <cstdio>
#include <string>
#include <vector>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"
#include "records/TTextFile.h"

namespace {

// The selector of the page scan that writes every column ("A").
constexpr int32_t kAllColumns = 65;

// Writes the heading and every live row of the table; false on a write
// failure. Answers through `present` whether the table is in use.
bool ExportTable(TTextFile& out, const char* tableName, const char* heading, bool& present,
                 int32_t& count, int32_t& damaged, TDbKernel::TSalvagePages& pages) {
    present = false;
    const uint32_t id = DbKernel->GetTableIDFromName(tableName);
    if (id == DbFormat::kNoTableID || !DbKernel->CreateEmptyFieldsObject(id, 0))
        return true;
    present = true;
    std::vector<std::string> tails;
    int32_t deleted = 0;
    int32_t skipped = 0;
    DbKernel->SalvageTails(kAllColumns, id, deleted, skipped, tails, &pages);
    damaged += skipped;
    if (!out.WriteLine(heading))
        return false;
    for (const std::string& tail : tails) {
        if (tail.empty())
            continue;
        if (!out.WriteLine(TRecordText::UpperAZ(tail)))
            return false;
        ++count;
    }
    return true;
}

}  // namespace

int32_t TLogExport::ExportToFile(const std::string& fileName, int32_t& count, int32_t& damaged) {
    count = 0;
    damaged = 0;
    if (fileName.empty() || !DbKernel || !TDbKernel::Base())
        return kFailed;
    TTextFile out(fileName, "wb");
    if (!out.IsOpen())
        return kFailed;

    // A missing table ends the export there: what was written stays.
    bool present = false;
    TDbKernel::TSalvagePages pages;  // nothing is written while the tables are read
    if (!ExportTable(out, TQSOs::kLogTable, "QSO_LOG:", present, count, damaged, pages)) {
        out.Close();
        return kFailed;
    }
    if (present &&
        !ExportTable(out, TQSOMemos::kTable, "QSO_TEXT:", present, count, damaged, pages)) {
        out.Close();
        return kFailed;
    }
    return out.Close() ? kOK : kFailed;
}
