// Refusing a tool's output before the work, and saying why.
#include "common/Output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

std::string outputRefusal(const std::string& out, std::initializer_list<const char*> inputs) {
    struct stat target;
    if (stat(out.c_str(), &target) == 0) {
        if (!S_ISREG(target.st_mode)) return "it is not a regular file";
        for (const char* input : inputs) {
            struct stat info;
            if (input && stat(input, &info) == 0 && info.st_dev == target.st_dev && info.st_ino == target.st_ino)
                return std::string("it is the input ") + input;
        }
    }
    const size_t slash = out.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : out.substr(0, slash);
    if (access(folder.c_str(), W_OK) != 0) return "its folder cannot be written";
    return std::string();
}

int reportWriteFailure(const char* tool, const std::string& out, const std::string& why) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", tool, out.c_str(), why.c_str());
    return kWriteFailureExit;
}
