#pragma once

// The FileSystem and Process of the machine the program was built for.
#ifdef _WIN32
#include "platform/win32_file_system.h"
#include "platform/win32_process.h"
#else
#include "platform/posix_file_system.h"
#include "platform/posix_process.h"
#endif

namespace sorvane {

#ifdef _WIN32
using RealFileSystem = Win32FileSystem;
using RealProcess = Win32Process;
#else
using RealFileSystem = PosixFileSystem;
using RealProcess = PosixProcess;
#endif

}  // namespace sorvane
