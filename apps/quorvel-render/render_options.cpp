#include "quorvel-render/render_options.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "frame/band_workers.h"
#include "frame/known_frame_hashes.h"
#include "io/command_line.h"
#include "io/frame_size.h"
#include "io/quoted_text.h"
#include "io/thread_count.h"
#include "quorvel-render/duration.h"
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
    "  --report FILE.json  write what the run was and found as JSON: with --verify,\n"
    "                      --bench or --hash\n"
    "\n"
    "A processor stability test (overclocks, undervolts, suspect machines):\n"
    "  --verify            draw frames on every processor at once, one worker pinned to\n"
    "                      each, and check every frame against its known hash; stops at\n"
    "                      the first wrong frame or lost worker, naming the processor\n"
    "  --duration T        how long: 90s, 10m, 2h or forever (default 60s, a quick\n"
    "                      check; an hour or more before trusting a machine)\n"
    "  --cpus LIST         the processors to test, such as 0-3,8 (default: all this\n"
    "                      process may run on; --threads N picks N of them)\n"
    "  --one-at-a-time     one processor after another, the rest idle, each for\n"
    "  --per-cpu-time T    (default 6m); the duration then defaults to one round\n"
    "  --keep-going        record every failure and go on, instead of stopping\n"
    "  --frames N          with --verify: stop each processor after N frames (1824: the\n"
    "                      whole cycle once)\n"
    "  --size, --approx    1910x1070 (default) or 320x240, which fits in the caches;\n"
    "                      intel, amd, or native where it matches one of them\n"
    "  --out DIR           where a wrong frame is saved beside the right one\n"
    "                      (default verify-failures, made only when one is)\n"
    "  -V, --version       the version, the span routine and the approximations' fingerprint\n"
    "  -h, --help          show this text\n"
    "Options that take a value also take it as --option=value; any unique beginning of\n"
    "an option's name will do (--fram 10), but options that write a file (--bench-plot,\n"
    "--texture-out, --report) only their whole name; -- ends the options.\n";

const char* const kVerifyExitStatusHelp =
    "With --verify: 0 only when every frame drawn was right and at least one was checked;\n"
    "3 a frame drawn wrong or a worker lost (it crashed or hung); 128+N when signal N\n"
    "stopped a run that had found nothing wrong.\n";

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

// "0-3,8": processors by number, each once.
bool parseProcessorList(const std::string& text, std::vector<int>& processors, std::string& error) {
    processors.clear();
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        FrameRange range{};
        if (!parseRange(item, range) || range.last >= uint64_t(kMaxWorkers) * 16) {
            error = "--cpus wants processor numbers and ranges such as 0-3,8; " + quotedValue(item) +
                    " is neither";
            return false;
        }
        for (uint64_t processor = range.first; processor <= range.last; ++processor) {
            if (std::find(processors.begin(), processors.end(), int(processor)) != processors.end()) {
                error = "--cpus lists processor " + std::to_string(processor) + " twice";
                return false;
            }
            processors.push_back(int(processor));
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (processors.size() > size_t(kMaxWorkers)) {
        error = "--cpus lists more than " + std::to_string(kMaxWorkers) + " processors";
        return false;
    }
    return true;
}

// Options that write a file are taken only by their whole name.
constexpr bool kWholeNameOnly = true;
const std::vector<KnownOption> kRenderOptionList = {
    {"size", 0, true},
    {"from", 0, true},
    {"frames", 0, true},
    {"save", 0, true},
    {"out", 'o', true},
    {"format", 0, true},
    {"hash", 0, false},
    {"bench", 0, false},
    {"bench-plot", 0, true, kWholeNameOnly},
    {"quiet", 'q', false},
    {"threads", 0, true},
    {"reference", 0, false},
    {"span-routine", 0, true},
    {"approx", 0, true},
    {"texture-out", 0, true, kWholeNameOnly},
    {"report", 0, true, kWholeNameOnly},
    {"verify", 0, false},
    {"duration", 0, true},
    {"cpus", 0, true},
    {"one-at-a-time", 0, false},
    {"per-cpu-time", 0, true},
    {"keep-going", 0, false},
    {"version", 'V', false},
    {"help", 'h', false},
};

bool applyValue(const std::string& option, const std::string& value, RenderOptions& options,
                bool& formatGiven, std::string& error) {
    if (option == "--report") {
        if (!value.ends_with(".json")) {
            error = "--report wants a file ending in .json, got " + quotedValue(value);
            return false;
        }
        options.report = value;
    } else if (option == "--duration" || option == "--per-cpu-time") {
        const bool duration = option == "--duration";
        if (!parseDuration(value, duration, duration ? options.durationSeconds : options.perCpuSeconds)) {
            error = option + " wants a time such as 90s, 10m or 2h" + (duration ? " or forever" : "") +
                    ", got " + quotedValue(value);
            return false;
        }
    } else if (option == "--cpus") {
        return parseProcessorList(value, options.cpus, error);
    } else if (option == "--texture-out") {
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
        options.approxGiven = true;
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
        options.outGiven = true;
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
// --verify draws its own frames for as long as it is told; the options of a rendering run
// mean nothing to it, and its own nothing without it.
bool checkVerify(RenderOptions& options, const std::vector<std::string>& given, std::string& error) {
    const auto has = [&](const char* name) {
        return std::find(given.begin(), given.end(), name) != given.end();
    };
    if (!options.verify) {
        for (const char* name :
             {"--duration", "--cpus", "--one-at-a-time", "--per-cpu-time", "--keep-going"}) {
            if (has(name)) {
                error = std::string(name) + " goes with --verify";
                return false;
            }
        }
        if (!options.report.empty() && !options.bench && !options.hash) {
            error = "--report describes a --verify, --bench or --hash run: add one of them";
            return false;
        }
        return true;
    }
    for (const char* name : {"--from", "--save", "--format", "--hash", "--bench", "--bench-plot",
                             "--reference", "--texture-out"}) {
        if (has(name)) {
            error = std::string("--verify checks the frames it draws itself: leave out ") + name;
            return false;
        }
    }
    if (has("--per-cpu-time") && !options.oneAtATime) {
        error = "--per-cpu-time goes with --one-at-a-time";
        return false;
    }
    if (has("--threads") && has("--cpus")) {
        error = "--threads and --cpus both choose the processors: give one of them";
        return false;
    }
    if (options.outDir == "-") {
        error = "--verify saves wrong frames as PNG files: --out wants a folder";
        return false;
    }
    if (knownFrameHashesFor("intel", options.width, options.height) == nullptr) {
        error = "--verify draws at 1910x1070 or 320x240, the sizes it has known hashes for; got " +
                std::to_string(options.width) + "x" + std::to_string(options.height);
        return false;
    }
    options.durationGiven = has("--duration");
    if (has("--frames")) options.framesPerProcessor = options.frames;
    // Given frames and no time, a run ends when the frames are drawn.
    if (!options.durationGiven && options.framesPerProcessor > 0) options.durationSeconds = 0;
    if (!options.outGiven) options.outDir = "verify-failures";
    return true;
}

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
    std::vector<std::string> names;
    for (const GivenOption& option : given) {
        const KnownOption& known = kRenderOptionList[size_t(option.which)];
        const std::string name = std::string("--") + known.name;
        names.push_back(name);
        if (name == "--help" || name == "--version") continue;
        if (!known.takesValue) {
            bool* flag = name == "--hash"            ? &options.hash
                         : name == "--bench"         ? &options.bench
                         : name == "--quiet"         ? &options.quiet
                         : name == "--verify"        ? &options.verify
                         : name == "--one-at-a-time" ? &options.oneAtATime
                         : name == "--keep-going"    ? &options.keepGoing
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
    if (!checkVerify(options, names, error)) return false;
    if (options.verify) return true;
    if (!checkTogether(options, formatGiven, saveGiven, threadsGiven, error)) return false;
    options.renderFrames = framesAsked || options.textureOut.empty();
    return true;
}

}  // namespace quorvel
