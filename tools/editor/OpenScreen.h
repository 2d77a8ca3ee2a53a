#pragma once
// Ctrl+O: the level files of the level's folder and of the player's own
// levels folder, each with its size and time, and a small picture of the
// one selected; chosen with the arrows and return, or the mouse.
#include <SDL/SDL.h>

#include <string>
#include <vector>

#include "editor/LevelFiles.h"

class OpenScreen {
public:
    enum Result { Choosing, Chosen, Cancelled };

    // current: the file being edited, selected first when listed.
    OpenScreen(const std::vector<std::string>& folders, const std::string& current);
    ~OpenScreen();
    OpenScreen(const OpenScreen&) = delete;
    OpenScreen& operator=(const OpenScreen&) = delete;

    // Up, down, page up, page down, home, end move; return chooses; escape cancels.
    Result key(SDLKey sym);
    // A click selects a file; a click on the selected one chooses it.
    Result click(int x, int y);
    void wheel(int step);
    // The file chosen (or selected); empty when the list has none.
    std::string chosen() const;
    // The picture of the selected level is made when the selection changes.
    void draw(SDL_Surface* screen);

private:
    struct Row {
        std::string heading;  // a folder's name, or empty for a file
        LevelFileEntry file;
        // The row's texts as drawn, made once with the list, not every frame.
        std::string name, size, time;
    };
    void select(int row);
    void makePreview(SDL_Surface* screen);

    std::vector<Row> rows;
    int selected = -1;
    int top = 0;
    SDL_Surface* preview = nullptr;  // owned
    int previewOf = -1;
    std::string previewNote;
    std::string previewName;  // the selected file's name, cut to the picture's width
};
