#pragma once

#include <map>

#include "platform/process.h"

namespace sorvane {

// Programs started detached from our terminal (a session of their own), so the
// runtime goes on when the window is closed.
class PosixProcess final : public Process {
public:
    Started start(const std::string& program, const std::string& argument,
                  bool pass_output) override;
    bool is_running(std::int64_t id) override;
    std::optional<int> exit_status(std::int64_t id) override;
    void pause(std::chrono::milliseconds how_long) override;
    std::chrono::milliseconds now() override;

private:
    std::map<std::int64_t, int> ended_;  // reaped programs and how they ended
};

}  // namespace sorvane
