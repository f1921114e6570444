#include "platform/THelpViewer.h"

THelpViewer::~THelpViewer() = default;

void THelpViewer::ShowContents(const std::string&, void*) {}

namespace {
THelpViewer& NullViewer() {
    static THelpViewer viewer;
    return viewer;
}
THelpViewer* installedViewer = nullptr;
}  // namespace

THelpViewer& HelpViewer() {
    return installedViewer ? *installedViewer : NullViewer();
}

void SetHelpViewer(THelpViewer* viewer) {
    installedViewer = viewer;
}

THelpViewer* InstalledHelpViewer() {
    return installedViewer;
}
