#pragma once

#include <string>
#include <string_view>

#include "browser/browsers.h"
#include "form/form1.h"
#include "support/memory_file_system.h"
#include "support/scripted_ui.h"

namespace sorvane {

// A Windows machine with drives C:, D: and E: (E: empty) and a few folders:
//   C:\alpha  C:\data\a(1)\x  C:\data\spectra  C:\Tools\bin  D:\x
// C:\data holds a.chn, b.chn, c.chn and notes.txt; C:\data\spectra holds s.chn.
inline MemoryFileSystem windows_disk() {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::windows);
    fs.add_folder("C:\\alpha");
    fs.add_folder("C:\\data\\a(1)\\x");
    fs.add_folder("C:\\data\\spectra");
    fs.add_folder("C:\\Tools\\bin");
    fs.add_folder("D:\\x");
    for (const char* name : {"a.chn", "b.chn", "c.chn", "notes.txt"}) {
        fs.add_file(std::string("C:\\data\\") + name, "x");
    }
    fs.add_file("C:\\data\\spectra\\s.chn", "x");
    return fs;
}

// A window's trees and form with both trees built on a file system.
struct BuiltTrees {
    explicit BuiltTrees(MemoryFileSystem disk) : fs(std::move(disk)) {
        build_drive_trees(trees, fs);
    }

    MemoryFileSystem fs;
    Form1 form;
    Browsers trees;
    ScriptedUi ui;

    FolderTree& tree(int index) { return trees.TreeView1.at(static_cast<std::size_t>(index)); }
    // The index of the node with this key in tree 0; fails the test when missing.
    int node(std::string_view key, int index = 0) { return tree(index).find(key); }
    const TreeNode& at(std::string_view key, int index = 0) {
        return tree(index).node(node(key, index));
    }
};

}  // namespace sorvane
