#include "control/run_results.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace sorvane {
namespace {

// The memory file system dates each write one second after the one before, from
// 1,000,000,001 on: a result written after the run's start is the run's own.
TEST(ResultsOfRun, TellsThisRunsResultsByNameAndTime) {
    MemoryFileSystem fs;
    fs.add_file("C:\\res\\old.res", "earlier run");       // 1,000,000,001
    fs.add_file("C:\\res\\same.res", "earlier run");      // 1,000,000,002, the start second
    fs.add_file("C:\\res\\New.RES", "this run");          // 1,000,000,003
    fs.add_file("C:\\res\\other.res", "not this run's");  // not among its names
    struct Case {
        std::int64_t started;
        std::vector<std::string> own;
    };
    const Case cases[] = {
        {1'000'000'000, {"old", "same", "new"}},
        {1'000'000'002, {"same", "new"}},  // the start second counts as the run's
        {1'000'000'003, {"new"}},
        {1'000'000'100, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.started);
        const RunMark run{"C:\\res\\", {"old", "same", "new", "missing"}, c.started};
        EXPECT_EQ(results_of_run(fs, run), c.own);
    }
}

}  // namespace
}  // namespace sorvane
