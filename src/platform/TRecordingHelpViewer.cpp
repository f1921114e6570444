#include "platform/TRecordingHelpViewer.h"

TRecordingHelpViewer::TRecordingHelpViewer() : previous_(&HelpViewer()) {
    SetHelpViewer(this);
}

TRecordingHelpViewer::~TRecordingHelpViewer() {
    SetHelpViewer(previous_);
}

void TRecordingHelpViewer::ShowContents(const std::string& helpFile, void* owner) {
    Files.push_back(helpFile);
    LastOwner = owner;
}
