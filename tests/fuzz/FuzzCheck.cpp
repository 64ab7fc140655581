#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/FuzzTargets.h"

namespace {
bool throwFindings = false;
}

void SetFuzzFindingsThrow(bool enabled) {
    throwFindings = enabled;
}

void FuzzCheck(bool holds, const char* rule) {
    if (holds) return;
    std::fprintf(stderr, "fuzz finding: %s\n", rule);
    if (throwFindings) throw FuzzFinding(rule);
    std::abort();
}
