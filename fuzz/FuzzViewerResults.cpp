// Input: the results file the call-sign viewer writes; read as the lookup
// reads it and turned into the memo text.
#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "TFuzzWorkspace.h"
#include "logwindow/TCallDataLookup.h"

int FuzzViewerResults(const uint8_t* data, size_t size) {
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    const std::string file =
        ws.WriteFile(TCallDataLookup::ViewerResultsFileName(ws.Dir()), data, size);
    FuzzGuard([&] {
        const std::string text =
            TCallDataLookup::BuildCallDataText(TCallDataLookup::ReadResultsFile(file));
        // Every line shown comes from the file: the memo can never be longer
        // than the file plus its fixed blanks and line breaks.
        FuzzCheck(text.size() <= size + 64);
    });
    return 0;
}
