#pragma once
// Follows znsim's --verbose log while it grows and tells, for each exchange, which fault the
// module made in its reply and whether another request's late reply reached the line after the
// request was sent.
#include <cstdio>
#include <string>

struct LoggedExchange {
    int requests = 0;      // requests logged since the last call (1 when all is well)
    std::string fault;     // fault named for the last request, "none" when none
    int strayReplies = 0;  // replies after that request beyond its own
};

class SimLogReader {
  public:
    explicit SimLogReader(const char* path);
    ~SimLogReader();
    bool Ok() const { return file_ != nullptr; }
    // Everything the simulator logged since the previous call.
    LoggedExchange Next();

  private:
    std::FILE* file_;
    std::string partial_;
};
