#include "platform/TDialogs.h"

#include "platform/TStderrDialogs.h"

namespace {
TDialogs* gDialogs = nullptr;
}

TDialogs::~TDialogs() = default;

TDialogs& Dialogs() {
    static TStderrDialogs fallback;
    return gDialogs ? *gDialogs : fallback;
}

void SetDialogs(TDialogs* dialogs) { gDialogs = dialogs; }
