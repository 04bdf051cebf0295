// Every #include of src/ and apps/ against the README's layout table: a layer includes only
// the layers its row allows, and only the os and window layers include operating-system
// headers, but for those a row names (`<getopt.h>`) with its reason.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = QUORVEL_SOURCE_DIR;

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" `");
    const size_t last = text.find_last_not_of(" `");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The layer named by a folder of the table ("src/os/" -> "os",
// "apps/quorvel/" -> "quorvel"): the way an #include names it.
std::string layerOfFolder(std::string folder) {
    if (folder.ends_with("/")) folder.pop_back();
    for (const char* root : {"src/", "apps/"})
        if (folder.starts_with(root)) return folder.substr(std::string(root).size());
    return folder;
}

// The table's rows: layer -> layers it may include, and operating-system headers named
// there as "<name.h>".
std::map<std::string, std::set<std::string>> readLayerTable() {
    std::ifstream readme(kSourceRoot / "README.md");
    std::map<std::string, std::set<std::string>> table;
    const std::regex row(R"(^\| `((?:src|apps)/[^`]+)` \|[^|]*\| ([^|]+) \|$)");
    for (std::string line; std::getline(readme, line);) {
        std::smatch match;
        if (!std::regex_match(line, match, row)) continue;
        std::set<std::string>& allowed = table[layerOfFolder(match[1])];
        std::stringstream list(match[2].str());
        for (std::string layer; std::getline(list, layer, ',');) allowed.insert(trimmed(layer));
    }
    return table;
}

// The longest layer of the table that `name` (an #include path, or a file's path below
// src/ or apps/) lies in.
std::string layerOf(const std::string& name, const std::map<std::string, std::set<std::string>>& table) {
    std::string best;
    for (const auto& [layer, allowed] : table)
        if (name.starts_with(layer + "/") && layer.size() > best.size()) best = layer;
    return best;
}

bool isOperatingSystemHeader(const std::string& header) {
    static const std::regex kSystem(
        R"(^(SDL.*|windows\.h|X11/.*|wayland.*|xdg-.*|libdecor.*|pthread\.h|unistd\.h|sys/.*|fcntl\.h|signal\.h|)"
        R"(io\.h|sched\.h|getopt\.h|termios\.h|dirent\.h|poll\.h|dlfcn\.h|pwd\.h|)"
        R"(grp\.h|spawn\.h|syslog\.h|linux/.*|asm/.*|[a-z]+api\.h|winternl\.h)$)");
    return std::regex_match(header, kSystem);
}

bool talksToTheSystem(const std::string& layer) { return layer == "os" || layer == "window"; }

struct Edge {
    std::string file, included;
};

TEST(Layers, TheTableNamesEveryLayer) {
    const auto table = readLayerTable();
    for (const char* layer :
         {"numeric", "scene", "raster", "os", "frame", "io", "window", "quorvel", "quorvel-render"})
        EXPECT_EQ(table.count(layer), 1u) << layer << " has no row in README.md's layout table";
}

TEST(Layers, IncludeOnlyWhatTheirLayerMayUse) {
    const auto table = readLayerTable();
    ASSERT_FALSE(table.empty()) << "no layout table in README.md";
    std::vector<Edge> forbidden;
    size_t filesRead = 0;
    const std::regex include(R"(^\s*#\s*include\s*([<"])([^">]+)[">])");
    for (const char* root : {"src", "apps"}) {
        for (const auto& entry : fs::recursive_directory_iterator(kSourceRoot / root)) {
            if (!entry.is_regular_file()) continue;
            const std::string relative = fs::relative(entry.path(), kSourceRoot / root).generic_string();
            const std::string layer = layerOf(relative, table);
            ASSERT_FALSE(layer.empty()) << root << "/" << relative << " lies in no layer of the table";
            ++filesRead;
            std::ifstream file(entry.path());
            for (std::string line; std::getline(file, line);) {
                std::smatch match;
                if (!std::regex_search(line, match, include)) continue;
                const std::string name = match[2];
                const bool quoted = match[1] == "\"";
                const std::string target = quoted ? layerOf(name, table) : "";
                const bool allowed = quoted ? table.at(layer).count(target) == 1
                                            : !isOperatingSystemHeader(name) || talksToTheSystem(layer) ||
                                                  table.at(layer).count("<" + name + ">") == 1;
                if (!allowed) forbidden.push_back({std::string(root) + "/" + relative, name});
            }
        }
    }
    EXPECT_GT(filesRead, 50u);
    for (const Edge& edge : forbidden)
        ADD_FAILURE() << edge.file << " includes " << edge.included << ", which its layer may not use";
}

}  // namespace
