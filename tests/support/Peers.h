#pragma once
// A test that needs a foreign tool (socat, pymodbus, mbpoll...) skips without it on a
// developer's machine, but fails under CI, whose install step puts every peer there: a peer
// that silently went missing must not turn its tests into skips that look green.
#include <gtest/gtest.h>

#include <QtGlobal>

inline bool PeersAreRequired() {
    const QByteArray ci = qgetenv("CI");
    return !ci.isEmpty() && ci != "0" && ci != "false";
}

// Skips (or, under CI, fails) the current test from SetUp or a test body when `present` is false.
#define ZN_NEED_PEER(present, what)                                                   \
    do {                                                                              \
        if (!(present)) {                                                             \
            if (PeersAreRequired())                                                   \
                GTEST_FAIL() << (what) << " is missing; CI installs every test peer"; \
            GTEST_SKIP() << (what) << " is not installed";                            \
        }                                                                             \
    } while (false)
