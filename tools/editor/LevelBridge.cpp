#include "editor/LevelBridge.h"

#include "level/LevelText.h"
#include "level/LoadError.h"
#include "level/Vocabulary.h"

namespace {

// The name the messages about the unsaved text carry.
const char* const kUnsaved = "(unsaved level)";

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
    // The canonical text parsed again, so the lint sees exactly what a save
    // would write, with its line numbers.
    std::vector<Problem> problems;
    for (const LintMessage& message : lintLevelText(parseLevelText(writeEditText(text)), kUnsaved)) {
        Problem problem;
        problem.message = message;
        if (message.file == kUnsaved) {
            problem.message.file.clear();
            const int firstGrid = 4, firstRecord = 4 + static_cast<int>(text.grid.size());
            if (message.line >= firstGrid && message.line < firstRecord) {
                problem.row = message.line - firstGrid;
                // The editor counts rows from 0, as the records do; the lint's
                // "grid line" counts the file's grid lines from 1.
                const std::string line = "grid line " + std::to_string(problem.row + 1);
                const size_t at = problem.message.text.find(line);
                if (at != std::string::npos)
                    problem.message.text.replace(at, line.size(), "row " + std::to_string(problem.row));
            } else if (message.line >= firstRecord) {
                const size_t index = static_cast<size_t>(message.line - firstRecord);
                if (index < text.records.size() && text.records[index].attributes.size() >= 2) {
                    problem.column = parseInt(text.records[index].attributes[0]);
                    problem.row = parseInt(text.records[index].attributes[1]);
                }
            }
        }
        problems.push_back(problem);
    }
    return problems;
}
