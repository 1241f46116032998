#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// Reads a control file the way its reader walks it: whole lines, and fields by
// list input (numbers and texts separated by blanks, commas and line ends).
// A line ends at CR, CR LF or LF, so a file edited on any system reads alike.
// Every read that cannot be done gives nothing; the caller keeps its old value.
class ListInput {
public:
    explicit ListInput(std::string_view bytes) : bytes_(bytes) {}

    bool at_end() const { return at_ >= bytes_.size(); }
    void rewind() { at_ = 0; }

    // The rest of the current line; nothing at the end of the file.
    std::optional<std::string> read_line();

    // One number field. A field that is no decimal number is consumed and gives nothing.
    std::optional<double> read_number();
    // A number field rounded to an integer (halves to even), nothing when out of range.
    std::optional<std::int16_t> read_int16();
    std::optional<std::int32_t> read_int32();

    // One text field: quoted, or up to the next comma or line end without the
    // surrounding blanks.
    std::optional<std::string> read_text();

private:
    bool skip_to_field();
    void skip_blanks();
    // Consumes one line end (CR LF counting as one) when the cursor is on one.
    bool consume_line_end();
    bool at_line_end() const;

    std::string_view bytes_;
    std::size_t at_ = 0;
};

// Whether a whole field is a decimal literal: sign, digits, point, exponent.
std::optional<double> decimal_literal(std::string_view field);

}  // namespace sorvane
