#include "platform/posix_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

namespace sorvane {

Process::Started PosixProcess::start(const std::string& program, const std::string& argument,
                                     bool pass_output) {
    if (::access(program.c_str(), X_OK) != 0) {
        return {std::nullopt, program + ": " + std::strerror(errno)};
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    if (!pass_output) {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    }
    std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                               const_cast<char*>(argument.c_str()), nullptr};
    pid_t pid = 0;
    int error = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) return {std::nullopt, program + ": " + std::strerror(error)};
    return {pid, {}};
}

bool PosixProcess::is_running(std::int64_t id) {
    return !exit_status(id).has_value();
}

std::optional<int> PosixProcess::exit_status(std::int64_t id) {
    if (const auto known = ended_.find(id); known != ended_.end()) return known->second;
    int status = 0;
    const pid_t result = ::waitpid(static_cast<pid_t>(id), &status, WNOHANG);
    if (result == 0) return std::nullopt;
    // Exited and reaped now, or not our child (never, or reaped by someone else).
    const int code =
        result == static_cast<pid_t>(id) && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ended_[id] = code;
    return code;
}

void PosixProcess::pause(std::chrono::milliseconds how_long) {
    std::this_thread::sleep_for(how_long);
}

std::chrono::milliseconds PosixProcess::now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace sorvane
