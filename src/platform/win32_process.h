#pragma once

#include <map>
#include <memory>

#include "platform/process.h"

namespace sorvane {

// The Windows command line of a program and its one argument: the program in
// quotes, the argument quoted when it holds a blank, so a folder such as
// "C:\Users\A B\AppData\Roaming\Sorvane" reaches the runtime as one argument.
std::string windows_command_line(const std::string& program, const std::string& argument);

// Programs started with CreateProcess, no shell between. Without `pass_output`
// the program gets no console window and its output goes nowhere.
class Win32Process final : public Process {
public:
    Win32Process();
    ~Win32Process() override;
    Win32Process(const Win32Process&) = delete;
    Win32Process& operator=(const Win32Process&) = delete;

    Started start(const std::string& program, const std::string& argument,
                  bool pass_output) override;
    bool is_running(std::int64_t id) override;
    std::optional<int> exit_status(std::int64_t id) override;
    void pause(std::chrono::milliseconds how_long) override;
    std::chrono::milliseconds now() override;

private:
    struct Handles;  // the process handles of the started programs, by id
    std::unique_ptr<Handles> handles_;
};

}  // namespace sorvane
