// Pictures of the Windows window's three tabs, the demo folder open in the raw
// tree, as BMP files for tools/windows-screenshots.sh:
//   win32_screenshots OUT_FOLDER
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/win32_driver.h"

namespace {

// The window as it is on the screen, frame and menu included, as a 24-bit BMP.
bool save_window(HWND window, const std::string& path) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    RECT place{};
    GetWindowRect(window, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as BMP files store rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int row = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<std::size_t>(row) * static_cast<std::size_t>(height));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

struct Shot {
    int tab;
    const char* name;
};

constexpr Shot shots[] = {
    {0, "window-cal-option"},
    {1, "window-io-option"},
    {2, "window-cal-files"},
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: win32_screenshots OUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    sorvane::FirstStart day;
    day.start();
    SetWindowPos(day.view->handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    day.choose_type("simple");
    day.open_in_tree("TreeView1_0", day.demo);
    day.select_raw_files({"simple_co60.asc", "simple_cs137.asc"});
    int failures = 0;
    for (const Shot& shot : shots) {
        day.choose_tab(shot.tab);
        day.pump();
        Sleep(300);  // the X server draws what the window asked for
        day.pump();
        const std::string path = folder + "\\" + shot.name + ".bmp";
        if (!save_window(day.view->handle(), path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    return failures;
}
