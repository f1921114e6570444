#include "platform/TEventPump.h"

namespace {
TEventPump* gPump = nullptr;
}

TEventPump::~TEventPump() = default;

void TEventPump::ProcessMessages() {}

TEventPump& EventPump() {
    static TEventPump idle;
    return gPump ? *gPump : idle;
}

void SetEventPump(TEventPump* pump) { gPump = pump; }
