#pragma once

#include <array>

#include "form/controls.h"
#include "form/file_list.h"

namespace sorvane {

// The main window as plain state, every control under its name; the Qt layer
// mirrors it and forwards the events to the handlers of this folder.
struct Form1 {
    Form1();

    CommandButton Command1;  // "GO"
    CommandButton Command2;  // "SET Default"
    TabControl SSTab1;

    // Frames, by their captions in the constructor.
    Frame Frame1, Frame2, Frame3, Frame4, Frame5, Frame6, Frame7, Frame8, Frame9, Frame10;
    Frame Frame11, Frame12, Frame13, Frame14, Frame15, Frame16, Frame17, Frame18;

    std::array<OptionButton, 2> Option1;  // PK search
    std::array<OptionButton, 2> Option2;  // Smoothing
    std::array<OptionButton, 2> Option3;  // PK shape
    std::array<OptionButton, 2> Option4;  // Fitted data plot
    std::array<OptionButton, 4> Option5;  // Raw Data
    std::array<OptionButton, 2> Option6;  // Cal area
    std::array<OptionButton, 2> Option7;  // Energy Calib.
    std::array<OptionButton, 3> Option8;  // CHN file conversion

    TextBox Text1;                 // BKG shape
    TextBox Text2;                 // PKfind sensitivity
    std::array<TextBox, 2> Text3;  // Cal area from, to
    std::array<TextBox, 2> Text4;  // energy calibration CH, low and high
    std::array<TextBox, 2> Text5;  // energy calibration Energy
    std::array<TextBox, 2> Text6;  // energy calibration FWHM
    TextBox Text7;                 // manual peak channels, one per line
    TextBox Text8;                 // user text
    std::array<TextBox, 2> Text9;  // directory fields: raw input, result

    ComboBox Combo1;                   // type of raw data file
    std::array<FileListBox, 2> File1;  // raw input list, result list

    std::array<MenuItem, 6> f11;  // the File menu
};

}  // namespace sorvane
