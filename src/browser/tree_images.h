#pragma once

#include <array>
#include <string_view>

namespace sorvane {

// The image keys shared by both trees, in the order of the image list. The trees
// show "MyComp", "Drive", "Close" and "open"; the others are carried along.
inline constexpr std::string_view image_open = "open";
inline constexpr std::string_view image_close = "Close";
inline constexpr std::string_view image_drive = "Drive";
inline constexpr std::string_view image_my_computer = "MyComp";

inline constexpr std::array<std::string_view, 10> tree_image_keys = {
    image_open, image_close, image_drive,       "CD",       "FD", "525FD",
    "Rec",      "Desk",      image_my_computer, "net drive"};

}  // namespace sorvane
