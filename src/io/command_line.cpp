#include "io/command_line.h"

#include <getopt.h>

#include "io/quoted_text.h"

namespace quorvel {
namespace {

// Long options report themselves to getopt_long as this plus their place in the list, so
// that no value is mistaken for a short option's letter.
constexpr int kLongOption = 256;

const KnownOption* optionWithShortName(const std::vector<KnownOption>& known, int letter) {
    for (const KnownOption& option : known) {
        if (option.shortName != 0 && option.shortName == letter) return &option;
    }
    return nullptr;
}

// What is wrong with long option `argument`, said the same way whatever getopt_long
// returned for it (the C libraries differ there).
std::string longOptionError(const std::vector<KnownOption>& known, const std::string& argument) {
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    std::vector<const KnownOption*> matches;
    for (const KnownOption& option : known) {
        if (option.name == name) {
            matches = {&option};
            break;
        }
        if (std::string(option.name).starts_with(name)) matches.push_back(&option);
    }
    const std::string shown = quotedValue(argument.substr(0, equals));
    if (matches.empty()) return "unknown option " + shown + " (try --help)";
    if (matches.size() > 1) {
        std::string names;
        for (const KnownOption* option : matches)
            names += std::string(names.empty() ? "" : ", ") + "--" + option->name;
        return "option " + shown + " is ambiguous: it could be " + names;
    }
    const std::string option = std::string("--") + matches[0]->name;
    if (matches[0]->takesValue) return "option " + option + " needs a value";
    return "option " + option + " takes no value, got " + quotedValue(argument.substr(equals + 1));
}

std::string shortOptionError(const std::vector<KnownOption>& known, int letter) {
    const std::string shown = std::string("-") + char(letter);
    if (optionWithShortName(known, letter) == nullptr)
        return "unknown option " + quotedValue(shown) + " (try --help)";
    return "option " + shown + " needs a value";
}

}  // namespace

bool readOptions(const std::vector<std::string>& arguments, const std::vector<KnownOption>& known,
                 std::vector<GivenOption>& given, std::string& error) {
    // '+': stop at the first word that is no option, so it can be named; ':': a missing
    // value is told apart from an unknown option.
    std::string shortOptions = "+:";
    std::vector<option> longOptions;
    for (size_t i = 0; i < known.size(); ++i) {
        const KnownOption& entry = known[i];
        longOptions.push_back(
            {entry.name, entry.takesValue ? required_argument : no_argument, nullptr, kLongOption + int(i)});
        if (entry.shortName != 0)
            shortOptions += std::string(1, entry.shortName) + (entry.takesValue ? ":" : "");
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
            error = argument.starts_with("--") ? longOptionError(known, argument)
                                               : shortOptionError(known, optopt);
            return false;
        }
        const KnownOption* match =
            found >= kLongOption ? &known[size_t(found - kLongOption)] : optionWithShortName(known, found);
        given.push_back({int(match - known.data()), match->takesValue && optarg != nullptr ? optarg : ""});
    }
    if (optind < argc) {
        error = "unexpected argument " + quotedValue(argv[optind]) + ": options start with - (try --help)";
        return false;
    }
    return true;
}

}  // namespace quorvel
