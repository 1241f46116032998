#pragma once

#include <functional>
#include <map>
#include <vector>

#include "platform/process.h"

namespace sorvane {

// A Process for tests: it records every start, runs a test's stand-in for the
// runtime at each pause, and keeps a clock that moves only by the pauses.
class ScriptedProcess final : public Process {
public:
    struct Start {
        std::string program;
        std::string argument;
        bool pass_output;
    };

    std::vector<Start> starts;
    bool refuse_start = false;          // the program cannot be started
    bool running = true;                // what is_running answers
    int exit_code = 0;                  // what exit_status answers once not running
    std::map<std::int64_t, int> exits;  // starts that have ended on their own, by id
    std::function<void()> on_pause;     // the stand-in runtime's next step
    int pauses = 0;

    Started start(const std::string& program, const std::string& argument,
                  bool pass_output) override {
        if (refuse_start) return {std::nullopt, program + ": cannot be started"};
        starts.push_back({program, argument, pass_output});
        return {static_cast<std::int64_t>(starts.size()), {}};
    }
    bool is_running(std::int64_t id) override { return !exit_status(id).has_value(); }
    std::optional<int> exit_status(std::int64_t id) override {
        if (const auto ended = exits.find(id); ended != exits.end()) return ended->second;
        return running ? std::nullopt : std::optional<int>(exit_code);
    }
    void pause(std::chrono::milliseconds how_long) override {
        ++pauses;
        clock_ += how_long;
        if (on_pause) on_pause();
    }
    std::chrono::milliseconds now() override { return clock_; }

private:
    std::chrono::milliseconds clock_{0};
};

}  // namespace sorvane
