// A printed page as plain drawing items in report units (3.78 per millimetre), boxes and
// labels; the painter in the user interface draws them onto a printer or a PDF.
// Positions count from the corner inside the 10 mm margins. To the right and at the bottom
// the page may be used up to 5 mm from the paper's edge (what printers reach), so the
// chart report's table of twenty cell columns (ending at 1064) prints whole on landscape A4.
#pragma once

#include "core/reports/layout_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel {

struct ReportRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool operator==(const ReportRect&) const = default;
};

struct ReportFont {
    std::string name = "Arial";
    int size = 8;
    std::uint32_t colour = 0; // 0x00BBGGRR
    std::uint8_t style = 0;   // font_style bits

    bool operator==(const ReportFont&) const = default;
};

struct ReportBox {
    ReportRect rect;
    int penWidth = 0;
    std::uint32_t frameColour = 0;
    std::uint32_t fillColour = 0x00FFFFFF;
};

struct ReportLabel {
    ReportRect rect;
    std::string text;
    ReportFont font;
    TextAlignment alignment = TextAlignment::Left;
    std::uint32_t background = 0x00FFFFFF;
    bool filled = false;
    bool wordWrap = false;
};

// Sizes of the A4 page in report units.
namespace report_page {
constexpr double kMarginMm = 10.0;
constexpr int kPortraitWidth = 718;   // (210 - 2 x 10) mm: inside both margins
constexpr int kPortraitHeight = 1047; // (297 - 2 x 10) mm
constexpr int kPortraitReachX = 737;  // (210 - 10 - 5) mm: the furthest a drawing may reach
constexpr int kPortraitReachY = 1066; // (297 - 10 - 5) mm
} // namespace report_page

struct ReportPage {
    std::vector<ReportBox> boxes;
    std::vector<ReportLabel> labels;
};

inline std::uint32_t rgbColour(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(b) << 16);
}

} // namespace kapsorel
