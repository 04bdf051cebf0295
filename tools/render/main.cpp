#include <cstdio>
#include <string>
#include <vector>

#include "render/render_options.h"
#include "render/render_run.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    quorvel::RenderOptions options;
    std::string error;
    if (!quorvel::parseRenderOptions(arguments, options, error)) {
        std::fprintf(stderr, "quorvel-render: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(quorvel::kRenderUsage, stdout);
        return 0;
    }
    return quorvel::runRender(options);
}
