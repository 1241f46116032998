#pragma once

#include <signal.h>

#include <chrono>
#include <optional>

#include "platform/process.h"

namespace sorvane {

// A Process in front of the real one that kills the program it started (SIGKILL)
// once the given time has passed since the start, at the first pause after it: the
// runtime dying part way through a batch, as under a power cut or the task manager.
class KillingProcess final : public Process {
public:
    KillingProcess(Process& inner, std::chrono::milliseconds kill_after)
        : inner_(inner), kill_after_(kill_after) {}

    bool killed = false;

    Started start(const std::string& program, const std::string& argument,
                  bool pass_output) override {
        Started started = inner_.start(program, argument, pass_output);
        started_at_ = inner_.now();
        id_ = started.id;
        return started;
    }
    bool is_running(std::int64_t id) override {
        kill_when_due();
        return inner_.is_running(id);
    }
    std::optional<int> exit_status(std::int64_t id) override {
        kill_when_due();
        return inner_.exit_status(id);
    }
    void pause(std::chrono::milliseconds how_long) override {
        kill_when_due();
        inner_.pause(how_long);
    }
    std::chrono::milliseconds now() override { return inner_.now(); }

private:
    void kill_when_due() {
        if (killed || !id_ || inner_.now() - started_at_ < kill_after_) return;
        ::kill(static_cast<pid_t>(*id_), SIGKILL);
        killed = true;
    }

    Process& inner_;
    std::chrono::milliseconds kill_after_;
    std::chrono::milliseconds started_at_{0};
    std::optional<std::int64_t> id_;
};

}  // namespace sorvane
