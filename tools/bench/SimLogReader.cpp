#include "tools/bench/SimLogReader.h"

SimLogReader::SimLogReader(const char* path) : file_(std::fopen(path, "r")) {}

SimLogReader::~SimLogReader() {
    if (file_) std::fclose(file_);
}

LoggedExchange SimLogReader::Next() {
    LoggedExchange out{0, "none", 0};
    if (!file_) return out;
    bool silentOwn = false;
    int repliesAfter = 0;
    char chunk[512];
    std::clearerr(file_);  // the file has grown since the last end of file
    while (std::fgets(chunk, sizeof chunk, file_)) {
        partial_ += chunk;
        if (partial_.back() != '\n') continue;  // the rest of the line is still being written
        const std::string line = std::move(partial_);
        partial_.clear();
        // "12:00:00.123 sys/COM1 <- 01 03 ... [ZN210@1 fault late]" or "... -> 01 03 ..."
        if (line.find(" <- ") != std::string::npos) {
            ++out.requests;
            repliesAfter = 0;
            const auto at = line.find(" fault ");
            out.fault =
                at == std::string::npos ? "none" : line.substr(at + 7, line.find(']', at) - at - 7);
            silentOwn = out.fault == "silence" || out.fault == "late" ||
                        line.find("[no answer]") != std::string::npos;
        } else if (line.find(" -> ") != std::string::npos) {
            ++repliesAfter;
        }
    }
    if (out.requests > 0) out.strayReplies = repliesAfter - (silentOwn ? 0 : 1);
    if (out.strayReplies < 0) out.strayReplies = 0;
    return out;
}
