#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contract/number_text.h"

namespace sorvane {

// The text conventions that every text reader shares.

// Lines of a text file. A line ends at a carriage return, which may be followed
// by a line feed; a line feed alone does not end a line and stays in its text.
std::vector<std::string> split_lines(std::string_view bytes);

// A text file's lines with a read position, walked the way the readers walk a
// file: pass after pass from the top, reading past the end being a fault. The
// lines are views into the file's bytes, which the object owns; a view stays
// valid as long as the object.
class TextLines {
public:
    explicit TextLines(std::string bytes);

    bool at_end() const { return next_ >= lines_.size(); }
    // The next line; past the last one a ReadFault "end of file".
    std::string_view read_line();
    void rewind() { next_ = 0; }
    // Index (from 0) of the line that read_line gives next.
    std::size_t position() const { return next_; }
    void seek(std::size_t index) { next_ = index; }
    std::size_t size() const { return lines_.size(); }

    // From the top, the first line containing the keyword (ignoring case); the
    // read position is then just after it. Nothing when no line has it.
    std::optional<std::string_view> find_from_top(std::string_view keyword);

private:
    struct Span {
        std::size_t start;
        std::size_t length;
    };
    std::string_view line(std::size_t index) const {
        return std::string_view(bytes_).substr(lines_[index].start, lines_[index].length);
    }

    std::string bytes_;
    std::vector<Span> lines_;
    std::size_t next_ = 0;
};

// The n characters from character c (counting from 1); fewer when the line is short.
std::string_view columns(std::string_view line, std::size_t c, std::size_t n);

// Whether the keyword occurs anywhere in the line, letters compared ignoring case.
bool contains_keyword(std::string_view line, std::string_view keyword);

// Column (from 1) where the keyword first starts, ignoring case; 0 when absent.
std::size_t keyword_column(std::string_view line, std::string_view keyword);

// The n-th field (from 1) of a line split at the first character of `separator`;
// a run of blanks counts as one separator when the separator is a blank.
std::string get_field(std::string_view text, std::string_view separator, int n);
// The same field as a view into `text`, for loops over many lines.
std::string_view get_field_view(std::string_view text, std::string_view separator, int n);

// "JAN" .. "DEC" for 1 to 12, an empty text otherwise.
std::string num2month(int month);

}  // namespace sorvane
