#include "control/run_status_line.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

struct StatusLineRow {
    int type_code;
    ChnConversion conversion;
    std::size_t selected;
    BatchReport report;
    const char* line;
};

BatchReport report(int converted, std::size_t failed, bool started, int appeared = 0) {
    BatchReport made;
    made.converted = converted;
    made.failures.assign(failed, BatchFailure{"x.asc", "not read"});
    made.runtime_started = started;
    made.results_appeared = appeared;
    return made;
}

BatchReport with(BatchReport made, bool cancelled, bool control_file_failed) {
    made.cancelled = cancelled;
    made.control_file_failed = control_file_failed;
    return made;
}

class RunStatusLine : public ::testing::TestWithParam<StatusLineRow> {};

TEST_P(RunStatusLine, SaysWhatTheRunDid) {
    const StatusLineRow& row = GetParam();
    BatchRequest request;
    request.type_code = row.type_code;
    request.conversion = row.conversion;
    request.res_dir = "C:\\res\\";
    request.selected_names.assign(row.selected, "a.asc");
    EXPECT_EQ(run_status_line(request, row.report), row.line);
}

constexpr auto make = ChnConversion::make_chn;
constexpr auto temporary = ChnConversion::temporary;
constexpr auto only = ChnConversion::only_conversion;

INSTANTIATE_TEST_SUITE_P(
    Table, RunStatusLine,
    ::testing::Values(
        StatusLineRow{10, temporary, 3, report(2, 1, true, 2),
                      "GO: 2 files converted, 1 failed; 2 of 2 results appeared; "
                      "result folder C:\\res\\"},
        StatusLineRow{10, temporary, 1, with(report(1, 0, true, 0), true, false),
                      "GO: 1 file converted, 0 failed; 0 of 1 result appeared; cancelled; "
                      "result folder C:\\res\\"},
        StatusLineRow{10, make, 2, report(2, 0, true),
                      "GO: 2 files converted, 0 failed; the runtime was started; "
                      "result folder C:\\res\\"},
        StatusLineRow{10, make, 2, report(2, 0, false),
                      "GO: 2 files converted, 0 failed; the runtime was not started; "
                      "result folder C:\\res\\"},
        StatusLineRow{10, only, 1, report(1, 0, false),
                      "GO: 1 file converted, 0 failed; conversion only, the runtime was not "
                      "started; result folder C:\\res\\"},
        // CHN files are not converted, whatever the conversion choice says.
        StatusLineRow{1, temporary, 2, report(0, 0, true),
                      "GO: 2 CHN files listed; the runtime was started; result folder C:\\res\\"},
        StatusLineRow{10, make, 0, with(report(0, 0, true), false, true),
                      "GO: nothing selected; the runtime was started; the control file was not "
                      "written; result folder C:\\res\\"}));

}  // namespace
}  // namespace sorvane
