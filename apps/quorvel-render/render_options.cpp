#include "quorvel-render/render_options.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "frame/band_workers.h"
#include "io/command_line.h"
#include "io/frame_size.h"
#include "io/quoted_text.h"
#include "io/thread_count.h"
#include "raster/span_routines.h"

namespace quorvel {

const char* const kRenderUsage =
    "usage: quorvel-render [options]\n"
    "Renders Quorvel frames without a window.\n"
    "\n"
    "  --size WxH          drawing area, both even, 2 to 16384 (default 1910x1070)\n"
    "  --from K            start at frame K, skipping the frames before it (default 0)\n"
    "  --frames N          render frames K to K+N-1 (default 1)\n"
    "  --save LIST         frames to write: numbers and ranges such as 0-99,600,1200-1210,\n"
    "                      'all' or 'none' (default: the last frame; all with --out -)\n"
    "  -o, --out DIR       folder for saved frames, created if missing (default frames);\n"
    "                      '-' streams them to standard output (not a terminal)\n"
    "  --format FORMAT     png or ppm files (default png); on standard output ppm, one\n"
    "                      binary PPM after another (exact), or y4m, a YUV4MPEG2 stream\n"
    "                      for ffmpeg and mpv: 4:4:4, BT.601 limited range, 60 frames/s\n"
    "  --hash              print 'frame K hash H' (XXH3-64 of the frame's rows);\n"
    "                      on standard error when frames go to standard output\n"
    "  --bench             print frame times (mean, median, 99th percentile, slowest)\n"
    "                      and peak memory at the end (standard error when frames go to\n"
    "                      standard output)\n"
    "  --bench-plot FILE   write an SVG plot of every frame's time and drawn share\n"
    "  -q, --quiet         no progress line\n"
    "  --threads N         draw with N band workers, 1 to 256, or all (default all: one\n"
    "                      per processor this process may run on, pinned to it)\n"
    "  --reference         draw with the reference span routine on one thread\n"
    "  --span-routine NAME draw with that span routine on the band workers, to compare\n"
    "                      them (--version lists them); the frames are the same\n"
    "  --approx MODEL      approximate reciprocals: native (this processor's own; the\n"
    "                      default on x86), intel or amd (measured tables: the same frames\n"
    "                      as that maker's processors draw, on any processor)\n"
    "  --texture-out FILE  write the decoded texture (.png or .ppm)\n"
    "  -V, --version       the version, the span routine and the approximations' fingerprint\n"
    "  -h, --help          show this text\n"
    "Options that take a value also take it as --option=value; any unique beginning of\n"
    "an option's name will do (--fram 10), but options that write a file (--bench-plot,\n"
    "--texture-out) only their whole name; -- ends the options.\n";

namespace {

bool parseNumber(const std::string& text, uint64_t& value) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
    return code == std::errc() && end == text.data() + text.size();
}

// "N" or "N-M" with N <= M.
bool parseRange(const std::string& item, FrameRange& range) {
    const size_t dash = item.find('-');
    if (dash == std::string::npos) {
        if (!parseNumber(item, range.first)) return false;
        range.last = range.first;
        return true;
    }
    return parseNumber(item.substr(0, dash), range.first) && parseNumber(item.substr(dash + 1), range.last) &&
           range.first <= range.last;
}

bool parseSaveList(const std::string& text, RenderOptions& options, std::string& error) {
    if (text == "all" || text == "none") {
        options.save = text == "all" ? RenderOptions::Save::All : RenderOptions::Save::None;
        return true;
    }
    options.save = RenderOptions::Save::List;
    options.saveList.clear();
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        FrameRange range{};
        if (!parseRange(item, range)) {
            error = "--save wants frame numbers and ranges such as 0-99,600, 'all' or 'none'; " +
                    quotedValue(item) + " is neither";
            return false;
        }
        options.saveList.push_back(range);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    std::sort(options.saveList.begin(), options.saveList.end(),
              [](const FrameRange& a, const FrameRange& b) { return a.first < b.first; });
    for (size_t i = 1; i < options.saveList.size(); ++i) {
        if (options.saveList[i].first <= options.saveList[i - 1].last) {
            error = "--save lists frame " + std::to_string(options.saveList[i].first) + " twice";
            return false;
        }
    }
    return true;
}

// Options that write a file are taken only by their whole name.
constexpr bool kWholeNameOnly = true;
const std::vector<KnownOption> kRenderOptionList = {
    {"size", 0, true},         {"from", 0, true},    {"frames", 0, true},
    {"save", 0, true},         {"out", 'o', true},   {"format", 0, true},
    {"hash", 0, false},        {"bench", 0, false},  {"bench-plot", 0, true, kWholeNameOnly},
    {"quiet", 'q', false},     {"threads", 0, true}, {"reference", 0, false},
    {"span-routine", 0, true}, {"approx", 0, true},  {"texture-out", 0, true, kWholeNameOnly},
    {"version", 'V', false},   {"help", 'h', false},
};

bool applyValue(const std::string& option, const std::string& value, RenderOptions& options,
                bool& formatGiven, std::string& error) {
    if (option == "--texture-out") {
        if (!imageFormatOf(value)) {
            error = "--texture-out wants a file ending in .png or .ppm, got " + quotedValue(value);
            return false;
        }
        options.textureOut = value;
    } else if (option == "--span-routine") {
        std::string why;
        options.spanRoutine = spanRoutineNamed(value, why);
        if (options.spanRoutine == nullptr) {
            error = "--span-routine " + quotedValue(value) + ": " + why;
            return false;
        }
    } else if (option == "--threads") {
        return parseThreadCount(value, kMaxWorkers, options.threads, error);
    } else if (option == "--bench-plot") {
        if (!value.ends_with(".svg")) {
            error = "--bench-plot wants a file ending in .svg, got " + quotedValue(value);
            return false;
        }
        options.benchPlot = value;
    } else if (option == "--size") {
        if (!parseFrameSize(value, options.width, options.height)) {
            error = "--size wants WxH, both even, from 2 to " + std::to_string(kMaxFrameSide) + ", got " +
                    quotedValue(value);
            return false;
        }
    } else if (option == "--from") {
        if (!parseNumber(value, options.from)) {
            error = "--from wants a frame number, got " + quotedValue(value);
            return false;
        }
    } else if (option == "--frames") {
        if (!parseNumber(value, options.frames) || options.frames == 0) {
            error = "--frames wants a whole number of at least 1, got " + quotedValue(value);
            return false;
        }
    } else if (option == "--save") {
        return parseSaveList(value, options, error);
    } else if (option == "--approx") {
        std::string why;
        options.approx = approxModelNamed(value, why);
        if (options.approx == nullptr) {
            error = why.empty() ? "--approx wants native, intel or amd, got " + quotedValue(value)
                                : "--approx " + quotedValue(value) + ": " + why;
            return false;
        }
    } else if (option == "--out") {
        if (value.empty()) {
            error = "--out needs a folder name, or - for standard output";
            return false;
        }
        options.outDir = value;
    } else {
        const std::optional<ImageFormat> format = imageFormatNamed(value);
        if (!format) {
            error = "--format wants png, ppm or y4m, got " + quotedValue(value);
            return false;
        }
        options.format = *format;
        formatGiven = true;
    }
    return true;
}

// What only the whole command line can tell.
bool checkTogether(RenderOptions& options, bool formatGiven, bool saveGiven, bool threadsGiven,
                   std::string& error) {
    if (options.reference && threadsGiven) {
        error = "--reference draws on one thread: leave out --threads";
        return false;
    }
    if (options.frames - 1 > std::numeric_limits<uint64_t>::max() - options.from) {
        error = "--from and --frames reach past the last frame number";
        return false;
    }
    if (options.streaming()) {
        if (!formatGiven) options.format = ImageFormat::Ppm;
        if (!saveGiven) options.save = RenderOptions::Save::All;
        if (options.format == ImageFormat::Png) {
            error = "--out - streams ppm or y4m, not png";
            return false;
        }
    } else if (options.format == ImageFormat::Y4m) {
        error = "--format y4m is a stream: use it with --out -";
        return false;
    }
    if (options.save == RenderOptions::Save::List && (options.saveList.front().first < options.from ||
                                                      options.saveList.back().last > options.lastFrame())) {
        const uint64_t outside = options.saveList.front().first < options.from
                                     ? options.saveList.front().first
                                     : options.saveList.back().last;
        error = "--save names frame " + std::to_string(outside) + ", but only frames " +
                std::to_string(options.from) + " to " + std::to_string(options.lastFrame()) + " are rendered";
        return false;
    }
    return true;
}

}  // namespace

bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options,
                        std::string& error) {
    std::vector<GivenOption> given;
    if (!readOptions(arguments, kRenderOptionList, given, error)) return false;
    // --help wins over everything else; --version describes the approximations asked for.
    for (const GivenOption& option : given) {
        const std::string name = kRenderOptionList[size_t(option.which)].name;
        options.help = options.help || name == "help";
        options.version = options.version || name == "version";
    }
    if (options.help) return true;
    bool framesAsked = false, formatGiven = false, saveGiven = false, threadsGiven = false;
    for (const GivenOption& option : given) {
        const KnownOption& known = kRenderOptionList[size_t(option.which)];
        const std::string name = std::string("--") + known.name;
        if (name == "--help" || name == "--version") continue;
        if (!known.takesValue) {
            bool* flag = name == "--hash"    ? &options.hash
                         : name == "--bench" ? &options.bench
                         : name == "--quiet" ? &options.quiet
                                             : &options.reference;
            *flag = true;
            framesAsked = framesAsked || name != "--quiet";
            continue;
        }
        if (!applyValue(name, option.value, options, formatGiven, error)) return false;
        framesAsked = framesAsked || name != "--texture-out";
        saveGiven = saveGiven || name == "--save";
        threadsGiven = threadsGiven || name == "--threads";
    }
    if (options.version) return true;
    if (!checkTogether(options, formatGiven, saveGiven, threadsGiven, error)) return false;
    options.renderFrames = framesAsked || options.textureOut.empty();
    return true;
}

}  // namespace quorvel
