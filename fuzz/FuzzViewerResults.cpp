// Input: the results file the call-sign viewer writes; read as the lookup
// reads it and turned into the memo text.
#include <fstream>
#include <string>

#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "TFuzzWorkspace.h"
#include "logwindow/TCallDataLookup.h"

int FuzzViewerResults(const uint8_t* data, size_t size) {
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    const std::string file = TCallDataLookup::ViewerResultsFileName(ws.Dir());
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    FuzzGuard([&] {
        const TCallDataLookup::TResultLines lines = TCallDataLookup::ReadResultsFile(file);
        const std::string text = TCallDataLookup::BuildCallDataText(lines);
        // Every line shown comes from the file: the memo can never be longer
        // than the file plus its fixed blanks and line breaks.
        if (text.size() > size + 64)
            __builtin_trap();
    });
    return 0;
}

#ifdef TRAMB_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzViewerResults(data, size);
}
#endif
