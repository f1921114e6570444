#include "platform/TRecordingPrinter.h"

TRecordingPrinter::TRecordingPrinter() : previous_(&Printer()) {
    SetPrinter(this);
}

TRecordingPrinter::~TRecordingPrinter() {
    SetPrinter(previous_);
}

bool TRecordingPrinter::SetupDialog(void*) {
    ++Setups;
    if (Missing)
        throw TNoPrinter("no printer");
    return !Cancel;
}

bool TRecordingPrinter::IsLandscape() const {
    if (Missing)
        throw TNoPrinter("no printer");
    return Landscape;
}

void TRecordingPrinter::PrintLines(const std::vector<std::string>& lines, int pointSize,
                                   const std::string& documentTitle) {
    if (Missing)
        throw TNoPrinter("no printer");
    ++Printouts;
    Lines = lines;
    PointSize = pointSize;
    Title = documentTitle;
}
