#include "platform/TPrinter.h"

TPrinter::~TPrinter() = default;

bool TPrinter::SetupDialog(void*) {
    throw TNoPrinter("no printer");
}

bool TPrinter::IsLandscape() const {
    throw TNoPrinter("no printer");
}

void TPrinter::PrintLines(const std::vector<std::string>&, int, const std::string&) {
    throw TNoPrinter("no printer");
}

namespace {
TPrinter& MissingPrinter() {
    static TPrinter printer;
    return printer;
}
TPrinter* installedPrinter = nullptr;
}  // namespace

TPrinter& Printer() {
    return installedPrinter ? *installedPrinter : MissingPrinter();
}

void SetPrinter(TPrinter* printer) {
    installedPrinter = printer;
}
