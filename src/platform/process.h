#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace sorvane {

// Starting the analysis runtime and watching it, behind an interface so the batch
// run can be tested with a scripted runtime and a clock that only moves on demand.
class Process {
public:
    struct Started {
        std::optional<std::int64_t> id;  // nothing when the program could not be started
        std::string reason;              // why not, in plain words
    };

    virtual ~Process() = default;

    // Starts `program` with exactly one argument: no shell, no splitting at blanks.
    // With `pass_output` the program's output goes to ours; otherwise nowhere.
    virtual Started start(const std::string& program, const std::string& argument,
                          bool pass_output) = 0;

    // Whether a started program is still running (false once it has exited).
    virtual bool is_running(std::int64_t id) = 0;

    // Never waits: nothing while the program runs; once it has ended (and has been
    // reaped, so no finished program lingers), its exit status, the same on every
    // later call. -1 when it ended without one (killed) or is no program we started.
    virtual std::optional<int> exit_status(std::int64_t id) = 0;

    // Waits a little between two looks at the result folder.
    virtual void pause(std::chrono::milliseconds how_long) = 0;

    // A steady clock, for the time limits of the waits.
    virtual std::chrono::milliseconds now() = 0;
};

}  // namespace sorvane
