#pragma once
// A test that needs a foreign tool (socat, pymodbus, mbpoll...) fails without it, naming it: a
// skip looks green, and a peer that silently went missing would hide the tests it serves.
// tools/install-deps.sh installs every peer.
#include <gtest/gtest.h>

// Fails the current test from SetUp or a test body when `present` is false.
#define ZN_NEED_PEER(present, what)                                                      \
    do {                                                                                 \
        if (!(present))                                                                  \
            GTEST_FAIL() << (what) << " is missing (tools/install-deps.sh installs it)"; \
    } while (false)
