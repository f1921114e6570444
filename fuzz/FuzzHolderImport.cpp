// Input: a holder-list import file, imported whole into HAMCLS of a log
// database; then the line splitter on every line, and the first line's call
// sign read back by key.
#include <fstream>
#include <string>

#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "TFuzzWorkspace.h"
#include "kernel/TDbKernel.h"
#include "records/THolderImport.h"
#include "schema/TDBResultSet.h"

int FuzzHolderImport(const uint8_t* data, size_t size) {
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    const std::string& path = ws.LogTemplate();
    const std::string file = ws.Dir() + "/HamCsig2";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    std::string firstCall;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const auto fields = THolderImport::ParseImportLine(text.substr(start, end - start));
        if (start == 0)
            firstCall = fields[0];
        start = end + 1;
    }
    if (!ws.Open(path)) {
        ws.Close();
        return 0;
    }
    FuzzGuard([&] {
        THolderImport import;
        import.ImportData(file, THolderImport::kTable, 1, 1000);
    });
    FuzzGuard([&] {
        TDBResultSet rs;
        rs.Open(THolderImport::kTable, firstCall, firstCall);
    });
    std::string report;
    FuzzGuard([&] { DbKernel->CheckDatabase(report, 0); });
    ws.Close();
    return 0;
}

#ifdef TRAMB_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzHolderImport(data, size);
}
#endif
