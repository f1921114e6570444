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
    int32_t status = kernel.CheckDatabase(report, 0) == 0 ? 0 : 999;
    int32_t lines = 0;
    if (tables) {
        std::vector<std::string> missing, malformed;
        TLogTables::CheckLogging(missing, malformed);
        for (const std::string& name : missing) report += name + ": the log's table is missing\r\n";
        for (const std::string& name : malformed)
            report += name + ": the table lacks the columns the log needs\r\n";
        lines += static_cast<int32_t>(missing.size() + malformed.size());
    }
    // QSOLOG and the date index draw their numbers from SEQUENCES; the
    // contact texts carry the contact's number.
    lines += CheckSequence(kernel, TQSOs::kLogTable, TQSOs::kColNumber, report);
    lines += CheckSequence(kernel, TQSOs::kDateIndexTable, TQSOs::kIdxNumber, report);
    return lines > 0 ? 999 : status;
}

int32_t TLogCheck::CheckSequence(TDbKernel& kernel, const char* table, int position,
                                 std::string& report) {
    for (const TLogTables::TTable& t : TLogTables::Tables())
        if ((t.Name == std::string(table) || t.Name == std::string(TQSOs::kSequencesTable)) &&
            TLogTables::StateOf(t) != TLogTables::TState::kSound)
            return 0;  // a table the log lacks is its own finding
    const uint32_t id = kernel.GetTableIDFromName(table);
    TRowLayout layout;
    int32_t keyIndex = 0;
    bool multiKey = false;
    int64_t largest = -1;
    // Chains the kernel's check finds damaged are its own findings.
    if (!kernel.DescribeTable(id, layout, keyIndex, multiKey) ||
        !kernel.VisitSoundChains(id, layout,
                                 [&](int32_t, uint32_t, uint32_t slot) {
                                     int32_t n = 0;
                                     if (ParseInt32(TRowView(layout, slot).Text(position), n) &&
                                         n > largest)
                                         largest = n;
                                 }) ||
        largest < 0)
        return 0;
    const std::string key = std::to_string(id);
    TDBResultSet sequence;
    if (sequence.Open(TQSOs::kSequencesTable, key, key) != TDBResultSet::kOK ||
        !sequence.CurrentFields) {
        report += std::string(TQSOs::kSequencesTable) + ": no sequence of " + table +
                  ", whose rows carry numbers up to " + std::to_string(largest) + "\r\n";
        return 1;
    }
    const TDBFields& row = *sequence.CurrentFields;
    int32_t last = 0;
    if (ParseInt32(row.GetField(1)->Value, last) && last >= largest)
        return 0;
    std::string offset = "?";
    for (int i = 0; i < row.Count(); ++i)
        if (static_cast<uint32_t>(row.GetField(i)->DataType) == kTypeFree) {
            offset = row.GetField(i)->Value;
            break;
        }
    report += std::string(TQSOs::kSequencesTable) + " at " + offset + ": the sequence of " + table +
              " stands at " + row.GetField(1)->Value + ", below the highest number in use, " +
              std::to_string(largest) + "\r\n";
    return 1;
}
