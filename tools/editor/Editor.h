#pragma once
// One editing session in a window: the level drawn as the game draws it,
// the palette and status line below it, and everything the keys and the
// mouse do (painting, undo, checks, test-play, solving, saving, recovery).
// Its methods live by concern: Editor.cpp (keys, checks, test-play and
// solving), EditorView.cpp (picture and palette), EditorStroke.cpp (the
// mouse), EditorRegion.cpp (rectangles, fills, select, copy and paste),
// EditorSession.cpp (files and questions).
#include <SDL/SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Tape.h"
#include "editor/EditDoc.h"
#include "editor/EditRegion.h"
#include "editor/History.h"
#include "editor/LevelBridge.h"
#include "editor/LevelRepair.h"
#include "level/LevelEdit.h"
#include "platform/Platform.h"

class OpenScreen;
class SaveAsPrompt;
class SoundBank;
class SolveJob;

struct Theme {
    std::string name;
    std::string tileset;
    std::string background;
};
// The themes found in the data folder (the working directory), the game's
// own first.
std::vector<Theme> findThemes();

struct PaletteEntry {
    Piece piece;
    SDL_Surface* icon = nullptr;  // 24 x 24, owned
};

class Editor {
public:
    Editor(SDL_Surface* screen, SoundBank* sounds, const std::string& path);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // Opens the level (a new one in the theme when the file does not exist).
    // False with the loader's one line when the game cannot load the file,
    // or with a reason when the theme is unknown.
    bool open(const std::string& themeName, std::string& error);
    // On a stop from outside: the unsaved changes go to the recovery file.
    void keepUnsavedWork();
    // What was mended when the file was opened (listed on standard output too).
    const std::vector<Repair>& repairsMade() const { return repairs; }
    const std::string& file() const { return path; }
    // Until the editor is closed: events, then a picture, each pass.
    void run();
    // One pass: every waiting event, the checks after a change, the
    // recovery file when due, and the picture. False once closed.
    bool pass();
    void handle(const SDL_Event& event);
    void draw();

    bool modified() const;
    bool closed() const { return done; }
    const std::string& message() const { return note; }
    std::string lintSummary() const;
    // The check line under the palette: the solver's last verdict, if any,
    // with the problems. tone: 0 fine, 1 warnings, 2 errors or unwinnable.
    std::string checkLine(int& tone) const;
    // The first status line: the choice, the cell under the mouse, bombs and
    // the file, its path shortened from the left to fit.
    std::string statusLine() const;
    const Piece& choice() const { return current; }
    void choose(const Piece& piece);
    int paletteIndex() const;
    const std::vector<PaletteEntry>& paletteEntries() const { return palette; }
    // Opens a level code or link instead of a file: an unsaved level without
    // a file name, its tape kept as the test-play's. False with the one line why.
    bool openCode(const std::string& codeOrLink, std::string& error);
    // The link the last F8 made.
    const std::string& link() const { return sharedLink; }
    // The level as drawn (null when the game refuses the text).
    const Level* drawnLevel() const { return level.get(); }

    EditDoc doc;
    History history;
    std::vector<Problem> problems;
    // Milliseconds between recovery files.
    uint32_t recoveryInterval = 30000;
    // The keys test-play reads; null is the real keyboard.
    platform::Keyboard* playKeyboard = nullptr;
    bool gridShown = false;
    // The selected cells (empty when none) and what Ctrl+C or Ctrl+X took.
    CellRect selection;
    Block clipboard;

private:
    enum class Ask { None, Quit, Recover, KeepTape, SaveRepaired, Replace, OpenOther, ShareAnyway };

    void key(const SDL_KeyboardEvent& event);
    void answer(SDLKey sym);
    void mouseDown(const SDL_MouseButtonEvent& event);
    void mouseMotion(int x, int y);
    void applyAt(int column, int row);
    void mouseUp(const SDL_MouseButtonEvent& event);
    // After an edit of the text from `before`: one step of the history, and
    // the drawn level brought along by the level's own edits (or built anew).
    void commit(const EditText& before);
    void applied(const EditText& before);
    void changed();
    void refresh(bool rebuild);
    void rebuildPalette();
    void cyclePalette(int step);
    void cycleTheme();
    // Undo (backwards) or redo (forwards) one step of the history.
    void travel(bool forward);
    bool save();
    // Reads file into the editor; on failure nothing changes and error says why.
    bool load(const std::string& file, const std::string& themeName, std::string& error);
    // The Open and Save As screens and the repairs list take the events while shown.
    bool sessionEvent(const SDL_Event& event);
    void drawSessionScreens();
    void startOpen();
    void openChosen();
    void startSaveAs();
    bool saveAs(const std::string& file);
    void requestQuit();
    void writeRecovery();
    // Keys of the region tools: Ctrl+C, Ctrl+X, Ctrl+V and F.
    void copySelection(bool cut);
    void startPaste();
    void flood();
    void finishRegionStroke(int column, int row);
    void drawRegion();
    void drawBlock(const Block& block, int column, int row);
    // From the cell under the mouse when fromHover (the player put there for this play only).
    void testPlay(bool fromHover = false);
    void solve();
    void dropSolve();
    void playSolution(int speed = 1);
    void drainEvents();
    void drawToolbar();
    void updateToolbar();
    void drawHelp();
    void drawProblems();
    // F2's lines, made when the problems change rather than every frame.
    void listProblems();
    std::vector<std::string> problemLines;
    void say(const std::string& text) { note = text; }
    // Sharing (Share.cpp).
    void share();
    void shareWith(const Tape* tape);

    SDL_Surface* screen;
    SoundBank* sounds;
    std::string path;
    std::vector<Theme> themes;
    std::unique_ptr<Level> level;
    std::string levelError;
    std::vector<PaletteEntry> palette;
    Piece current;
    std::string note;
    std::string savedBytes;
    // The file as this session found it (for LEVEL.bak), and whether it is kept yet.
    bool existedOnDisk = false;
    std::string openedBytes;
    bool backupKept = false;
    std::vector<Repair> repairs;
    bool repairsShown = false;
    bool repairsConfirmed = true;
    bool quitAfterSave = false;
    std::unique_ptr<OpenScreen> opener;
    std::unique_ptr<SaveAsPrompt> prompt;
    std::string pendingFile;
    std::string recoveredBytes;
    uint32_t lastRecovery = 0;
    std::string recoveryWritten;
    Ask asking = Ask::None;
    bool done = false;
    bool helpShown = false;
    bool problemsShown = false;
    std::string paletteTileset;
    // The solver's verdict on this text, and its tone for checkLine.
    std::string verdict;
    int verdictTone = 0;
    // Region strokes: a Shift+drag rectangle, a Ctrl or middle drag that
    // selects, a drag of the selection, or a block that follows the mouse
    // until a click puts it down.
    enum class Region { None, Rectangle, Select, Move, Paste };
    Region region = Region::None;
    int anchorColumn = -1, anchorRow = -1;
    Block floating;
    // The stroke under way: which button, the last cell, and whether it has
    // made its step of the history yet.
    int strokeButton = 0;
    bool strokePick = false;
    int strokeColumn = -1, strokeRow = -1;
    bool strokeRecorded = false;
    int hoverColumn = -1, hoverRow = -1;
    bool dirty = false;
    bool needRebuild = false;
    // The records the drawn level's items were placed from, once an edit
    // has placed them (not after a rebuild).
    ItemPlacement placement;
    Tape playedTape;
    Tape solution;
    bool haveSolution = false;
    // An undecided search and the level it works on, kept until the text changes.
    std::unique_ptr<Level> solveLevel;
    std::unique_ptr<SolveJob> solveJob;
    std::string sharedLink;
    // The lines under the palette as last made, and what they were made
    // from: made again only when that changes, so a pass allocates nothing.
    // stale: the text, its checks, the verdict or the saved file changed.
    struct Toolbar {
        std::string status, note, check, bombs;
        int tone = 0;
        Piece choice;
        int column = -1, row = -1;
        std::string madeNote, madePath;
        bool stale = true;
    };
    Toolbar toolbar;
};

// LEVEL with ".link" for ".lev": where F8 writes the level's link.
std::string linkPathFor(const std::string& levelPath);
