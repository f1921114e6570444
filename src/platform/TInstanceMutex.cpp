#include "platform/TInstanceMutex.h"

namespace {
TInstanceMutex* gMutex = nullptr;
}

TInstanceMutex::~TInstanceMutex() = default;

TInstanceMutex* AppMutex() {
    return gMutex;
}

void SetAppMutex(TInstanceMutex* mutex) {
    gMutex = mutex;
}

void ReleaseAppMutex() {
    if (gMutex != nullptr)
        gMutex->Release();
}
