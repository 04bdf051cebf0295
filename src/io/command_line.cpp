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

// The name in long option `argument` (--name or --name=value), without the dashes.
std::string longNameIn(const std::string& argument) {
    const size_t equals = argument.find('=');
    return argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
}

// A beginning of the name of an option that writes a file, as `argument` gave it.
std::string notWholeNameError(const std::string& argument, const KnownOption& option) {
    return "option " + quotedValue("--" + longNameIn(argument)) + " is not a whole option name: --" +
           option.name + ", which writes a file, must be typed in full";
}

// What is wrong with long option `argument`, said the same way whatever getopt_long
// returned for it (the C libraries differ there).
std::string longOptionError(const std::vector<KnownOption>& known, const std::string& argument) {
    const std::string name = longNameIn(argument);
    std::vector<const KnownOption*> matches;
    for (const KnownOption& option : known) {
        if (option.name == name) {
            matches = {&option};
            break;
        }
        if (std::string(option.name).starts_with(name)) matches.push_back(&option);
    }
    const std::string shown = quotedValue("--" + name);
    if (matches.empty()) return "unknown option " + shown + " (try --help)";
    if (matches.size() > 1) {
        std::string names;
        for (const KnownOption* option : matches)
            names += std::string(names.empty() ? "" : ", ") + "--" + option->name;
        return "option " + shown + " is ambiguous: it could be " + names;
    }
    if (matches[0]->wholeNameOnly && matches[0]->name != name)
        return notWholeNameError(argument, *matches[0]);
    const std::string option = std::string("--") + matches[0]->name;
    if (matches[0]->takesValue) return "option " + option + " needs a value";
    return "option " + option + " takes no value, got " +
           quotedValue(argument.substr(argument.find('=') + 1));
}

// What is wrong with the group of short options `word` (-x, -qx, -q-, -qo at the end),
// found by walking it as getopt_long does, since C libraries report a '-' among the letters
// differently. A letter alone is named as the word; one among others by itself, since a dash
// before it would name another option (-q- has no option --).
std::string shortOptionError(const std::vector<KnownOption>& known, const std::string& word) {
    for (size_t at = 1; at < word.size(); ++at) {
        const char letter = word[at];
        const KnownOption* option = optionWithShortName(known, letter);
        if (option != nullptr && option->takesValue)
            return std::string("option -") + letter + " needs a value";
        if (option != nullptr) continue;
        if (word.size() == 2 || letter < 0x21 || letter > 0x7E) break;
        return "unknown option letter " + quotedValue(std::string(1, letter)) + " in " + quotedValue(word) +
               " (try --help)";
    }
    return "unknown option " + quotedValue(word) + " (try --help)";
}

// A word left over: after --, or one that is no option.
std::string unexpectedArgumentError(const std::string& word, bool afterDashes) {
    if (afterDashes)
        return "unexpected argument " + quotedValue(word) +
               " after --: this program takes no arguments, only options";
    if (word.starts_with("-"))
        return "unexpected argument " + quotedValue(word) + ": this program takes no arguments, only options";
    return "unexpected argument " + quotedValue(word) + ": options start with - (try --help)";
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
    bool afterDashes = false;
    for (;;) {
        // The word this call starts in: a new one, or the rest of a group of short options.
        const int before = optind == 0 ? 1 : optind;
        const int found = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
        const std::string word = before < argc ? argv[before] : "";
        if (found == -1) {
            afterDashes = word == "--" && optind == before + 1;
            break;
        }
        if (found == '?' || found == ':') {
            error = word.starts_with("--") ? longOptionError(known, word) : shortOptionError(known, word);
            return false;
        }
        const KnownOption* match =
            found >= kLongOption ? &known[size_t(found - kLongOption)] : optionWithShortName(known, found);
        if (found >= kLongOption && match->wholeNameOnly && longNameIn(word) != match->name) {
            error = notWholeNameError(word, *match);
            return false;
        }
        given.push_back({int(match - known.data()), match->takesValue && optarg != nullptr ? optarg : ""});
    }
    if (optind < argc) {
        error = unexpectedArgumentError(argv[optind], afterDashes);
        return false;
    }
    return true;
}

}  // namespace quorvel
