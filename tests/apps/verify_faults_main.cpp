// quorvel-render with faults made on purpose, to prove the --verify checker: a test build
// only, never installed. The faults are read from QUORVEL_INJECT_FAULTS:
//   "flips N every K"              every worker flips a bit in every K-th frame it draws, N times
//   "flip on P at F [repeats]"     the worker on processor P flips a bit in frame F
//   "crash S on P at F [repeats]"  ... dies of signal S before drawing frame F
//   "hang on P at F [repeats]"     ... stops making progress before drawing frame F
// With "repeats" a retest of the frame on that processor faults again.

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "quorvel-render/render_main.h"

namespace {

bool parseFaults(const std::string& text, quorvel::InjectedFaults& faults) {
    using Kind = quorvel::InjectedFaults::Kind;
    std::istringstream words(text);
    std::string kind, on, at, repeats;
    if (!(words >> kind)) return true;
    if (kind == "flips") {
        std::string every;
        return bool(words >> faults.flipsPerWorker >> every >> faults.flipEvery) && every == "every" &&
               faults.flipEvery > 0;
    }
    faults.kind = kind == "flip"    ? Kind::Flip
                  : kind == "crash" ? Kind::Crash
                  : kind == "hang"  ? Kind::Hang
                                    : Kind::None;
    if (faults.kind == Kind::None || (faults.kind == Kind::Crash && !(words >> faults.signal))) return false;
    if (!(words >> on >> faults.processor >> at >> faults.frame) || on != "on" || at != "at") return false;
    faults.repeats = bool(words >> repeats) && repeats == "repeats";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    quorvel::InjectedFaults faults;
    const char* text = std::getenv("QUORVEL_INJECT_FAULTS");
    if (text != nullptr && !parseFaults(text, faults)) {
        std::fprintf(stderr, "quorvel-render-faults: cannot read QUORVEL_INJECT_FAULTS='%s'\n", text);
        return 2;
    }
    return quorvel::renderMain(argc, argv, faults);
}
