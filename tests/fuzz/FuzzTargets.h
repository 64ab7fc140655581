#pragma once
// The fuzz targets' entry points. Each takes one input of any bytes, runs it through the code
// under test and checks what must hold of the result; a broken rule ends in FuzzFinding. The
// libFuzzer programs and the replay test call the same functions.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

// Reply judging: a sent frame and a received hex text, judged and read back.
int FuzzReply(const uint8_t* data, size_t size);
// The same inputs carried in the reply to every poll of every model and decoded as its window
// does: replayed only, too slow to fuzz.
int FuzzReplyDecode(const uint8_t* data, size_t size);
// set.rc, set2.rc and tm.rc through the parsing of the start-up and the panel's load and save.
int FuzzSettings(const uint8_t* data, size_t size);
// The same inputs as files, through the start-up and two panels: replayed only, too slow to fuzz.
int FuzzSettingsRoundTrip(const uint8_t* data, size_t size);
// The simulator's byte stream cut into requests and answered by a bus of every model.
int FuzzSimFramer(const uint8_t* data, size_t size);
// The register window's typed-frame text.
int FuzzTypedFrame(const uint8_t* data, size_t size);

// A rule the code under test broke.
struct FuzzFinding : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reports a broken rule: prints it, then aborts (under libFuzzer, which keeps the input) or
// throws FuzzFinding (in the replay test, which names the file).
void FuzzCheck(bool holds, const char* rule);
void SetFuzzFindingsThrow(bool enabled);
