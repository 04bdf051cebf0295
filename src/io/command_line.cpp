#include "io/command_line.h"

#include <getopt.h>

#include "io/quoted_text.h"

namespace quorvel {
namespace {

// Long options report themselves to getopt_long as this plus their place in the specs, so
// that no value is mistaken for a short option's letter.
constexpr int kLongOption = 256;

const OptionSpec* specWithShortName(const std::vector<OptionSpec>& specs, int letter) {
    for (const OptionSpec& spec : specs) {
        if (spec.shortName != 0 && spec.shortName == letter) return &spec;
    }
    return nullptr;
}

// What is wrong with long option `argument`, said the same way whatever getopt_long
// returned for it (the C libraries differ there).
std::string longOptionError(const std::vector<OptionSpec>& specs, const std::string& argument) {
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    std::vector<const OptionSpec*> matches;
    for (const OptionSpec& spec : specs) {
        if (spec.name == name) {
            matches = {&spec};
            break;
        }
        if (std::string(spec.name).starts_with(name)) matches.push_back(&spec);
    }
    const std::string shown = quotedValue(argument.substr(0, equals));
    if (matches.empty()) return "unknown option " + shown + " (try --help)";
    if (matches.size() > 1) {
        std::string names;
        for (const OptionSpec* spec : matches)
            names += std::string(names.empty() ? "" : ", ") + "--" + spec->name;
        return "option " + shown + " is ambiguous: it could be " + names;
    }
    const std::string option = std::string("--") + matches[0]->name;
    if (matches[0]->takesValue) return "option " + option + " needs a value";
    return "option " + option + " takes no value, got " + quotedValue(argument.substr(equals + 1));
}

std::string shortOptionError(const std::vector<OptionSpec>& specs, int letter) {
    const std::string shown = std::string("-") + char(letter);
    if (specWithShortName(specs, letter) == nullptr)
        return "unknown option " + quotedValue(shown) + " (try --help)";
    return "option " + shown + " needs a value";
}

}  // namespace

bool readOptions(const std::vector<std::string>& arguments, const std::vector<OptionSpec>& specs,
                 std::vector<GivenOption>& given, std::string& error) {
    // '+': stop at the first word that is no option, so it can be named; ':': a missing
    // value is told apart from an unknown option.
    std::string shortOptions = "+:";
    std::vector<option> longOptions;
    for (size_t i = 0; i < specs.size(); ++i) {
        const OptionSpec& spec = specs[i];
        longOptions.push_back(
            {spec.name, spec.takesValue ? required_argument : no_argument, nullptr, kLongOption + int(i)});
        if (spec.shortName != 0)
            shortOptions += std::string(1, spec.shortName) + (spec.takesValue ? ":" : "");
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    std::vector<std::string> words = arguments;
    words.insert(words.begin(), "quorvel");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = int(words.size());

    // getopt_long keeps its place in globals: start afresh, and say nothing itself.
    optind = 0;
    opterr = 0;
    given.clear();
    for (;;) {
        const int before = optind == 0 ? 1 : optind;
        const int found = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
        if (found == -1) break;
        if (found == '?' || found == ':') {
            const std::string argument = before < argc ? argv[before] : "";
            error = argument.starts_with("--") ? longOptionError(specs, argument)
                                               : shortOptionError(specs, optopt);
            return false;
        }
        const OptionSpec* spec =
            found >= kLongOption ? &specs[size_t(found - kLongOption)] : specWithShortName(specs, found);
        given.push_back({int(spec - specs.data()), spec->takesValue && optarg != nullptr ? optarg : ""});
    }
    if (optind < argc) {
        error = "unexpected argument " + quotedValue(argv[optind]) + ": options start with - (try --help)";
        return false;
    }
    return true;
}

}  // namespace quorvel
