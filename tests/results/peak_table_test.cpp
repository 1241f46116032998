#include "results/peak_table.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(PeakTable, RoundsToTheUncertaintysFirstTwoDigits) {
    struct Case {
        double value;
        double uncertainty;
        const char* shown;
        const char* shown_uncertainty;
    };
    const Case cases[] = {
        {60282.58, 263.38975, "60280", "260"},    {121.78253, 0.0019484483, "121.7825", "0.0019"},
        {344.27308, 0.045, "344.273", "0.045"},   {7.5, 0.0, "7.5", "0"},
        {1234567.0, 98765.0, "1235000", "99000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rounded_pair(c.value, c.uncertainty),
                  std::make_pair(std::string(c.shown), std::string(c.shown_uncertainty)))
            << c.value;
}

// An older result without the cps column and without a legend still fills the table.
const char* const two_peaks =
    "[peaks]\r\n"
    "no channel energy d_energy area d_area d_area_pct fwhm_kev chi2r flags\r\n"
    "1  347.38  121.78253 0.0019484  60282.58 263.38975 0.43692514 0.98165 1.1000 T\r\n"
    "2  698.577 244.69705 0.0063782  140.5    13.2      9.3950178  1.23998 0.598  MD\r\n";

TEST(PeakTable, ShowsEveryPeakWithFlagsInWords) {
    const PeakTable table = peak_table(read_result(two_peaks));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0].cells,
              (std::vector<std::string>{"1", "347.38", "121.7825", "0.0019", "60280", "260", "0.44",
                                        "0.982", "-", "1.10", "tail fitted"}));
    EXPECT_EQ(table.rows[1].cells.back(), "manual peak, member of a multiplet");
    EXPECT_EQ(table.rows[1].keys[4], 140.5);  // sorted by the full value
    EXPECT_FALSE(table.rows[1].keys[10].has_value());
    EXPECT_EQ(table_text(table, {1}).substr(0, 12), "No.\tChannel\t");
}

// The values as the runtime writes them: 8 significant digits ("1.1000" is 1.1).
TEST(PeakTable, ExportsCsvWithFullDigits) {
    EXPECT_EQ(peaks_csv(read_result(two_peaks)),
              "no,channel,energy,d_energy,area,d_area,d_area_pct,fwhm_kev,cps,d_cps,chi2r,flags\r\n"
              "1,347.38,121.78253,0.0019484,60282.58,263.38975,0.43692514,0.98165,,,1.1,"
              "tail fitted\r\n"
              "2,698.577,244.69705,0.0063782,140.5,13.2,9.3950178,1.23998,,,0.598,"
              "\"manual peak, member of a multiplet\"\r\n");
}

}  // namespace
}  // namespace sorvane
