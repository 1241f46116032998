#include "platform/win32_process.h"

#include <windows.h>

#include <thread>

#include "platform/win32_error.h"

namespace sorvane {
namespace {

// One argument as the C run-time of the started program splits it back: quoted
// when it holds a blank; backslashes before a quote, or before the closing quote,
// are doubled so they stay backslashes.
std::string quoted_argument(const std::string& argument, bool always) {
    const bool quote =
        always || argument.empty() || argument.find_first_of(" \t\"") != std::string::npos;
    if (!quote) return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

void make_inheritable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
}

}  // namespace

struct Win32Process::Handles {
    std::map<std::int64_t, HANDLE> by_id;
    std::map<std::int64_t, int> ended;  // how the reaped programs ended
};

std::string windows_command_line(const std::string& program, const std::string& argument) {
    return quoted_argument(program, true) + ' ' + quoted_argument(argument, false);
}

Win32Process::Win32Process() : handles_(std::make_unique<Handles>()) {}

Win32Process::~Win32Process() {
    for (const auto& [id, handle] : handles_->by_id) CloseHandle(handle);
}

Process::Started Win32Process::start(const std::string& program, const std::string& argument,
                                     bool pass_output) {
    const DWORD attributes = GetFileAttributesA(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        const DWORD error =
            attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_ACCESS_DENIED;
        return {std::nullopt, program + ": " + win32_error_text(error)};
    }
    std::string command_line = windows_command_line(program, argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    DWORD flags = CREATE_NO_WINDOW;
    BOOL inherit = FALSE;
    if (pass_output) {
        // The runtime writes into the same console or pipe as we do.
        make_inheritable(STD_INPUT_HANDLE);
        make_inheritable(STD_OUTPUT_HANDLE);
        make_inheritable(STD_ERROR_HANDLE);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        flags = 0;
        inherit = TRUE;
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, inherit, flags,
                        nullptr, nullptr, &startup, &info)) {
        return {std::nullopt, program + ": " + win32_error_text(GetLastError())};
    }
    CloseHandle(info.hThread);
    const std::int64_t id = info.dwProcessId;
    if (auto old = handles_->by_id.find(id); old != handles_->by_id.end()) CloseHandle(old->second);
    handles_->by_id[id] = info.hProcess;
    return {id, {}};
}

bool Win32Process::is_running(std::int64_t id) {
    return !exit_status(id).has_value();
}

std::optional<int> Win32Process::exit_status(std::int64_t id) {
    if (const auto known = handles_->ended.find(id); known != handles_->ended.end())
        return known->second;
    const auto found = handles_->by_id.find(id);
    if (found == handles_->by_id.end()) return -1;
    if (WaitForSingleObject(found->second, 0) == WAIT_TIMEOUT) return std::nullopt;
    DWORD code = 0;
    const int status = GetExitCodeProcess(found->second, &code) ? static_cast<int>(code) : -1;
    CloseHandle(found->second);
    handles_->by_id.erase(found);
    handles_->ended[id] = status;
    return status;
}

void Win32Process::pause(std::chrono::milliseconds how_long) {
    std::this_thread::sleep_for(how_long);
}

std::chrono::milliseconds Win32Process::now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace sorvane
