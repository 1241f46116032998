#include "results/mark_labels.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace sorvane {
namespace {

bool overlap(const PixelBox& a, const PixelBox& b) {
    return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

bool inside(const PixelBox& box, double x, double y) {
    return x >= box.left && x <= box.right() && y >= box.top && y <= box.bottom();
}

}  // namespace

std::vector<PlacedLabel> place_labels(const PlotPicture& picture, const AxisMapping& mapping,
                                      Range x, LabelFont font) {
    std::vector<PlacedLabel> placed;
    const PixelBox& area = mapping.box();
    const double gap = 3.0;
    // Strong peaks first: their numbers get the places nearest their tops.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < picture.marks.size(); ++i)
        if (x.contains(picture.marks[i].x)) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return picture.marks[a].apex > picture.marks[b].apex;
    });
    for (std::size_t index : order) {
        const PlotMark& mark = picture.marks[index];
        const double width = font.digit_width * static_cast<double>(mark_text(mark).size()) + 2.0;
        const double anchor_x = mapping.px(mark.x);
        const double anchor_y = std::clamp(mapping.py(mark.apex), area.top, area.bottom());
        PixelBox box{std::clamp(anchor_x - width / 2.0, area.left, area.right() - width),
                     anchor_y - gap - font.height, width, font.height};
        // Up from the peak's top first, then down from there towards the axis.
        auto taken = [&](const PixelBox& candidate) {
            return std::any_of(placed.begin(), placed.end(),
                               [&](const PlacedLabel& l) { return overlap(l.box, candidate); });
        };
        bool found = false;
        for (double top = box.top; top >= area.top && !found; top -= font.height / 2.0) {
            box.top = top;
            found = !taken(box);
        }
        for (double top = anchor_y - gap - font.height;
             !found && top + font.height <= area.bottom(); top += font.height / 2.0) {
            box.top = std::max(top, area.top);
            found = !taken(box);
        }
        if (found) placed.push_back({index, box, anchor_x, anchor_y});
    }
    return placed;
}

std::optional<std::size_t> mark_at(const std::vector<PlacedLabel>& labels, double px, double py,
                                   double reach) {
    std::optional<std::size_t> best;
    double best_distance = reach;
    for (const PlacedLabel& label : labels) {
        if (inside(label.box, px, py)) return label.mark;
        const double distance = std::fabs(px - label.anchor_x);
        if (distance <= best_distance && py >= label.box.top) {
            best_distance = distance;
            best = label.mark;
        }
    }
    return best;
}

}  // namespace sorvane
