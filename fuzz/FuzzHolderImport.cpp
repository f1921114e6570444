// Input: a holder-list import file, imported whole into HAMCLS of a log
// database; then the line splitter on every line, and the first line's call
// sign read back by key.
#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "TFuzzWorkspace.h"
#include "kernel/TDbKernel.h"
#include "records/THolderImport.h"
#include "schema/TDBResultSet.h"

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
    FuzzGuard([&] { THolderImport().ImportData(file, THolderImport::kTable, 1, 1000); });
    FuzzGuard([&] { TDBResultSet().Open(THolderImport::kTable, firstCall, firstCall); });
    FuzzGuard([&] { DbKernel->CheckDatabase(report, 0); });
    ws.Close();
    return 0;
}
