#pragma once

#include <string>
#include <string_view>

#include "support/test_files.h"

namespace sorvane {

// The control file of "SET Default" with the spectra spec1 and spec2 and the
// folders of FormFixture (system C:\WINDOWS, raw C:\data\ and so on), written out
// by hand line by line. `cal_code` is the seventh "[CNTL option]" code (the "Cal
// area" choice) and `cal_area` the line under "[Cal area]".
inline std::string default_control_text(std::string_view cal_code = "01",
                                        std::string_view cal_area = "00000 00000 ") {
    std::string zero_peaks, zero_positions;
    for (int i = 0; i < 17; ++i) {
        zero_peaks += "00000.00 \r\n";
        zero_positions += "0,0,0,0\r\n";
    }
    return crlf_lines({"[system dir]", "C:\\WINDOWS", "[chn dir]", "C:\\data\\", "[res dir]",
                       "C:\\res\\", "[run time dir]", "C:\\rt\\", "[CNTL option]"}) +
           "00 00 00 00 01 01 " + std::string(cal_code) + " 00 01 00 \r\n" +
           crlf_lines({"[BKG shape]", " 10 ", "[PKF sens]", " 6 ", "[Cal area]", cal_area,
                       "[Eng cal]", "00200.00 00100.00 02.60 ", "04000.00 02000.00 03.50 ",
                       "[Manual cal]", "0", ""}) +
           zero_peaks + crlf_lines({"[/user inf]", "user inf", "[user inf/]", "[form pos]"}) +
           zero_positions + crlf_lines({"[file name]", "spec1", "spec2"});
}

}  // namespace sorvane
