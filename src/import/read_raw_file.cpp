#include "import/read_raw_file.h"

#include "import/raw_file_types.h"
#include "import/record_fields.h"
#include "platform/dos_pattern.h"

namespace sorvane {
namespace {

// What every reader shares: the hourglass where the type shows it, the record
// reset with the type's MCA number, and the one error guard around the steps.
ReadOutcome run_reader(ReaderContext& context, const RawFileType& type) {
    if (type.busy_pointer) context.ui.set_pointer(Pointer::hourglass);
    reset_for_reader(context.spectrum, type.mca_number);
    ReadOutcome outcome = guarded_read(context, [&] { return type.reader(context); });
    if (outcome.ok() && type.busy_pointer) context.ui.set_pointer(Pointer::normal);
    return outcome;
}

ReadOutcome dispatch(ReaderContext& context, int code, const std::string& path) {
    const RawFileType* type = type_of_code(code);
    if (type == nullptr)
        return ReadOutcome::failed("no raw file type has code " + std::to_string(code));
    if (type->already_chn) return ReadOutcome::read();
    if (type->reader == nullptr)
        return ReadOutcome::failed("no reader for \"" + std::string(type->caption) + "\"");
    if (!type->extension_test.empty() && !contains_ignoring_case(path, type->extension_test)) {
        return ReadOutcome::failed("the path does not contain \"" +
                                   std::string(type->extension_test) + "\"");
    }
    return run_reader(context, *type);
}

}  // namespace

ReadOutcome read_raw_file(ReaderContext& context, int code, const std::string& path) {
    context.spectrum.clear_data();
    context.spectrum.input_path = path;
    ReadOutcome outcome = dispatch(context, code, path);
    if (!outcome.ok()) {
        context.ui.set_pointer(Pointer::normal);
        context.ui.message_box(file_not_read_text, application_title, Buttons::ok);
    }
    return outcome;
}

}  // namespace sorvane
