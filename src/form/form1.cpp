#include "form/form1.h"

#include "form/directory_field.h"

namespace sorvane {
namespace {

template <std::size_t N>
void set_captions(std::array<OptionButton, N>& buttons,
                  const std::array<const char*, N>& captions) {
    for (std::size_t index = 0; index < N; ++index) buttons[index].caption = captions[index];
}

}  // namespace

Form1::Form1() {
    Command1.caption = "GO";
    Command2.caption = "SET Default";
    SSTab1.captions = {"Cal Option", "I/O Option", "Cal File(s)"};

    Frame1.caption = "CNTL Option";
    Frame2.caption = "PK search";
    Frame3.caption = "Smoothing";
    Frame4.caption = "PK shape";
    Frame5.caption = "Fitted data plot";
    Frame6.caption = "Raw Data ";
    Frame7.caption = "BKG shape";
    Frame8.caption = "Cal area";
    Frame9.caption = "Energy Calib.";
    Frame10.caption = "PKfind sensitivity";
    Frame11.caption = "CHN file(s)";
    Frame12.caption = "Result(s) Output dir";
    Frame13.caption = "Type of Raw Data File ";
    Frame14.caption = "CHN file conversion";
    Frame15.caption = "Manual PK search ch(s)";
    Frame16.caption = "Output Option (write of res)";
    Frame17.caption = "Input Option (read of data file)";
    Frame18.caption = "Inf. (max: 128 chrs, including CRLF)";

    set_captions(Option1, {"Auto", "Manual"});
    set_captions(Option2, {"5 ch", "7 ch"});
    set_captions(Option3, {"Gauss+exp", "Gauss"});
    set_captions(Option4, {"none", "simple plot"});
    set_captions(Option5, {"none", "output (with area cal)", "output (no area cal)",
                           "make csv file (no area cal)"});
    set_captions(Option6, {"All CH", "Manual setting"});
    set_captions(Option7, {"Auto (Use file include parm) (Set CH,FWHM)",
                           "Manual setting        (Set CH, Energy, FWHM) "});
    set_captions(Option8, {"yes, make chn", "no", "yes, only conversion (no cal)"});

    Text8.max_length = 128;
    for (TextBox& field : Text9) field.text = std::string(directory_field_initial_text);

    f11 = {{{160, "read parm"},
            {180, "save parm"},
            {199, "-"},
            {200, "run time"},
            {299, "-"},
            {300, "Exit"}}};
}

}  // namespace sorvane
