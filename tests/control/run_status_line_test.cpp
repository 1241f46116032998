#include "control/run_status_line.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

struct StatusLineRow {
    int type_code;
    ChnConversion conversion;
    std::size_t selected, failed;
    int converted, appeared;
    bool started, cancelled, control_file_failed;
    const char* line;
    int earlier_kept = 0;
    const char* log_problem = "";
};

class RunStatusLine : public ::testing::TestWithParam<StatusLineRow> {};

TEST_P(RunStatusLine, SaysWhatTheRunDid) {
    const StatusLineRow& row = GetParam();
    BatchRequest request;
    request.type_code = row.type_code;
    request.conversion = row.conversion;
    request.res_dir = "C:\\res\\";
    request.selected_names.assign(row.selected, "a.asc");
    BatchReport report;
    report.converted = row.converted;
    report.failures.assign(row.failed, BatchFailure{"x.asc", "not read"});
    report.results_appeared = row.appeared;
    report.runtime_started = row.started;
    report.cancelled = row.cancelled;
    report.control_file_failed = row.control_file_failed;
    report.earlier_kept = row.earlier_kept;
    report.log_problem = row.log_problem;
    EXPECT_EQ(run_status_line(request, report), row.line);
}

constexpr auto make = ChnConversion::make_chn;
constexpr auto temporary = ChnConversion::temporary;

INSTANTIATE_TEST_SUITE_P(
    Table, RunStatusLine,
    ::testing::Values(
        StatusLineRow{10, temporary, 3, 1, 2, 2, true, false, false,
                      "GO: 2 files converted, 1 failed; 2 of 2 results appeared; "
                      "result folder C:\\res\\"},
        StatusLineRow{10, temporary, 1, 0, 1, 0, true, true, false,
                      "GO: 1 file converted, 0 failed; 0 of 1 result appeared; cancelled; "
                      "result folder C:\\res\\"},
        StatusLineRow{10, make, 2, 0, 2, 0, false, false, false,
                      "GO: 2 files converted, 0 failed; the runtime was not started; "
                      "result folder C:\\res\\"},
        StatusLineRow{10, ChnConversion::only_conversion, 1, 0, 1, 0, false, false, false,
                      "GO: 1 file converted, 0 failed; conversion only, the runtime was not "
                      "started; result folder C:\\res\\"},
        // CHN files are not converted, whatever the conversion choice says.
        StatusLineRow{1, temporary, 2, 0, 0, 0, true, false, false,
                      "GO: 2 CHN files listed; the runtime was started; result folder C:\\res\\"},
        StatusLineRow{10, make, 0, 0, 0, 0, true, false, true,
                      "GO: nothing selected; the runtime was started; the control file was not "
                      "written; result folder C:\\res\\"},
        // Earlier results put back, and a run log the disk had no room for.
        StatusLineRow{
            10, temporary, 3, 0, 3, 1, true, false, false,
            "GO: 3 files converted, 0 failed; 1 of 3 results appeared; 2 earlier "
            "results kept; the run log could not be written: C:\\res\\sorvane-run.log.tmp: "
            "No space left on device; result folder C:\\res\\",
            2, "C:\\res\\sorvane-run.log.tmp: No space left on device"},
        StatusLineRow{10, temporary, 1, 0, 1, 0, true, false, false,
                      "GO: 1 file converted, 0 failed; 0 of 1 result appeared; 1 earlier result "
                      "kept; result folder C:\\res\\",
                      1}));

// A result folder that cannot be written stops "GO" before anything, in every mode.
TEST(RunStatusLineStopped, AnUnwritableResultFolderIsNamed) {
    for (const int code : {1, 10}) {
        BatchRequest request;
        request.type_code = code;
        request.res_dir = "/media/cd/results/";
        request.selected_names = {"a.chn"};
        BatchReport report;
        report.result_folder_unwritable = true;
        EXPECT_EQ(run_status_line(request, report),
                  "GO: stopped: the result folder /media/cd/results/ cannot be written")
            << code;
    }
}

}  // namespace
}  // namespace sorvane
