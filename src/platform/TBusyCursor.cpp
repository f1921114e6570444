#include "platform/TBusyCursor.h"

namespace {
TBusyCursor* gCursor = nullptr;
}

TBusyCursor::~TBusyCursor() = default;

void TBusyCursor::Begin() {}

void TBusyCursor::End() {}

TBusyCursor& BusyCursor() {
    static TBusyCursor idle;
    return gCursor ? *gCursor : idle;
}

void SetBusyCursor(TBusyCursor* cursor) {
    gCursor = cursor;
}
