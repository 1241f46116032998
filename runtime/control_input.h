#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "run_batch.h"

namespace sorvane {

struct ControlInput {
    std::optional<RunRequest> request;
    std::string error;  // why there is no request
};

// The run described by SYSTEM_DIR/sorvane.inf: options, folders and base names.
ControlInput request_from_control_file(const std::string& system_dir, FileSystem& fs);

}  // namespace sorvane
