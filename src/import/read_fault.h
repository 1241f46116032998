#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "contract/number_text.h"

namespace sorvane {

// The read result that readers and read_raw_file give back: -1 read, 0 not read.
inline constexpr std::int32_t read_ok = -1;
inline constexpr std::int32_t not_read = 0;

// A reader's answer: the read result and, when not read, the reason in plain
// words for the command line, the tests and the run summary.
struct ReadOutcome {
    std::int32_t result = not_read;
    std::string reason;

    bool ok() const { return result == read_ok; }
    static ReadOutcome read() { return {read_ok, {}}; }
    static ReadOutcome failed(std::string why) { return {not_read, std::move(why)}; }
};

// The raw file's folder does not exist: the one fault the user is told of
// with "File does not exist.".
class PathNotFound : public ReadFault {
public:
    using ReadFault::ReadFault;
};

}  // namespace sorvane
