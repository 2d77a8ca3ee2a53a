// Options, positional arguments, --help and --version for every program.
#include "common/CommandLine.h"

#include <cstdio>
#include <cstring>

#ifndef VORREL_VERSION
#error "the build defines VORREL_VERSION from the project's version"
#endif

namespace cmdline {
namespace {

const Option kHelp{"--help", nullptr, "show this help and exit"};
const Option kVersion{"--version", nullptr, "show the version and exit"};

const Option* findOption(const Program& program, const char* name) {
    for (const Option& option : program.options)
        if (!std::strcmp(option.name, name)) return &option;
    return nullptr;
}

// "usage: " before the first form, the same indent before the others.
std::string usageLines(const Program& program) {
    std::string out = "usage: ";
    for (const char* c = program.usage; *c; ++c) {
        out += *c;
        if (*c == '\n') out += "       ";
    }
    return out + "\n";
}

}  // namespace

std::string versionText(const Program& program) { return std::string(program.name) + " " + VORREL_VERSION + "\n"; }

std::string helpText(const Program& program) {
    std::string out = usageLines(program) + program.about + "\n\n";
    std::vector<const Option*> all;
    for (const Option& option : program.options) all.push_back(&option);
    all.push_back(&kHelp);
    all.push_back(&kVersion);
    for (const Option* option : all) {
        std::string left = std::string("  ") + option->name + (option->value ? std::string(" ") + option->value : "");
        if (left.size() < 24)
            left.resize(24, ' ');
        else
            left += "  ";
        out += left + option->help + "\n";
    }
    return out;
}

namespace {

// Prints the help or the version when argv holds --help or --version (before
// any "--") and returns 0; otherwise -1.
int answerHelpOrVersion(const Program& program, int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const bool help = !std::strcmp(argv[i], "--help"), version = !std::strcmp(argv[i], "--version");
        if (!help && !version) continue;
        const std::string text = help ? helpText(program) : versionText(program);
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        return 0;
    }
    return -1;
}

}  // namespace

CommandLine::CommandLine(const Program& program, int argc, char** argv) : program(program) {
    if (answerHelpOrVersion(program, argc, argv) == 0) {
        finished = true;
        return;
    }
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!optionsEnded && !std::strcmp(arg, "--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg[0] == '-' && arg[1] == '-') {
            const Option* option = findOption(program, arg);
            if (!option) {
                usageError(std::string("unknown option ") + arg);
                return;
            }
            if (option->value && i + 1 >= argc) {
                usageError(std::string(arg) + " needs a value");
                return;
            }
            given.emplace_back(option->name, option->value ? argv[++i] : "");
        } else {
            if (program.maxPositionals >= 0 && static_cast<int>(positional.size()) == program.maxPositionals) {
                usageError(program.tooMany);
                return;
            }
            positional.push_back(arg);
        }
    }
    if (static_cast<int>(positional.size()) < program.minPositionals) usageError(program.tooFew);
}

bool CommandLine::has(const char* name) const { return value(name) != nullptr; }

const char* CommandLine::value(const char* name) const {
    const char* found = nullptr;
    for (const auto& option : given)
        if (!std::strcmp(option.first, name)) found = option.second;
    return found;
}

int CommandLine::usageError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n%s", program.name, message.c_str(), usageLines(program).c_str());
    finished = true;
    exitStatus = kUsageExit;
    return exitStatus;
}

}  // namespace cmdline
