// The libFuzzer entry of one target; ZN_FUZZ_ENTRY names its FuzzOne function.
#include "tests/fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return ZN_FUZZ_ENTRY(data, size);
}
