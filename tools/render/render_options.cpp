#include "render/render_options.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace quorvel {

const char* const kRenderUsage =
    "usage: quorvel-render [options]\n"
    "Renders Quorvel frames without a window.\n"
    "\n"
    "  --size WxH          drawing area, both even, 2 to 16384 (default 1910x1070)\n"
    "  --frames N          render frames 0 to N-1 (default 1)\n"
    "  --save LIST         frames to write: numbers separated by commas, 'all' or 'none'\n"
    "                      (default: the last frame)\n"
    "  --out DIR           folder for saved frames, created if missing (default frames)\n"
    "  --format png|ppm    saved frame format (default png)\n"
    "  --hash              print 'frame K hash H' (64-bit FNV-1a of the colour buffer)\n"
    "  --bench             print timing and peak memory at the end\n"
    "  --reference         draw with the reference span routine on one thread\n"
    "  --texture-out FILE  write the decoded texture (.png or .ppm)\n"
    "  --help              show this text\n";

namespace {

bool parseNumber(const std::string& text, uint64_t& value) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
    return code == std::errc() && end == text.data() + text.size();
}

bool parseSide(const std::string& text, int& side) {
    uint64_t value = 0;
    if (!parseNumber(text, value) || value < 2 || value > kMaxImageSide || value % 2 != 0) return false;
    side = static_cast<int>(value);
    return true;
}

bool parseSize(const std::string& text, RenderOptions& options) {
    const size_t x = text.find('x');
    return x != std::string::npos && parseSide(text.substr(0, x), options.width) &&
           parseSide(text.substr(x + 1), options.height);
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
        uint64_t frame = 0;
        if (!parseNumber(item, frame)) {
            error = "--save wants frame numbers separated by commas, 'all' or 'none', got '" + text + "'";
            return false;
        }
        options.saveList.push_back(frame);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    std::sort(options.saveList.begin(), options.saveList.end());
    if (std::adjacent_find(options.saveList.begin(), options.saveList.end()) != options.saveList.end()) {
        error = "--save lists a frame twice: '" + text + "'";
        return false;
    }
    return true;
}

}  // namespace

bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options,
                        std::string& error) {
    bool framesAsked = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            return true;
        }
        bool* flag = option == "--hash"        ? &options.hash
                     : option == "--bench"     ? &options.bench
                     : option == "--reference" ? &options.reference
                                               : nullptr;
        if (flag != nullptr) {
            *flag = true;
            framesAsked = true;
            continue;
        }
        const bool takesValue = option == "--size" || option == "--frames" || option == "--save" ||
                                option == "--out" || option == "--format" || option == "--texture-out";
        if (!takesValue) {
            error = "unknown option '" + option + "' (try --help)";
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (option == "--texture-out") {
            if (!imageFormatOf(value)) {
                error = "--texture-out wants a file ending in .png or .ppm, got '" + value + "'";
                return false;
            }
            options.textureOut = value;
            continue;
        }
        framesAsked = true;
        if (option == "--size") {
            if (!parseSize(value, options)) {
                error = "--size wants WxH, both even, from 2 to " + std::to_string(kMaxImageSide) +
                        ", got '" + value + "'";
                return false;
            }
        } else if (option == "--frames") {
            if (!parseNumber(value, options.frames) || options.frames == 0) {
                error = "--frames wants a whole number of at least 1, got '" + value + "'";
                return false;
            }
        } else if (option == "--save") {
            if (!parseSaveList(value, options, error)) return false;
        } else if (option == "--out") {
            if (value.empty()) {
                error = "--out needs a folder name";
                return false;
            }
            options.outDir = value;
        } else if (value == "png" || value == "ppm") {
            options.format = value == "png" ? ImageFormat::Png : ImageFormat::Ppm;
        } else {
            error = "--format wants png or ppm, got '" + value + "'";
            return false;
        }
    }
    if (options.save == RenderOptions::Save::List && options.saveList.back() >= options.frames) {
        error = "--save names frame " + std::to_string(options.saveList.back()) + ", but only frames 0 to " +
                std::to_string(options.frames - 1) + " are rendered";
        return false;
    }
    options.renderFrames = framesAsked || options.textureOut.empty();
    return true;
}

}  // namespace quorvel
