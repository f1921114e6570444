#include "platform/TFileChooser.h"

TFileChooser::~TFileChooser() = default;

namespace {
TFileChooser* installedChooser = nullptr;
}  // namespace

TFileChooser* InstalledFileChooser() {
    return installedChooser;
}

void SetFileChooser(TFileChooser* chooser) {
    installedChooser = chooser;
}
