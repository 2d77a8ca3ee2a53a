#pragma once
// The one command-line parser of the game, the editor and every tool: options
// "--NAME" (alone or with the next argument as value) and positional
// arguments, and for each program "--help" (usage on standard output, exit 0)
// and "--version". (The game's own command line is free text, no options.)
#include <string>
#include <vector>

namespace cmdline {

struct Option {
    const char* name;   // "--trace"
    const char* value;  // the value's name in the usage ("AVAILABLE"), null for a switch
    const char* help;   // one line for --help
};

struct Program {
    const char* name;   // "vorrel-replay"
    const char* usage;  // the synopsis after "usage: "; further forms on lines of their own
    const char* about;  // what the program does, for --help
    std::vector<Option> options;
    int minPositionals = 0;
    int maxPositionals = -1;  // -1: no limit
    const char* tooFew = "arguments are missing";
    const char* tooMany = "too many arguments";
};

// The exit status of a command line the program cannot take.
constexpr int kUsageExit = 2;

// "NAME VERSION" and the help text, as --version and --help print them.
std::string versionText(const Program& program);
std::string helpText(const Program& program);

class CommandLine {
public:
    CommandLine(const Program& program, int argc, char** argv);

    // True when the program is to exit now with status(): after --help or
    // --version, or a usage error already reported.
    bool done() const { return finished; }
    int status() const { return exitStatus; }

    bool has(const char* name) const;
    // The last value given to the option, or null.
    const char* value(const char* name) const;
    const std::vector<const char*>& positionals() const { return positional; }

    // Prints "NAME: message" and the usage on standard error; returns kUsageExit.
    int usageError(const std::string& message);

private:
    const Program& program;
    std::vector<std::pair<const char*, const char*>> given;
    std::vector<const char*> positional;
    bool finished = false;
    int exitStatus = 0;
};

}  // namespace cmdline
