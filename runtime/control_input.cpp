#include "control_input.h"

#include "contract/control_file_format.h"
#include "contract/result_schema.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

analysis::AnalysisOptions options_of(const AnalysisSettings& settings) {
    analysis::AnalysisOptions options;
    analysis::OptionCodes codes{};
    for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = settings.cntl_option[i];
    analysis::apply_option_codes(options, codes);
    options.bkg_shape = settings.bkg_shape;
    options.pkf_sens = settings.pkf_sens;
    options.cal_area_from = settings.cal_area_from;
    options.cal_area_to = settings.cal_area_to;
    options.low = {settings.eng_cal_low.ch, settings.eng_cal_low.energy, settings.eng_cal_low.fwhm};
    options.high = {settings.eng_cal_high.ch, settings.eng_cal_high.energy,
                    settings.eng_cal_high.fwhm};
    const std::size_t count = std::min<std::size_t>(
        static_cast<std::size_t>(std::max<int>(settings.manual_pk_count, 0)), stored_manual_peaks);
    options.manual_peaks.assign(settings.manual_pk_ch.begin(),
                                settings.manual_pk_ch.begin() + count);
    return analysis::clamped(options);
}

}  // namespace

ControlInput request_from_control_file(const std::string& system_dir, FileSystem& fs) {
    const std::string folder = as_folder(system_dir, fs.separator());
    const std::string path = folder + std::string(result_schema::control_file_name);
    std::string bytes;
    FsResult read = fs.read_file(path, bytes);
    if (!read.ok())
        return {std::nullopt, "cannot read the control file " + path + ": " + read.reason};

    // The same reader as the front end's, so both see one file the same way.
    AnalysisSettings settings;
    settings.system_dir = system_dir;
    parse_control_file(bytes, settings);
    RunRequest request;
    request.options = options_of(settings);
    request.system_dir = system_dir;
    request.chn_dir = as_folder(settings.chn_dir, fs.separator());
    request.res_dir = as_folder(settings.res_dir, fs.separator());
    request.base_names = read_file_name_section(bytes);
    // Beside the control file when the front end converted raw files for this run.
    std::string sources;
    if (fs.read_file(folder + std::string(raw_sources_file_name), sources).ok())
        request.sources = parse_raw_sources(sources);
    return {std::move(request), {}};
}

}  // namespace sorvane
