#pragma once
// Ctrl+Shift+S: the new name of the level, typed, in one of the folders
// offered (tab goes to the next), with the folder shown.
#include <SDL/SDL.h>

#include <string>
#include <vector>

class SaveAsPrompt {
public:
    enum Result { Typing, Done, Cancelled };

    // folders: where it may go, the first shown first; name: the name typed so far.
    SaveAsPrompt(const std::vector<std::string>& folders, const std::string& name);
    // Letters, digits and . - _ type; backspace takes one back; tab changes
    // the folder; return is done (with a name); escape cancels.
    Result key(const SDL_keysym& key);
    // The folder and the name, ".lev" added when the name lacks it.
    std::string path() const;
    const std::string& folder() const { return folders[shown]; }
    void draw(SDL_Surface* screen) const;

private:
    // What a key does to the name or the folder.
    Result typed(const SDL_keysym& key);
    // Makes the folder and "saves" lines again: on a key, not every frame.
    void retext();

    std::vector<std::string> folders;
    size_t shown = 0;
    std::string name;
    std::string folderLine, savesLine;
};
