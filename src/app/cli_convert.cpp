#include <charconv>
#include <optional>
#include <ostream>
#include <set>

#include "app/cli.h"
#include "app/console_ui.h"
#include "import/base_name.h"
#include "import/raw_file_types.h"
#include "import/read_raw_file.h"
#include "platform/dos_pattern.h"
#include "platform/text_helpers.h"
#include "spectrum/chn_writer.h"

namespace sorvane {

const RawFileType* type_of_argument(const std::string& text) {
    int code = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (error == std::errc() && end == text.data() + text.size()) return type_of_code(code);
    return type_of_name(text);
}

namespace {

struct ConvertRequest {
    const RawFileType* type = nullptr;
    std::optional<std::string> out_folder;
    std::vector<std::string> files;
};

std::string type_names() {
    std::string names;
    for (const RawFileType& type : raw_file_types) {
        if (type.reader == nullptr && !type.already_chn) continue;
        names += "\n  " + std::to_string(type.code) + "  " + std::string(type.short_name) + "  \"" +
                 std::string(type.caption) + "\"";
    }
    return names;
}

// Parses the arguments; an error is reported and gives nothing.
std::optional<ConvertRequest> parse(const std::vector<std::string>& args, std::ostream& err) {
    ConvertRequest request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--type" || arg == "--out") {
            if (i + 1 >= args.size()) {
                err << "sorvanecli convert: " << arg << " needs a value\n";
                return std::nullopt;
            }
            const std::string& value = args[++i];
            if (arg == "--out") {
                request.out_folder = value;
            } else if ((request.type = type_of_argument(value)) == nullptr) {
                err << "sorvanecli convert: unknown file type \"" << value
                    << "\"; the types are:" << type_names() << '\n';
                return std::nullopt;
            }
        } else {
            request.files.push_back(arg);
        }
    }
    if (request.type == nullptr || request.files.empty()) {
        err << "usage: sorvanecli convert --type CODE|NAME [--out DIR] FILE...\n";
        return std::nullopt;
    }
    return request;
}

class Converter {
public:
    Converter(const ConvertRequest& request, FileSystem& fs, std::ostream& out, std::ostream& err)
        : request_(request), fs_(fs), out_(out), err_(err), ui_(err) {}

    // Converts one file; true when its CHN file was written.
    bool convert(const std::string& path) {
        const char separator = fs_.separator();
        const std::string base = base_name_of(name_of_path(path, separator));
        if (base.empty()) return fail(path, "the name is too short to leave a base name");
        const std::string folder =
            as_folder(request_.out_folder.value_or(folder_of_path(path, separator)), separator);
        const std::string chn_path = folder + base + ".chn";
        // Never overwrite an input, nor a CHN file this run has written already.
        if (equal_ignoring_case(chn_path, path))
            return fail(path, "the CHN file would replace the input itself");
        if (!written_.insert(lower_text(chn_path)).second) {
            return fail(path, chn_path + " was already written from another file of this run");
        }
        ReaderContext context{spectrum_, fs_, ui_};
        ReadOutcome outcome = read_raw_file(context, request_.type->code, path);
        ui_.take_messages();
        if (!outcome.ok()) return fail(path, "not read: " + outcome.reason);
        spectrum_.chn_path = chn_path;
        FsResult written = write_chn(spectrum_, fs_);
        if (!written.ok()) return fail(path, "CHN file not written: " + written.reason);
        out_ << path << " -> " << chn_path << "  (" << stored_channel_count(spectrum_.chn_header)
             << " channels)\n";
        return true;
    }

private:
    bool fail(const std::string& path, const std::string& reason) {
        err_ << "sorvanecli: " << path << ": " << reason << '\n';
        return false;
    }
    const ConvertRequest& request_;
    FileSystem& fs_;
    std::ostream& out_;
    std::ostream& err_;
    ConsoleUi ui_;
    Spectrum spectrum_;
    std::set<std::string> written_;
};

}  // namespace

int run_convert(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
                std::ostream& err) {
    std::optional<ConvertRequest> request = parse(args, err);
    if (!request) return 2;
    if (request->type->already_chn) {
        out << "\"" << request->type->caption
            << "\": the files are CHN files already; nothing converted\n";
        return 0;
    }
    if (request->out_folder && !fs.folder_exists(*request->out_folder)) {
        err << "sorvanecli: " << *request->out_folder << ": the output folder does not exist\n";
        return 1;
    }
    Converter converter(*request, fs, out, err);
    std::size_t converted = 0;
    for (const std::string& path : request->files) converted += converter.convert(path) ? 1 : 0;
    const std::size_t total = request->files.size();
    out << "converted " << converted << " of " << total << " file" << (total == 1 ? "" : "s");
    if (converted < total) out << "; " << total - converted << " not converted";
    out << '\n';
    return converted == total ? 0 : 1;
}

}  // namespace sorvane
