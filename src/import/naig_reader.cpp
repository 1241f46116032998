#include <string>

#include "import/readers.h"
#include "import/record_fields.h"

namespace sorvane {
namespace {

constexpr char end_of_header = '\x7F';
constexpr std::size_t passed_over_size = 2303;
constexpr char data_marker = '?';
constexpr std::size_t field_size = 7;

// Data fields from `start` to the end of the dump or to the first field holding a
// CR LF; a last field cut short by the end of the dump is not a number the
// analyser sent, so it is not stored. Gives the number of fields stored.
std::size_t read_data_fields(Spectrum& spectrum, std::string_view bytes, std::size_t start) {
    std::size_t stored = 0;
    for (std::size_t at = start; at + field_size <= bytes.size(); at += field_size) {
        const std::string_view field = bytes.substr(at, field_size);
        if (field.find("\r\n") != std::string_view::npos) break;
        if (stored >= static_cast<std::size_t>(max_channels)) {
            throw ReadFault("the dump holds more than " + std::to_string(max_channels) +
                            " data fields");
        }
        spectrum.counts[stored++] = round_to_int32(number_value(field));
    }
    return stored;
}

}  // namespace

ReadOutcome read_naig(ReaderContext& context) {
    Spectrum& spectrum = context.spectrum;
    const std::string bytes = read_input_bytes(context);

    const std::size_t header_end = bytes.find(end_of_header);
    if (header_end == std::string::npos) return ReadOutcome::failed("no end-of-header byte 127");
    const std::size_t marker_at = header_end + 1 + passed_over_size;
    if (marker_at >= bytes.size())
        return ReadOutcome::failed("the dump ends before its data marker");
    if (bytes[marker_at] != data_marker) return ReadOutcome::failed("no data marker \"?\"");

    const std::size_t fields = read_data_fields(spectrum, bytes, marker_at + 1);
    spectrum.chn_header.num_channels = static_cast<std::int16_t>(fields);
    // The first two fields are the live and real time in seconds; a dump without
    // them has times 0.
    spectrum.chn_header.live_time = fields > 0 ? ticks_of_seconds(spectrum.counts[0]) : 0;
    spectrum.chn_header.real_time = fields > 1 ? ticks_of_seconds(spectrum.counts[1]) : 0;
    set_sample_description(spectrum, std::string_view(bytes).substr(0, header_end));
    return ReadOutcome::read();
}

}  // namespace sorvane
