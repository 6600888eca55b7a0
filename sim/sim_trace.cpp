// The log of chip accesses and its trace file.
#include <cstdio>

#include "sim_state.h"

namespace vornsim {
namespace detail {

void RecordChipAccess(const ChipAccess& access) {
    State& s = S();
    ++s.counters.chipAccesses;
    AppendBounded(s.chipAccesses, access);
    if (s.trace) {
        const std::string line = FormatTraceLine(access) + "\n";
        std::fputs(line.c_str(), s.trace.get());
        std::fflush(s.trace.get());  // readers follow the file while the program runs
    }
}

}  // namespace detail

using namespace detail;

std::vector<ChipAccess> ChipAccesses() {
    Locked lock;
    return std::vector<ChipAccess>(S().chipAccesses.begin(), S().chipAccesses.end());
}

void ClearChipAccesses() {
    Locked lock;
    S().chipAccesses.clear();
}

std::string FormatTraceLine(const ChipAccess& access) {
    const char* kind =
        access.atInterrupt ? (access.write ? "IW" : "IR") : (access.write ? "W" : "R");
    char line[48];
    std::snprintf(line, sizeof(line), "%d %s 0x%02X 0x%04X", access.card, kind,
                  static_cast<unsigned>(access.offset), static_cast<unsigned>(access.value));
    return line;
}

void SetTraceFile(const std::string& path) {
    Locked lock;
    State& s = S();
    s.trace.reset();
    if (!path.empty()) {
        s.trace.reset(std::fopen(path.c_str(), "ab"));
    }
}

}  // namespace vornsim
