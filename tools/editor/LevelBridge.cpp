#include "editor/LevelBridge.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "level/LevelText.h"
#include "level/LoadError.h"

namespace {

// The loader and the lint read files; the text goes through a private file
// that lives only for the call.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& bytes) {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/vorrel-edit-" + std::to_string(getpid()) + ".lev";
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    ~ScratchFile() { std::remove(path.c_str()); }
    std::string path;
};

int attributeNumber(const std::string& word) { return std::atoi(word.c_str()); }

} // namespace

std::unique_ptr<Level> buildLevel(const EditText& text, SDL_Surface* screen, SoundBank* sounds, std::string& error,
                                  bool music) {
    try {
        return std::unique_ptr<Level>(new Level(toLevelText(text), screen, sounds, 1, music));
    } catch (const LoadError& failure) {
        error = failure.silent ? "The game refuses this level" : failure.what();
        return nullptr;
    }
}

std::vector<Problem> lintText(const EditText& text) {
    ScratchFile file(writeEditText(text));
    std::vector<Problem> problems;
    for (const LintMessage& message : lintLevel(file.path)) {
        Problem problem;
        problem.message = message;
        if (message.file == file.path) {
            problem.message.file.clear();
            const int firstGrid = 4, firstRecord = 4 + static_cast<int>(text.grid.size());
            if (message.line >= firstGrid && message.line < firstRecord) {
                problem.row = message.line - firstGrid;
            } else if (message.line >= firstRecord) {
                const size_t index = static_cast<size_t>(message.line - firstRecord);
                if (index < text.records.size() && text.records[index].attributes.size() >= 2) {
                    problem.column = attributeNumber(text.records[index].attributes[0]);
                    problem.row = attributeNumber(text.records[index].attributes[1]);
                }
            }
        }
        problems.push_back(problem);
    }
    return problems;
}
