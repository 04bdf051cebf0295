#include "frame/worker_processors.h"

#include <algorithm>
#include <vector>

namespace quorvel {
namespace {

bool sameCore(const LogicalProcessor& a, const LogicalProcessor& b) {
    return a.core >= 0 && a.package >= 0 && a.core == b.core && a.package == b.package;
}

}  // namespace

BandWorkers workersOnProcessors(std::span<const LogicalProcessor> allowed, int count) {
    // Which thread of its core each processor is: 0 for the first in number order.
    struct Placed {
        int number;
        int thread;
    };
    std::vector<Placed> order;
    for (size_t i = 0; i < allowed.size(); ++i) {
        int thread = 0;
        for (size_t j = 0; j < i; ++j) thread += sameCore(allowed[j], allowed[i]) ? 1 : 0;
        order.push_back({allowed[i].number, thread});
    }
    std::stable_sort(order.begin(), order.end(), [](const Placed& a, const Placed& b) {
        return a.thread != b.thread ? a.thread < b.thread : a.number < b.number;
    });
    BandWorkers workers{};
    workers.count = std::clamp(count, 1, kMaxWorkers);
    for (int w = 0; w < workers.count; ++w) {
        workers.processors[w] = order.empty() ? -1 : order[size_t(w) % order.size()].number;
    }
    return workers;
}

BandWorkers workersForThreadOption(int requested, int& processors) {
    const std::vector<LogicalProcessor> allowed = allowedProcessors();
    processors = int(allowed.size());
    return workersOnProcessors(allowed, requested > 0 ? requested : processors);
}

std::string processorList(const BandWorkers& workers) {
    std::string list;
    for (int w = 0; w < workers.count; ++w) {
        if (w > 0) list += ',';
        list += workers.processors[w] < 0 ? std::string("any") : std::to_string(workers.processors[w]);
    }
    return list;
}

}  // namespace quorvel
