// The level selection's options of the tools that play or draw the map.
#include "common/MapOptions.h"

#include <string>

bool readMapOptions(cmdline::CommandLine& line, ReplayOptions& options) {
    if (const char* value = line.value("--select")) {
        options.selectMode = true;
        if (!parseOptionInteger(value, options.available)) {
            line.usageError(std::string("bad --select value '") + value + "'");
            return false;
        }
    }
    if (const char* value = line.value("--page"); value && !parseOptionInteger(value, options.page)) {
        line.usageError(std::string("bad --page value '") + value + "'");
        return false;
    }
    const std::string refusal = pageRefusal(options.page, options.selectMode ? options.available : 0);
    if (!refusal.empty()) {
        line.usageError("bad --page value: " + refusal);
        return false;
    }
    return true;
}
