#include "records/TLogCheck.h"

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TRowLayout.h"
#include "kernel/TRowView.h"
#include "records/TLogTables.h"
#include "records/TQSOs.h"
#include "schema/TDBResultSet.h"

using namespace DbFormat;

int32_t TLogCheck::Run(TDbKernel& kernel, std::string& report, bool tables) {
    const int32_t status = kernel.CheckDatabase(report, 0);
    std::vector<std::string> missing, malformed;
    std::string lines;
    if (TLogTables::CheckLogging(missing, malformed)) {
        // QSOLOG and the date index draw their numbers from SEQUENCES; the
        // contact texts carry the contact's number.
        lines += Sequence(kernel, TQSOs::kLogTable, TQSOs::kColNumber);
        lines += Sequence(kernel, TQSOs::kDateIndexTable, TQSOs::kIdxNumber);
    } else if (tables) {
        for (const std::string& name : missing) lines += name + ": the log's table is missing\r\n";
        for (const std::string& name : malformed)
            lines += name + ": the table lacks the columns the log needs\r\n";
    }
    report += lines;
    return status != 0 || !lines.empty() ? 999 : 0;
}

std::string TLogCheck::Sequence(TDbKernel& kernel, const char* table, int position) {
    const uint32_t id = kernel.GetTableIDFromName(table);
    TRowLayout layout;
    int32_t keyIndex = 0;
    bool multiKey = false;
    int64_t largest = -1;
    auto visit = [&](int32_t, uint32_t, uint32_t slot) {
        int32_t n = 0;
        if (ParseInt32(TRowView(layout, slot).Text(position), n) && n > largest)
            largest = n;
    };
    // Chains the kernel's check finds damaged are its findings, not ours.
    if (!kernel.DescribeTable(id, layout, keyIndex, multiKey) ||
        !kernel.VisitSoundChains(id, layout, visit) || largest < 0)
        return std::string();
    const std::string key = std::to_string(id);
    const std::string in = std::string(TQSOs::kSequencesTable);
    TDBResultSet sequence;
    if (sequence.Open(TQSOs::kSequencesTable, key, key) != TDBResultSet::kOK)
        return in + ": no sequence of " + table + ", whose rows carry numbers up to " +
               std::to_string(largest) + "\r\n";
    const TDBFields& row = *sequence.CurrentFields;
    int32_t last = 0;
    if (ParseInt32(row.GetField(1)->Value, last) && last >= largest)
        return std::string();
    std::string offset;  // the row's RowID
    for (int i = 0; i < row.Count() && offset.empty(); ++i)
        if (static_cast<uint32_t>(row.GetField(i)->DataType) == kTypeFree)
            offset = row.GetField(i)->Value;
    return in + " at " + offset + ": the sequence of " + table + " stands at " +
           row.GetField(1)->Value + ", below the highest number in use, " +
           std::to_string(largest) + "\r\n";
}
