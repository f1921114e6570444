// Input: a holder-list import file, its first lines imported into HAMCLS of
// a log database; then the line splitter on every line, and the first
// line's call sign read back by key.
#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "TFuzzWorkspace.h"
#include "kernel/TDbKernel.h"
#include "records/THolderImport.h"
#include "schema/TDBResultSet.h"

namespace {
// The lines imported: the importer treats each line alike, so a longer file
// adds time, not new behaviour; the line splitter still sees every line.
constexpr int32_t kLinesImported = 32;
}  // namespace

int FuzzHolderImport(const uint8_t* data, size_t size) {
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    const std::string file = ws.WriteFile(ws.Dir() + "/HamCsig2", data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string firstCall;
    for (size_t start = 0, end = 0; start <= text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        const auto fields = THolderImport::ParseImportLine(text.substr(start, end - start));
        if (start == 0)
            firstCall = fields[0];
    }
    if (!ws.Open())
        return 0;
    std::string report;
    FuzzGuard([&] { THolderImport().ImportData(file, THolderImport::kTable, 1, kLinesImported); });
    FuzzGuard([&] { TDBResultSet().Open(THolderImport::kTable, firstCall, firstCall); });
    FuzzGuard([&] { DbKernel->CheckDatabase(report, 0); });
    ws.Close();
    return 0;
}
