#pragma once

#include <cstdint>
#include <string>

#include "form/form1.h"

namespace sorvane {

class FileSystem;

// Clears `Combo1`, lists the twelve raw file types, selects the CHN type and sets
// the patterns of both file lists ("*.chn" and "*.*").
void fill_type_list(Form1& form, const FileSystem& files);

// A selection of `Combo1`, by the user or the program: the raw list's pattern and
// the frames around it follow the type.
void Combo1_Click(Form1& form, const FileSystem& files);

// The text of `Combo1` was edited: only the raw list's pattern follows, and an
// edit that leaves no entry selected changes nothing.
void Combo1_Change(Form1& form, const FileSystem& files);

// Selects a position of `Combo1` from code and runs the selection behaviour.
void select_type_position(Form1& form, int position, const FileSystem& files);

// The user typed into `Combo1`: the entry with exactly that caption becomes
// selected (none when no entry has it), then the text change runs.
void edit_type_text(Form1& form, std::string text, const FileSystem& files);

// The file type code of the selected entry (0 when none or "All Files").
std::int16_t selected_type_code(const Form1& form);

}  // namespace sorvane
