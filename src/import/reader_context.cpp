#include "import/reader_context.h"

namespace sorvane {

ReadOutcome guarded_read(ReaderContext& context, const std::function<ReadOutcome()>& steps) {
    try {
        return steps();
    } catch (const PathNotFound& fault) {
        context.ui.message_box("File does not exist.", application_title, Buttons::ok);
        return ReadOutcome::failed(fault.what());
    } catch (const std::exception& fault) {
        return ReadOutcome::failed(fault.what());
    }
}

std::string read_input_bytes(const ReaderContext& context) {
    std::string bytes;
    FsResult result = context.fs.read_file(context.spectrum.input_path, bytes);
    if (result.status == FsStatus::path_not_found) throw PathNotFound(result.reason);
    if (!result.ok()) throw ReadFault(result.reason);
    return bytes;
}

TextLines read_input_lines(const ReaderContext& context) {
    return TextLines(read_input_bytes(context));
}

}  // namespace sorvane
