#pragma once

#include <string>
#include <vector>

namespace sorvane {

// A PDF looked at the way a person does, through poppler's command-line tools
// (pdftoppm, pdftotext from poppler-utils): its pages as pictures, its words with
// their boxes.

// One word of a page as pdftotext -bbox gives it, in points from the top left.
struct PdfWord {
    int page = 0;  // from 0
    double x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    std::string text;
};

// One page drawn at some resolution, 8-bit RGB, rows from the top.
struct PageImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    // The colour of a pixel, each 0..255.
    void at(int x, int y, int& r, int& g, int& b) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        r = rgb[i], g = rgb[i + 1], b = rgb[i + 2];
    }
};

// Whether pdftoppm and pdftotext can be run here.
bool pdf_tools_present();

// The words of every page; empty when the file cannot be read.
std::vector<PdfWord> pdf_words(const std::string& pdf_path);

// Every page at `dpi` dots per inch; empty when the file cannot be drawn.
std::vector<PageImage> pdf_pages(const std::string& pdf_path, int dpi);

// How many separate places across a page show the fit's colour of the result plots
// (#d02020): runs of neighbouring pixel columns holding it somewhere. The fit is
// drawn over each peak, so a plot gives one place per peak region; the legend's
// short sample of the colour alone gives one.
int fit_colour_places(const PageImage& page);

// Pairs of words on one line (their boxes share most of their height) whose boxes
// overlap sideways: text run into its neighbour. Each as "left|right".
std::vector<std::string> overlapping_words(const std::vector<PdfWord>& words);

}  // namespace sorvane
