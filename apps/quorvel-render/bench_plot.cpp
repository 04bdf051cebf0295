#include "quorvel-render/bench_plot.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace quorvel {
namespace {

constexpr double kWidth = 960, kHeight = 480;
constexpr double kLeft = 70, kRight = 70, kTop = 40, kBottom = 50;
constexpr double kPlotWidth = kWidth - kLeft - kRight, kPlotHeight = kHeight - kTop - kBottom;
constexpr size_t kMostPoints = 4000;  // longer runs are thinned to every k-th frame's worst

std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : std::string(1, c);
    }
    return out;
}

// A line through the points of one series, y from 0 (bottom) to 1 (top), worst of each
// run of frames when there are more than kMostPoints.
std::string polyline(const FrameTimes& times, bool shares, double scale, const char* colour) {
    const size_t count = times.seconds.size(), step = (count + kMostPoints - 1) / kMostPoints;
    std::string points;
    for (size_t first = 0; first < count; first += step) {
        double worst = 0;
        for (size_t i = first; i < std::min(count, first + step); ++i)
            worst = std::max(worst, shares ? double(times.drawnShares[i]) : times.seconds[i]);
        const double x = kLeft + kPlotWidth * (count > 1 ? double(first) / double(count - 1) : 0.5);
        const double y = kTop + kPlotHeight * (1 - std::min(worst * scale, 1.0));
        points += format("%.1f,%.1f ", x, y);
    }
    return "<polyline fill='none' stroke='" + std::string(colour) + "' stroke-width='1' points='" + points +
           "'/>\n";
}

std::string label(double x, double y, const std::string& text, const char* anchor = "middle") {
    return format("<text x='%.1f' y='%.1f'", x, y) + " text-anchor='" + anchor + "'>" + escaped(text) +
           "</text>\n";
}

}  // namespace

std::string benchPlotSvg(const FrameTimes& times, const FrameTimeSummary& summary,
                         unsigned long long firstFrame, const std::string& title) {
    // The time axis reaches a little past the 99th percentile, so that the rare slow frame
    // does not flatten the rest; frames beyond it touch the top.
    const double top = std::max(summary.p99 * 1.5, 1e-6), scale = 1 / top;
    const size_t count = times.seconds.size();
    std::string svg = format(
        "<?xml version='1.0' encoding='UTF-8'?>\n"
        "<svg xmlns='http://www.w3.org/2000/svg' width='%.0f' height='%.0f' viewBox='0 0 %.0f %.0f' "
        "font-family='sans-serif' font-size='12'>\n",
        kWidth, kHeight, kWidth, kHeight);
    svg += "<rect width='100%' height='100%' fill='white'/>\n";
    svg += label(kWidth / 2, 22, title);
    svg += format("<rect x='%.1f' y='%.1f' width='%.1f' height='%.1f' fill='none' stroke='#888'/>\n", kLeft,
                  kTop, kPlotWidth, kPlotHeight);
    for (int tick = 0; tick <= 4; ++tick) {
        const double y = kTop + kPlotHeight * (1 - tick / 4.0);
        svg += label(kLeft - 6, y + 4, format("%.2f", 1e3 * top * tick / 4), "end");
        svg += label(kWidth - kRight + 6, y + 4, format("%.0f%%", 25.0 * tick), "start");
        const double frame = double(firstFrame) + double(count > 1 ? count - 1 : 0) * tick / 4;
        svg += label(kLeft + kPlotWidth * tick / 4, kHeight - kBottom + 18, format("%.0f", frame));
    }
    svg += label(kLeft + kPlotWidth / 2, kHeight - 12, "frame");
    svg += format("<text x='16' y='%.1f' transform='rotate(-90 16 %.1f)' text-anchor='middle'>",
                  kTop + kPlotHeight / 2, kTop + kPlotHeight / 2) +
           "frame time (ms)</text>\n";
    svg +=
        format("<text x='%.1f' y='%.1f' transform='rotate(90 %.1f %.1f)' text-anchor='middle' fill='#2a8'>",
               kWidth - 16, kTop + kPlotHeight / 2, kWidth - 16, kTop + kPlotHeight / 2) +
        "share of the frame drawn</text>\n";
    svg += polyline(times, true, 1.0, "#2a8");
    svg += polyline(times, false, scale, "#36c");
    for (const auto& [value, name, colour] :
         {std::tuple{summary.median, "p50", "#c60"}, std::tuple{summary.p99, "p99", "#c03"}}) {
        const double y = kTop + kPlotHeight * (1 - value * scale);
        svg +=
            format("<line x1='%.1f' x2='%.1f' y1='%.1f' y2='%.1f' stroke-dasharray='6 4' stroke-width='1.5'",
                   kLeft, kLeft + kPlotWidth, y, y) +
            " stroke='" + colour + "'/>\n";
        svg += "<text fill='" + std::string(colour) + "'" + format(" x='%.1f' y='%.1f'>", kLeft + 6, y - 4) +
               std::string(name) + format(" %.3f ms", 1e3 * value) + "</text>\n";
    }
    return svg + "</svg>\n";
}

}  // namespace quorvel
