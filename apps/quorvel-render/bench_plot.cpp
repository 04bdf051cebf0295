#include "quorvel-render/bench_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "quorvel-render/round_ticks.h"

namespace quorvel {
namespace {

// The title and a legend of two rows above the plot, tick labels and axis titles around it:
// no writing lies on the data.
constexpr double kWidth = 960, kHeight = 480;
constexpr double kLeft = 76, kRight = 70, kTop = 84, kBottom = 50;
constexpr double kPlotWidth = kWidth - kLeft - kRight, kPlotHeight = kHeight - kTop - kBottom;
constexpr double kLegendY = 44, kNoteY = 64;
constexpr size_t kMostPoints = 4000;  // longer runs are thinned to every k-th frame's worst
constexpr int kMostTimeIntervals = 8;
// Text is placed by a width per character at least that of the 12-pixel sans-serif fonts,
// so that neighbours may stand a little apart but never overlap.
constexpr double kCharWidth = 7, kDigitWidth = 7.7;

const char* const kTimeColour = "#36c";
const char* const kShareColour = "#2a8";

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

std::string label(double x, double y, const std::string& text, const char* anchor = "middle") {
    return format("<text x='%.1f' y='%.1f'", x, y) + " text-anchor='" + anchor + "'>" + escaped(text) +
           "</text>\n";
}

double frameX(size_t index, size_t count) {
    return kLeft + kPlotWidth * (count > 1 ? double(index) / double(count - 1) : 0.5);
}

// y of a value on an axis from 0 to `top`; values past the top stay on its edge.
double valueY(double value, double top) { return kTop + kPlotHeight * (1 - std::min(value / top, 1.0)); }

// The points of one series, the worst of each run of frames when there are more than
// kMostPoints; a lone frame as a dot, which a one-point line would not show.
std::string series(const FrameTimes& times, bool shares, double top, const char* colour) {
    const size_t count = times.seconds.size(), step = (count + kMostPoints - 1) / kMostPoints;
    if (count == 1)
        return "<circle r='3' fill='" + std::string(colour) + "'" +
               format(" cx='%.1f' cy='%.1f'/>\n", frameX(0, 1),
                      valueY(shares ? times.drawnShares[0] : 1e3 * times.seconds[0], top));
    std::string points;
    for (size_t first = 0; first < count; first += step) {
        double worst = 0;
        for (size_t i = first; i < std::min(count, first + step); ++i)
            worst = std::max(worst, shares ? double(times.drawnShares[i]) : 1e3 * times.seconds[i]);
        points += format("%.1f,%.1f ", frameX(first, count), valueY(worst, top));
    }
    return "<polyline fill='none' stroke='" + std::string(colour) + "' stroke-width='1' points='" + points +
           "'/>\n";
}

// A small triangle pointing up with its base at (x, y): a frame slower than the axis shows.
std::string markAt(double x, double y) { return format("M%.1f,%.1fl3.5,-6l3.5,6z", x - 3.5, y); }

// Grid lines, tick marks and labels: time on the left, share on the right, frames below.
std::string axes(const RoundScale& time, unsigned long long firstFrame, size_t count) {
    std::string grid, svg;
    for (int tick = 0; tick <= time.intervals; ++tick) {
        const double y = valueY(tickValue(time, tick), tickValue(time, time.intervals));
        grid += format("M%.1f,%.1fH%.1f", kLeft - 4, y, kLeft + kPlotWidth);
        svg += label(kLeft - 7, y + 4, tickLabel(time, tick), "end");
    }
    for (int quarter = 0; quarter <= 4; ++quarter) {
        const double y = kTop + kPlotHeight * (1 - quarter / 4.0);
        grid += format("M%.1f,%.1fh4", kLeft + kPlotWidth, y);
        svg += label(kWidth - kRight + 7, y + 4, format("%.0f%%", 25.0 * quarter), "start");
    }
    const uint64_t lastFrame = firstFrame + (count > 1 ? count - 1 : 0);
    const double labelWidth = kDigitWidth * double(std::to_string(lastFrame).size());
    const int mostTicks = std::min(10, int(kPlotWidth / (labelWidth + 3 * kCharWidth)));
    for (uint64_t frame : roundFrameTicks(firstFrame, lastFrame, mostTicks)) {
        const double x = frameX(frame - firstFrame, count);
        grid += format("M%.1f,%.1fV%.1f", x, kTop, kTop + kPlotHeight + 4);
        // Kept whole on the picture: a long number at an edge shifts in from it.
        const double middle = std::clamp(x, labelWidth / 2 + 2, kWidth - labelWidth / 2 - 2);
        svg += label(middle, kHeight - kBottom + 18, std::to_string(frame));
    }
    svg += label(kLeft + kPlotWidth / 2, kHeight - 10, "frame");
    svg += format("<text x='16' y='%.1f' transform='rotate(-90 16 %.1f)' text-anchor='middle'>",
                  kTop + kPlotHeight / 2, kTop + kPlotHeight / 2) +
           "frame time (ms)</text>\n";
    svg += format("<text x='%.1f' y='%.1f' transform='rotate(90 %.1f %.1f)' text-anchor='middle' fill='",
                  kWidth - 16, kTop + kPlotHeight / 2, kWidth - 16, kTop + kPlotHeight / 2) +
           kShareColour + "'>share of the frame drawn</text>\n";
    return "<path fill='none' stroke='#ddd' d='" + grid + "'/>\n" + svg;
}

// One row of the legend, filled left to right with samples and their words.
struct LegendRow {
    double y, x;
    std::string svg;
};

void addLine(LegendRow& row, const char* colour, bool dashed) {
    row.svg += format("<line x1='%.1f' x2='%.1f' y1='%.1f' y2='%.1f' stroke-width='1.5'", row.x, row.x + 22,
                      row.y - 4, row.y - 4) +
               (dashed ? " stroke-dasharray='6 4'" : "") + " stroke='" + colour + "'/>\n";
    row.x += 28;
}

void addWords(LegendRow& row, const std::string& words) {
    row.svg += label(row.x, row.y, words, "start");
    row.x += kCharWidth * double(words.size()) + 20;
}

// Frames slower than the axis's top: how many, and a mark above the plot's edge for each
// column of pixels they fall in.
struct FramesAbove {
    size_t count;
    std::string marks;  // SVG path data
};

FramesAbove framesAbove(const FrameTimes& times, double top) {
    FramesAbove above{0, ""};
    long lastColumn = -1;
    for (size_t i = 0; i < times.seconds.size(); ++i) {
        if (1e3 * times.seconds[i] <= top) continue;
        ++above.count;
        const long column = std::lround(frameX(i, times.seconds.size()));
        if (column != lastColumn) above.marks += markAt(double(column), kTop - 1);
        lastColumn = column;
    }
    return above;
}

}  // namespace

std::string benchPlotSvg(const FrameTimes& times, const FrameTimeSummary& summary,
                         unsigned long long firstFrame, const std::string& title) {
    // The time axis reaches the slowest frame, or half again the 99th percentile when that
    // is lower: one far slower frame would flatten the rest, so frames beyond are marked.
    const RoundScale time =
        roundScale(std::max(1e3 * std::min(summary.max, 1.5 * summary.p99), 1e-3), kMostTimeIntervals);
    const double top = tickValue(time, time.intervals);
    const size_t count = times.seconds.size();
    std::string svg = format(
        "<?xml version='1.0' encoding='UTF-8'?>\n"
        "<svg xmlns='http://www.w3.org/2000/svg' width='%.0f' height='%.0f' viewBox='0 0 %.0f %.0f' "
        "font-family='sans-serif' font-size='12'>\n",
        kWidth, kHeight, kWidth, kHeight);
    svg += "<rect width='100%' height='100%' fill='white'/>\n";
    svg += label(kWidth / 2, 20, title);
    svg += axes(time, firstFrame, count);
    svg += format("<rect x='%.1f' y='%.1f' width='%.1f' height='%.1f' fill='none' stroke='#888'/>\n", kLeft,
                  kTop, kPlotWidth, kPlotHeight);
    svg += series(times, true, 1.0, kShareColour);
    svg += series(times, false, top, kTimeColour);

    LegendRow lines{kLegendY, kLeft, ""};
    addLine(lines, kTimeColour, false);
    addWords(lines, "frame time");
    addLine(lines, kShareColour, false);
    addWords(lines, "share of the frame drawn");
    for (const auto& [value, name, colour] :
         {std::tuple{summary.median, "median", "#c60"}, std::tuple{summary.p99, "99th percentile", "#c03"}}) {
        const double y = valueY(1e3 * value, top);
        svg +=
            format("<line x1='%.1f' x2='%.1f' y1='%.1f' y2='%.1f' stroke-dasharray='6 4' stroke-width='1.5'",
                   kLeft, kLeft + kPlotWidth, y, y) +
            " stroke='" + colour + "'/>\n";
        addLine(lines, colour, true);
        addWords(lines, std::string(name) + format(" %.3f ms", 1e3 * value));
    }

    const FramesAbove above = framesAbove(times, top);
    LegendRow note{kNoteY, kLeft, ""};
    if (above.count == 0) {
        addWords(note, format("mean %.3f ms, slowest %.3f ms", 1e3 * summary.mean, 1e3 * summary.max));
    } else {
        addWords(note, format("mean %.3f ms;", 1e3 * summary.mean));
        svg += "<path fill='" + std::string(kTimeColour) + "' d='" + above.marks + "'/>\n";
        note.svg +=
            "<path fill='" + std::string(kTimeColour) + "' d='" + markAt(note.x + 4, note.y) + "'/>\n";
        note.x += 14;
        const std::string beyond = " above " + tickLabel(time, time.intervals) + " ms";
        addWords(note, above.count == 1 ? "1 frame" + beyond + format(", at %.3f ms", 1e3 * summary.max)
                                        : std::to_string(above.count) + " frames" + beyond +
                                              format(", slowest %.3f ms", 1e3 * summary.max));
    }
    return svg + lines.svg + note.svg + "</svg>\n";
}

}  // namespace quorvel
