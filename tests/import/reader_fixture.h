#pragma once

#include <gtest/gtest.h>

#include "import/read_raw_file.h"
#include "platform/memory_file_system.h"
#include "support/scripted_ui.h"

namespace sorvane {

// A Windows-like machine in memory, one record and a scripted person: what every
// reader test needs.
class ReaderTest : public ::testing::Test {
protected:
    MemoryFileSystem fs{MemoryFileSystem::Flavour::windows};
    ScriptedUi ui;
    Spectrum spectrum;
    ReaderContext context{spectrum, fs, ui};

    ReadOutcome read(int code, const std::string& path, std::string_view bytes) {
        fs.add_file(path, bytes);
        return read_raw_file(context, code, path);
    }
};

}  // namespace sorvane
