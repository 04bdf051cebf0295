// Makes the known answers --verify checks frames against, and turns them into source.
//   quorvel-known-hashes draw MODEL WxH > src/frame/generated/known-hashes-MODEL-WxH.txt
//     every frame of the zoom cycle drawn by the reference routine through the model, each
//     confirmed by the fast path on every processor; any difference fails, writing nothing
//   quorvel-known-hashes source src/frame/generated/known-hashes-MODEL-WxH.txt >
//   src/frame/generated/known_hashes_MODEL_WxH.cpp

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frame/animation.h"
#include "frame/frame_buffers.h"
#include "frame/frame_driver.h"
#include "frame/worker_pool.h"
#include "frame/worker_processors.h"
#include "numeric/approx_fingerprint.h"
#include "numeric/frame_hash.h"
#include "scene/preparation.h"

namespace {

using namespace quorvel;

bool parseSize(const char* text, int& width, int& height) {
    char end = 0;
    return std::sscanf(text, "%dx%d%c", &width, &height, &end) == 2 && width >= 2 && height >= 2 &&
           width % 2 == 0 && height % 2 == 0;
}

// One drawing of the cycle: its buffers and frame state.
struct Drawing {
    FrameBuffers buffers;
    FrameState frames;
};

bool startDrawing(const PreparedScene& scene, int width, int height, Drawing& drawing) {
    if (!allocateFrameBuffers(width, height, 1, drawing.buffers)) return false;
    drawing.frames = startFrames(scene, viewportOf(drawing.buffers));
    return true;
}

int draw(const char* modelName, const char* sizeText) {
    std::string why;
    const ApproxModel* model = approxModelNamed(modelName, why);
    int width = 0, height = 0;
    if (model == nullptr || isNative(*model) || !parseSize(sizeText, width, height)) {
        std::fprintf(stderr, "quorvel-known-hashes: draw wants intel or amd and an even WxH\n");
        return 2;
    }
    const PreparedScene scene = prepareBuiltInScene(*model);
    Drawing reference, fast;
    if (!startDrawing(scene, width, height, reference) || !startDrawing(scene, width, height, fast)) {
        std::fprintf(stderr, "quorvel-known-hashes: out of memory\n");
        return 1;
    }
    hashEveryFrame(fast.frames);
    int processors = 0;
    BandWorkers workers = workersForThreadOption(0, processors);
    startWorkerPool(workers);
    const WorkerPoolInUse poolInUse{workers};
    std::vector<uint64_t> hashes;
    for (int frame = 0; frame < kZoomCycleFrames; ++frame) {
        const DrawnFrame drawn = renderFrame(scene, reference.frames, referenceRenderPath());
        const uint64_t hash = frameHash(drawn.pixels, width, height);
        renderFrame(scene, fast.frames, fastestRenderPath(workers));
        if (lastFrameHash(fast.frames) != hash) {
            std::fprintf(stderr,
                         "quorvel-known-hashes: frame %d: the reference drew %016" PRIx64
                         ", the fast path %016" PRIx64 "\n",
                         frame, hash, lastFrameHash(fast.frames));
            return 1;
        }
        hashes.push_back(hash);
        if (frame % 100 == 99) std::fprintf(stderr, "quorvel-known-hashes: %d frames\n", frame + 1);
    }
    std::printf(
        "# Every frame's hash over the zoom cycle at %dx%d through --approx %s, drawn by the\n"
        "# reference routine and confirmed frame by frame by the fast path on %d workers.\n"
        "# Made with: quorvel-known-hashes draw %s %dx%d\n",
        width, height, modelName, workers.count, modelName, width, height);
    std::printf("model %s\nsize %dx%d\nfingerprint %016" PRIx64 "\n", modelName, width, height,
                approxFingerprint(*model));
    for (size_t frame = 0; frame < hashes.size(); ++frame)
        std::printf("%zu %016" PRIx64 "\n", frame, hashes[frame]);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// The text's fields; false with a line on stderr when any is missing or out of place.
struct Table {
    std::string model;
    int width = 0, height = 0;
    uint64_t fingerprint = 0;
    std::vector<uint64_t> hashes;
};

bool readTable(const char* path, Table& table) {
    std::ifstream in(path);
    std::string line, sizeText;
    bool haveFingerprint = false;
    while (in && std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "model") {
            fields >> table.model;
        } else if (key == "size") {
            fields >> sizeText;
        } else if (key == "fingerprint") {
            fields >> std::hex >> table.fingerprint;
            haveFingerprint = !fields.fail();
        } else {
            uint64_t hash = 0;
            fields >> std::hex >> hash;
            if (fields.fail() || key != std::to_string(table.hashes.size())) {
                std::fprintf(stderr, "quorvel-known-hashes: %s: line '%s' is not frame %zu's hash\n", path,
                             line.c_str(), table.hashes.size());
                return false;
            }
            table.hashes.push_back(hash);
        }
    }
    if (table.model.empty() || !haveFingerprint || !parseSize(sizeText.c_str(), table.width, table.height) ||
        table.hashes.size() != size_t(kZoomCycleFrames)) {
        std::fprintf(stderr, "quorvel-known-hashes: %s: wants model, size, fingerprint and %d hashes\n", path,
                     kZoomCycleFrames);
        return false;
    }
    return true;
}

int source(const char* path) {
    Table table;
    if (!readTable(path, table)) return 1;
    const char* file = std::strrchr(path, '/') != nullptr ? std::strrchr(path, '/') + 1 : path;
    std::string title = table.model;
    title[0] = static_cast<char>(title[0] - 'a' + 'A');
    std::printf("// clang-format off\n");
    std::printf("// The known frame hashes of --approx %s at %dx%d (%s).\n", table.model.c_str(), table.width,
                table.height, file);
    std::printf("// Regenerate with: quorvel-known-hashes source src/frame/generated/%s\n", file);
    std::printf("#include \"frame/known_frame_hashes.h\"\n\nnamespace quorvel {\nnamespace {\n\n");
    std::printf("constexpr uint64_t kHashes[%zu] = {\n", table.hashes.size());
    for (size_t i = 0; i < table.hashes.size(); ++i)
        std::printf("%s0x%016" PRIx64 ",%s", i % 4 == 0 ? "    " : "", table.hashes[i],
                    i % 4 == 3 ? "\n" : " ");
    std::printf("};\n\n}  // namespace\n\n");
    std::printf("extern const KnownFrameHashes kKnownHashes%s%dx%d = {\"%s\", %d, %d, 0x%016" PRIx64
                "u, kHashes};\n",
                title.c_str(), table.width, table.height, table.model.c_str(), table.width, table.height,
                table.fingerprint);
    std::printf("\n}  // namespace quorvel\n");
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "draw" && argc == 4) return draw(argv[2], argv[3]);
    if (command == "source" && argc == 3) return source(argv[2]);
    std::fprintf(stderr, "usage: quorvel-known-hashes draw MODEL WxH | source TABLE.txt\n");
    return 2;
}
