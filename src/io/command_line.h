#pragma once

#include <string>
#include <vector>

namespace quorvel {

// The exit statuses both programs use, as their --help says them.
inline constexpr char kExitStatusHelp[] =
    "Exit status: 0 success; 1 a failure while running (a write error, a full disk, a lost\n"
    "display, out of memory); 2 a bad command line or unusable input named on it; 128+N\n"
    "ended by signal N.\n";

// An option a program takes: --name, with -c as its short form when `shortName` is not 0.
// An option that writes or replaces a file is `wholeNameOnly`: a guess at another option's
// name that happens to begin its name must never write over the file named after it.
struct KnownOption {
    const char* name;
    char shortName;
    bool takesValue;
    bool wholeNameOnly = false;
};

// An option as given: which of the known options, and its value (empty for a flag).
struct GivenOption {
    int which;
    std::string value;
};

// Reads `arguments` (without the program name) the GNU way, with getopt_long: --name=value
// and --name value, -c value and -cvalue, short flags together (-qh), any unique beginning
// of a long name (except of a whole-name-only one), and -- to end the options. Every word
// must be an option or its value.
// On a mistake, returns false with one line saying what is wrong with which argument.
bool readOptions(const std::vector<std::string>& arguments, const std::vector<KnownOption>& known,
                 std::vector<GivenOption>& given, std::string& error);

}  // namespace quorvel
