#include "pdf_pages.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "test_files.h"

namespace sorvane {
namespace {

std::string read_whole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

std::string unescaped(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities)
        for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::char_traits<char>::length(entity), plain);
    return text;
}

// A binary PPM (P6, maxval 255) as pdftoppm writes it.
PageImage read_ppm(const std::string& bytes) {
    PageImage image;
    std::istringstream in(bytes);
    std::string magic;
    int maxval = 0;
    in >> magic >> image.width >> image.height >> maxval;
    if (magic != "P6" || maxval != 255 || image.width <= 0 || image.height <= 0) return {};
    in.get();  // the one blank after the header
    std::string pixels(static_cast<std::size_t>(image.width) * image.height * 3, '\0');
    in.read(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    if (in.gcount() != static_cast<std::streamsize>(pixels.size())) return {};
    image.rgb.assign(pixels.begin(), pixels.end());
    return image;
}

}  // namespace

bool pdf_tools_present() {
    return std::system("pdftoppm -v >/dev/null 2>&1") == 0 &&
           std::system("pdftotext -v >/dev/null 2>&1") == 0;
}

std::vector<PdfWord> pdf_words(const std::string& pdf_path) {
    TempFolder folder;
    const std::string out = folder.path() + "words.html";
    if (std::system(("pdftotext -bbox " + quoted(pdf_path) + " " + quoted(out)).c_str()) != 0)
        return {};
    const std::string text = read_whole(out);
    std::vector<PdfWord> words;
    const std::regex word(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
    int page = -1;
    std::size_t next_page = text.find("<page ");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), word);
         it != std::sregex_iterator(); ++it) {
        const auto at = static_cast<std::size_t>(it->position());
        while (next_page != std::string::npos && next_page < at) {
            ++page;
            next_page = text.find("<page ", next_page + 1);
        }
        words.push_back({page, std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                         std::stod((*it)[4]), unescaped((*it)[5])});
    }
    return words;
}

std::vector<PageImage> pdf_pages(const std::string& pdf_path, int dpi) {
    TempFolder folder;
    const std::string prefix = folder.path() + "page";
    if (std::system(
            ("pdftoppm -r " + std::to_string(dpi) + " " + quoted(pdf_path) + " " + quoted(prefix))
                .c_str()) != 0)
        return {};
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        files.push_back(entry.path().string());
    // page-1.ppm ... page-9.ppm, or page-01.ppm ... with more pages: the same order.
    std::sort(files.begin(), files.end());
    std::vector<PageImage> pages;
    for (const std::string& file : files) pages.push_back(read_ppm(read_whole(file)));
    return pages;
}

int fit_colour_places(const PageImage& page) {
    // Its thin line, smoothed into the white around it, stays red well above green
    // and blue (the counts are grey, the background blue, the labels dark grey).
    auto fit_coloured = [](int r, int g, int b) { return r > 150 && r - g > 60 && r - b > 60; };
    int places = 0;
    bool in_place = false;
    for (int x = 0; x < page.width; ++x) {
        bool any = false;
        for (int y = 0; y < page.height && !any; ++y) {
            int r, g, b;
            page.at(x, y, r, g, b);
            any = fit_coloured(r, g, b);
        }
        places += any && !in_place;
        in_place = any;
    }
    return places;
}

std::vector<std::string> overlapping_words(const std::vector<PdfWord>& words) {
    std::vector<std::string> found;
    for (std::size_t a = 0; a < words.size(); ++a)
        for (std::size_t b = a + 1; b < words.size(); ++b) {
            const PdfWord& left = words[a];
            const PdfWord& right = words[b];
            if (left.page != right.page) continue;
            const double shared =
                std::min(left.y_max, right.y_max) - std::max(left.y_min, right.y_min);
            const double height = std::min(left.y_max - left.y_min, right.y_max - right.y_min);
            if (shared < 0.5 * height) continue;
            if (std::min(left.x_max, right.x_max) - std::max(left.x_min, right.x_min) > 0.1)
                found.push_back(left.text + "|" + right.text);
        }
    return found;
}

}  // namespace sorvane
