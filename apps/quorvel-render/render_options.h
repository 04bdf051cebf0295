#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "io/image_file.h"
#include "numeric/approx_model.h"
#include "raster/raster_types.h"

namespace quorvel {

// Frames first..last, both included.
struct FrameRange {
    uint64_t first, last;
    bool operator==(const FrameRange&) const = default;
};

struct RenderOptions {
    int width = 1910;
    int height = 1070;
    uint64_t from = 0;         // the first frame drawn; the ones before it are skipped
    uint64_t frames = 1;       // how many are drawn from there
    bool renderFrames = true;  // false when only the texture was asked for
    enum class Save { Last, List, All, None } save = Save::Last;
    std::vector<FrameRange> saveList;  // ascending and apart, with Save::List
    std::string outDir = "frames";     // "-": the saved frames go to standard output
    ImageFormat format = ImageFormat::Png;
    bool hash = false;
    bool bench = false;
    std::string benchPlot;              // an SVG file for the frame-time plot
    bool quiet = false;                 // no progress line
    bool reference = false;             // the reference span routine on one thread
    SpanRoutine spanRoutine = nullptr;  // --span-routine; null: the fastest
    int threads = 0;                    // band workers; 0: one per processor this process may use
    const ApproxModel* approx = &defaultApprox();
    bool approxGiven = false;
    std::string textureOut;
    std::string report;  // --report: a JSON file describing the run
    // --verify: the processors checked against the known frame hashes.
    bool verify = false;
    uint64_t durationSeconds = 60;  // 0: until interrupted
    bool durationGiven = false;
    uint64_t framesPerProcessor = 0;  // --frames with --verify; 0: as many as the time allows
    bool oneAtATime = false;
    uint64_t perCpuSeconds = 360;
    bool keepGoing = false;
    std::vector<int> cpus;  // --cpus; empty: the processors --threads places workers on
    bool outGiven = false;
    bool help = false;
    bool version = false;

    bool streaming() const { return outDir == "-"; }
    uint64_t lastFrame() const { return from + frames - 1; }
};

// Parses the command line (without the program name). On bad input returns false with a
// one-line `error` that quotes at most about 60 characters of the value at fault.
bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options,
                        std::string& error);

extern const char* const kRenderUsage;
// What --verify adds to the exit statuses both programs share.
extern const char* const kVerifyExitStatusHelp;

}  // namespace quorvel
