// The libFuzzer entry of one target program: TRAMB_FUZZ_ENTRY names its function.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return TRAMB_FUZZ_ENTRY(data, size);
}
