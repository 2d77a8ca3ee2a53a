// The level editor without a window: its edit rules, and whole sessions
// driven by scripted events on the dummy video driver in the data folder.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <typeinfo>

#include "TestSupport.h"
#include "editor/EditDoc.h"
#include "editor/EditRegion.h"
#include "editor/Editor.h"
#include "editor/LevelFiles.h"
#include "editor/TextDraw.h"
#include "level/LevelCode.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "platform/Events.h"
#include "platform/FileRead.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;
using testsupport::InFolder;

namespace {

EditDoc forestDoc() {
    EditDoc doc;
    doc.text = newLevelText("gfx/forest.txt", "gfx/bg_forest.png");
    doc.keys = {{'.', true}, {'#', false}, {'?', true}, {'$', true}, {'\xa7', true}, {'d', true}};
    doc.keyName = themeKeyName;
    return doc;
}

std::string readAll(const fs::path& path) {
    std::string bytes;
    fileread::readFile(path.string(), fileread::kTextCap, bytes);
    return bytes;
}

// The status line on the screen is the one the editor would make now: the
// line is kept between passes and must follow every change.
void expectStatusDrawn(const Editor& editor) {
    SDL_Surface* screen = testsupport::screen();
    SDL_Surface* made = SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, kSmallTextHeight, 32, 0xff0000, 0xff00, 0xff, 0);
    fillRect(made, 0, 0, made->w, made->h, 0);
    const std::string status = editor.statusLine();
    drawSmallText(made, 4, 0, status, 1);
    const Uint32 ink = SDL_MapRGB(screen->format, 230, 230, 230);
    int wrong = 0;
    for (int y = 0; y < kSmallTextHeight; ++y)
        for (int x = 0; x < 4 + smallTextWidth(status); ++x)
            wrong += (getPixel(made, x, y) == 1) != (getPixel(screen, x, 448 + y) == ink);
    SDL_FreeSurface(made);
    EXPECT_EQ(0, wrong) << status;
}

// A session in the source data folder on a file in a scratch folder.
struct Session {
    Session() : inData(fs::path(VORREL_SOURCE_DATA)), folder(fs::temp_directory_path() / ("vorrel-edit-test-" + std::to_string(::getpid()))) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        level = (folder / "mine.lev").string();
        platform::setEventSource(&events);
    }
    ~Session() {
        platform::setEventSource(nullptr);
        fs::remove_all(folder);
    }
    std::unique_ptr<Editor> open(const std::string& theme = "") {
        std::unique_ptr<Editor> editor(new Editor(testsupport::screen(), &testsupport::sounds(), level));
        std::string error;
        EXPECT_TRUE(editor->open(theme, error)) << error;
        return editor;
    }
    // Runs passes until the scripted events are used up.
    void run(Editor& editor) {
        while (!events.empty() && editor.pass()) {}
        editor.pass();
    }
    platform::VirtualInput input;
    InFolder inData;
    fs::path folder;
    std::string level;
    platform::ScriptedEvents events;
};

} // namespace

TEST(EditDocTest, PaintingFollowsTheGamesRules) {
    EditDoc doc = forestDoc();
    // A wall under the gem is refused with the reason; beside it, painted.
    EditResult refused = doc.paint({PieceKind::Cell, '#'}, 10, 10);
    EXPECT_FALSE(refused.changed);
    EXPECT_EQ("A gem cannot stand inside earth: move it first", refused.refusal);
    EXPECT_TRUE(doc.paint({PieceKind::Cell, '#'}, 9, 10).changed);
    EXPECT_EQ('#', doc.keyAt(9, 10));
    EXPECT_FALSE(doc.paint({PieceKind::Crate, 0}, 9, 10).changed);  // a crate inside a wall

    // One player: placing it moves its one record.
    EXPECT_TRUE(doc.paint({PieceKind::Player, 0}, 5, 4).changed);
    int players = 0;
    for (const EditRecord& record : doc.text.records) players += record.name == "plr";
    EXPECT_EQ(1, players);
    EXPECT_TRUE(doc.playerAt(5, 4));
    EXPECT_FALSE(doc.erase(5, 4).changed);
    EXPECT_FALSE(doc.paint({PieceKind::Gem, 0}, 5, 4).changed);

    // An item over another replaces it: one item per cell.
    EXPECT_TRUE(doc.paint({PieceKind::Crate, 0}, 10, 10).changed);
    EXPECT_EQ(PieceKind::Crate, doc.pick(10, 10).kind);
    size_t records = doc.text.records.size();
    EXPECT_TRUE(doc.erase(10, 10).changed);
    EXPECT_EQ(records - 1, doc.text.records.size());
    EXPECT_TRUE(doc.erase(9, 10).changed);  // a cell clears to open air
    EXPECT_EQ('.', doc.keyAt(9, 10));

    // Bombs: one record, 0 to 9.
    for (int i = 0; i < 12; ++i) doc.setBombs(doc.bombs() + 1);
    EXPECT_EQ(9, doc.bombs());
    EXPECT_FALSE(doc.setBombs(10).changed);
    EXPECT_TRUE(doc.setBombs(0).changed);
    for (const EditRecord& record : doc.text.records) EXPECT_NE("bomb", record.name);

    // Decorations stand apart from the items; picking finds them.
    EXPECT_TRUE(doc.paint({PieceKind::Decoration, 'd'}, 3, 3).changed);
    EXPECT_FALSE(doc.paint({PieceKind::Decoration, 'd'}, 3, 3).changed);
    EXPECT_TRUE(doc.pick(3, 3) == (Piece{PieceKind::Decoration, 'd'}));

    // A cell whose picture covers it hides a decoration: neither is allowed.
    doc.keys[1].hides = true;
    EXPECT_EQ("A decoration stands there and earth would hide it: clear it first",
              doc.paint({PieceKind::Cell, '#'}, 3, 3).refusal);
    EXPECT_EQ("A decoration behind earth is never seen", doc.paint({PieceKind::Decoration, 'd'}, 0, 0).refusal);
    EXPECT_LT(doc.decorationAt(0, 0), 0);
}

TEST(EditDocTest, RegionsAndTheDoorKeepTheRules) {
    EditDoc doc = forestDoc();
    // The door moves like the player: a second goal would be a dead decoy.
    EXPECT_TRUE(doc.paint({PieceKind::Goal, 0}, 5, 10).changed);
    int goals = 0;
    for (const EditRecord& record : doc.text.records) goals += record.name == "goal";
    EXPECT_EQ(1, goals);
    EXPECT_EQ(PieceKind::Goal, doc.pick(5, 10).kind);
    EXPECT_NE(PieceKind::Goal, doc.pick(17, 10).kind);

    // A rectangle of wall keeps the cells where items stand, and says why.
    const RegionResult filled = fillRect(doc, '#', spanOf(12, 10, 1, 9));
    EXPECT_EQ(3, filled.refused);  // the player, the door and the gem
    EXPECT_EQ(24 - 3, filled.changed);
    EXPECT_EQ('#', doc.keyAt(1, 9));
    EXPECT_EQ('.', doc.keyAt(2, 10));
    EXPECT_EQ("Filled 21 cells, 3 kept: The player cannot stand inside earth: move it first",
              filled.report("Filled 21 cells"));

    // A flood fills the cells of one key joined to the one pointed at.
    EditDoc halves = forestDoc();
    halves.text.grid[5] = std::string(20, '#');
    const RegionResult flood = floodFill(halves, '?', 1, 1);
    EXPECT_EQ(18 * 4, flood.changed);
    EXPECT_EQ('?', halves.keyAt(18, 4));
    EXPECT_EQ('.', halves.keyAt(1, 6));

    // A block copied with its items and pasted elsewhere: the player moves
    // with it (there is one), the gem is copied.
    EditDoc moved = forestDoc();
    EXPECT_EQ(1u, copyBlock(moved, spanOf(1, 9, 3, 10)).pieces.size());
    moved.paint({PieceKind::Gem, 0}, 2, 9);
    const Block block = copyBlock(moved, spanOf(1, 9, 3, 10));
    EXPECT_EQ(2u, block.pieces.size());
    pasteBlock(moved, block, 14, 2);
    EXPECT_TRUE(moved.playerAt(15, 3));
    EXPECT_EQ(PieceKind::Gem, moved.pick(15, 2).kind);
    EXPECT_EQ(PieceKind::Gem, moved.pick(2, 9).kind);
    clearRect(moved, spanOf(14, 2, 16, 3));
    EXPECT_TRUE(moved.playerAt(15, 3));
    EXPECT_EQ(PieceKind::Cell, moved.pick(15, 2).kind);

    // A cut and a paste carry decorations and water tints with their words.
    moved.text.records.push_back({"bgitem", {"4", "4", "17", "x"}});
    EXPECT_TRUE(moved.paint({PieceKind::Decoration, 'd'}, 5, 4).changed);
    const Block cut = copyBlock(moved, spanOf(4, 4, 5, 4));
    EXPECT_EQ(2, clearRect(moved, spanOf(4, 4, 5, 4)).changed);
    EXPECT_EQ(-1, moved.decorationAt(4, 4));
    EXPECT_EQ(2, pasteBlock(moved, cut, 8, 6).changed);
    ASSERT_GE(moved.decorationAt(8, 6), 0);
    EXPECT_EQ((std::vector<std::string>{"8", "6", "17", "x"}), moved.text.records[moved.decorationAt(8, 6)].attributes);
    EXPECT_EQ((Piece{PieceKind::Decoration, 'd'}), moved.pick(9, 6));
}

TEST(EditorTest, NewLevelStrokesUndoRedoSave) {
    Session s;
    auto editor = s.open("forest");
    EXPECT_TRUE(editor->problems.empty()) << editor->lintSummary();
    // Which cells hide what is behind them comes from their pictures.
    EXPECT_TRUE(editor->doc.findKey('#')->hides);
    EXPECT_FALSE(editor->doc.findKey('.')->hides);
    EXPECT_FALSE(editor->doc.findKey('?')->hides);
    EXPECT_FALSE(editor->modified());  // untouched, it asks nothing on closing
    const std::string fresh = writeEditText(editor->doc.text);

    // A drag is one stroke and one step of the history, every cell on the way painted.
    editor->choose({PieceKind::Cell, '#'});
    s.events.drag(2 * 32 + 5, 5 * 32 + 5, 12 * 32 + 5, 5 * 32 + 5);
    s.run(*editor);
    EXPECT_EQ(".###########.", editor->doc.text.grid[5].substr(1, 13));
    EXPECT_EQ(1u, editor->history.undoCount());
    editor->choose({PieceKind::Gem, 0});
    s.events.click(4 * 32 + 3, 4 * 32 + 3);
    s.events.key(SDLK_z, KMOD_LCTRL);
    s.events.key(SDLK_z, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ(fresh, writeEditText(editor->doc.text));
    s.events.key(SDLK_y, KMOD_LCTRL);
    s.events.key(SDLK_z, static_cast<SDLMod>(KMOD_LCTRL | KMOD_LSHIFT));
    s.run(*editor);
    EXPECT_EQ(PieceKind::Gem, editor->doc.pick(4, 4).kind);
    EXPECT_TRUE(editor->problems.empty()) << editor->lintSummary();
    expectStatusDrawn(*editor);

    s.events.key(SDLK_s, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ(writeEditText(editor->doc.text), readAll(s.level));
    EXPECT_FALSE(editor->modified());
    expectStatusDrawn(*editor);
    // A paint that changes neither the message nor the cell under the mouse.
    s.events.motion(6 * 32 + 5, 4 * 32 + 5, 0);
    s.run(*editor);
    s.events.click(6 * 32 + 5, 4 * 32 + 5);
    s.run(*editor);
    expectStatusDrawn(*editor);
    // A file that was not there when the session began has no .bak.
    s.events.key(SDLK_EQUALS);
    s.events.key(SDLK_s, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_FALSE(fs::exists(s.level + ".bak"));
    EXPECT_NE(std::string::npos, readAll(s.level).find("bomb 1\n"));

    // A level the game would refuse is not saved.
    editor->doc.text.records.push_back({"tresure", {"1", "1"}});
    s.events.key(SDLK_s, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ(0u, editor->message().rfind("Not saved", 0)) << editor->message();
    EXPECT_EQ(std::string::npos, readAll(s.level).find("tresure"));
}

// What the drawn level holds, item by item in drawing order.
std::string describeItems(const Level& level) {
    std::ostringstream out;
    for (const Item* item : level.items) out << typeid(*item).name() << ' ' << item->x << ',' << item->y << ';';
    out << " gems " << level.treasures.size() << " player " << level.player->x << ',' << level.player->y << " bombs "
        << level.player->bombs.size();
    return out.str();
}

TEST(EditorTest, ItemEditsDrawWhatTheLoaderWouldBuild) {
    // Item edits re-place only the records they change; the drawn level must
    // still hold what a fresh load of the text holds, in the same order.
    Session s;
    fs::copy_file(fs::path(VORREL_SOURCE_DATA) / "level" / "main" / "level15.lev", s.level);
    auto editor = s.open();
    auto check = [&](const char* step) {
        std::string error;
        std::unique_ptr<Level> fresh = buildLevel(editor->doc.text, testsupport::screen(), nullptr, error);
        ASSERT_TRUE(fresh && editor->drawnLevel()) << step << ": " << error;
        EXPECT_EQ(describeItems(*fresh), describeItems(*editor->drawnLevel())) << step;
    };
    int column = -1, row = -1;
    for (int r = 0; r < editor->doc.rows() && column < 0; ++r)
        for (int c = 1; c < editor->doc.columns(); ++c)
            if (editor->doc.passable(editor->doc.keyAt(c, r)) && editor->doc.itemAt(c, r) < 0 &&
                editor->doc.decorationAt(c, r) < 0 && !editor->doc.playerAt(c, r)) {
                column = c;
                row = r;
                break;
            }
    ASSERT_GE(column, 0);
    const int x = column * 32 + 5, y = row * 32 + 5;
    editor->choose({PieceKind::Crate, 0});
    s.events.click(x, y);
    s.run(*editor);
    check("crate placed");
    editor->choose({PieceKind::Gem, 0});
    s.events.click(x, y);  // replaces the crate
    s.run(*editor);
    check("gem over the crate");
    editor->choose({PieceKind::Player, 0});
    s.events.click(x + 32, y);
    s.run(*editor);
    check("player moved");
    s.events.click(x, y, SDL_BUTTON_RIGHT);
    s.run(*editor);
    check("gem cleared");
    // A decoration changed in place: its record keeps its place in the file.
    const int decoration = editor->doc.decorationAt(3, 4);
    ASSERT_GE(decoration, 0);
    editor->choose({PieceKind::Decoration, editor->doc.text.records[decoration].attributes[2][0] == 'v' ? 'p' : 'v'});
    s.events.click(3 * 32 + 5, 4 * 32 + 5);
    s.run(*editor);
    EXPECT_EQ(decoration, editor->doc.decorationAt(3, 4));
    check("decoration changed");
    // The first record of the file cleared, then the same again after an undo.
    const int first = editor->doc.text.records[0].name == "plr" ? 1 : 0;
    const EditRecord record = editor->doc.text.records[first];
    ASSERT_GE(record.attributes.size(), 2u);
    const int fc = std::atoi(record.attributes[0].c_str()), fr = std::atoi(record.attributes[1].c_str());
    s.events.click(fc * 32 + 5, fr * 32 + 5, SDL_BUTTON_RIGHT);
    s.run(*editor);
    check("first record cleared");
    s.events.key(SDLK_z, KMOD_LCTRL);
    s.events.click(fc * 32 + 5, fr * 32 + 5, SDL_BUTTON_RIGHT);
    s.run(*editor);
    check("undone and cleared again");
}

TEST(EditorTest, FiveHundredStepsOfUndo) {
    Session s;
    auto editor = s.open();
    const std::string fresh = writeEditText(editor->doc.text);
    for (int i = 0; i < 520; ++i) {
        editor->choose({PieceKind::Cell, i % 2 ? '#' : '?'});
        s.events.click(5 * 32, 5 * 32);
    }
    s.run(*editor);
    for (int i = 0; i < 520; ++i) s.events.key(SDLK_z, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ(fresh, writeEditText(editor->doc.text));
}

TEST(EditorTest, RecoveryFileQuitQuestionAndTestPlay) {
    Session s;
    {
        auto editor = s.open();
        editor->choose({PieceKind::Crate, 0});
        s.events.click(6 * 32, 10 * 32);
        s.run(*editor);
        EXPECT_FALSE(fs::exists(recoveryPath(s.level)));
        s.input.clock.advance(30000);
        editor->pass();
        EXPECT_EQ(writeEditText(editor->doc.text), readAll(recoveryPath(s.level)));

        // Test-play leaves the level exactly as it was.
        const std::string before = writeEditText(editor->doc.text);
        platform::ScriptedKeyboard keys;
        keys.press(SDLK_ESCAPE);
        editor->playKeyboard = &keys;
        s.events.key(SDLK_F5);
        s.run(*editor);
        EXPECT_EQ(before, writeEditText(editor->doc.text));
        EXPECT_FALSE(editor->closed());

        // Escape asks; Escape stays; the window's close then N discards.
        s.events.key(SDLK_ESCAPE);
        s.events.key(SDLK_ESCAPE);
        s.run(*editor);
        EXPECT_FALSE(editor->closed());
        s.events.quit();
        s.events.key(SDLK_n);
        s.run(*editor);
        EXPECT_TRUE(editor->closed());
        EXPECT_FALSE(fs::exists(s.level));
    }
    // A kill leaves the recovery file; opening again offers it.
    std::ofstream(recoveryPath(s.level)) << writeEditText(newLevelText("gfx/castle.txt", "gfx/bg_castle.png"));
    auto editor = s.open();
    EXPECT_EQ("gfx/cave.txt", editor->doc.text.tilesetPath);
    s.events.key(SDLK_y);
    s.run(*editor);
    EXPECT_EQ("gfx/castle.txt", editor->doc.text.tilesetPath);
    EXPECT_TRUE(editor->modified());
}

TEST(EditorTest, KeptTapeGoesToTheTapesFolderWhenThereIsOne) {
    Session s;
    EXPECT_EQ(s.folder.string() + "/mine.tape", tapePathFor(s.level));
    fs::create_directories(s.folder / "tapes");
    EXPECT_EQ(s.folder.string() + "/tapes/mine.tape", tapePathFor(s.level));
}

TEST(EditorTest, UnloadableFileGivesTheLoadersLine) {
    Session s;
    std::ofstream(s.level) << "gfx/forest.txt\ngfx/bg_forest.png\n2\n####\n###\n";
    Editor editor(testsupport::screen(), &testsupport::sounds(), s.level);
    std::string error;
    EXPECT_FALSE(editor.open("", error));
    EXPECT_EQ("ERROR: Level must be rectanguar! The width of line 2doesn't match. (4 vs 3)", error);
}

TEST(EditorTest, CampaignLevelsComeOutByteForByte) {
    for (const auto& entry : fs::directory_iterator(fs::path(VORREL_SOURCE_DATA) / "level" / "main")) {
        if (entry.path().extension() != ".lev") continue;
        const std::string bytes = readAll(entry.path());
        EditText text;
        std::string error;
        ASSERT_TRUE(readEditText(bytes, text, error)) << entry.path();
        EXPECT_EQ(bytes, writeEditText(text)) << entry.path();
    }
}

TEST(EditorTest, SavingKeepsModeLinkAndTheOpenedVersion) {
    Session s;
    const fs::path real = s.folder / "real.lev";
    fs::copy_file(fs::path(VORREL_SOURCE_DATA) / "level" / "main" / "level15.lev", real);
    const std::string original = readAll(real);
    chmod(real.c_str(), 0600);
    fs::create_symlink("real.lev", s.level);
    auto editor = s.open();
    for (int i = 0; i < 2; ++i) {
        s.events.key(SDLK_EQUALS);
        s.events.key(SDLK_s, KMOD_LCTRL);
    }
    s.run(*editor);
    EXPECT_EQ(0u, editor->message().rfind("Saved", 0)) << editor->message();
    EXPECT_TRUE(fs::is_symlink(s.level));
    EXPECT_EQ(writeEditText(editor->doc.text), readAll(real));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write, fs::status(real).permissions());
    // Two saves: the .bak is still the file this session opened.
    EXPECT_EQ(original, readAll(s.level + ".bak"));

    chmod(real.c_str(), 0444);
    const std::string saved = readAll(real);
    s.events.key(SDLK_EQUALS);
    s.events.key(SDLK_s, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ("Not saved: cannot write " + s.level + ": the file is read-only", editor->message());
    EXPECT_EQ(saved, readAll(real));
    EXPECT_TRUE(editor->modified());
}

TEST(EditorTest, BrokenFilesAreRefusedInOneLineOrRepairedWithConsent) {
    Session s;
    auto refusal = [&](const std::string& bytes) {
        fs::remove_all(s.level);
        if (bytes == "folder")
            fs::create_directories(s.level);
        else
            std::ofstream(s.level, std::ios::binary) << bytes;
        Editor editor(testsupport::screen(), &testsupport::sounds(), s.level);
        std::string error;
        EXPECT_FALSE(editor.open("", error)) << bytes;
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
        return error;
    };
    EXPECT_NE(std::string::npos, refusal("folder").find("the level file is not a regular file"));
    EXPECT_NE(std::string::npos, refusal("").find("the tileset description \"\"")) << refusal("");
    const std::string binary(
        "\x7f"
        "ELF\x02\x01\0\0\xff\xfe",
        10);
    EXPECT_NE(std::string::npos, refusal(binary).find(":1: error: "));
    EXPECT_NE(std::string::npos, refusal("gfx/forrest.txt\ngfx/bg_forest.png\n1\n###\n").find("\"gfx/forrest.txt\""));

    // A misspelt record and a negative bomb count: dropped; no player record
    // and a wall where the game would start him: placed. Each is listed, and
    // the file is not saved over without a yes.
    fs::remove_all(s.level);
    std::string original = readAll(fs::path(VORREL_SOURCE_DATA) / "level" / "main" / "level15.lev");
    original.erase(original.find("plr 1 9\n"), 8);
    original += "tresure 3 3\nbomb -1\n";
    std::ofstream(s.level, std::ios::binary) << original;
    auto editor = s.open();
    ASSERT_EQ(3u, editor->repairsMade().size());
    EXPECT_EQ(0u, editor->repairsMade()[1].text.rfind("dropped \"bomb -1\": ", 0)) << editor->repairsMade()[1].text;
    EXPECT_NE(std::string::npos, editor->repairsMade()[2].text.find("placed at column 1, row 2"))
        << editor->repairsMade()[2].text;
    EXPECT_TRUE(editor->modified());
    s.events.key(SDLK_SPACE);  // closes the list of repairs
    s.events.key(SDLK_s, KMOD_LCTRL);
    s.events.key(SDLK_n);
    s.run(*editor);
    EXPECT_EQ(original, readAll(s.level));
    // Closing: y saves, which asks about the repairs first; a second y saves and closes.
    s.events.key(SDLK_ESCAPE);
    s.events.key(SDLK_y);
    s.events.key(SDLK_y);
    s.run(*editor);
    EXPECT_TRUE(editor->closed()) << editor->message();
    EXPECT_FALSE(editor->modified());
    EXPECT_EQ(std::string::npos, readAll(s.level).find("tresure"));
    EXPECT_EQ(original, readAll(s.level + ".bak"));
}

TEST(EditorTest, MissingFolderThenSaveAsAndOpen) {
    Session s;
    const fs::path own = s.folder / "data" / "vorrel" / "levels";
    setenv("XDG_DATA_HOME", (s.folder / "data").c_str(), 1);
    s.level = (s.folder / "nosuchdir" / "new.lev").string();
    auto editor = s.open();
    EXPECT_NE(std::string::npos,
              editor->message().find("the folder " + (s.folder / "nosuchdir").string() + " does not exist"))
        << editor->message();

    // The recovery file cannot be written either; the question stays on the line.
    s.events.key(SDLK_EQUALS);
    s.events.key(SDLK_ESCAPE);
    s.run(*editor);
    const std::string question = editor->message();
    s.input.clock.advance(30000);
    editor->pass();
    EXPECT_EQ(question, editor->message());
    s.events.key(SDLK_ESCAPE);
    s.events.key(SDLK_s, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ("Not saved: the folder " + (s.folder / "nosuchdir").string() +
                  " does not exist; ctrl+shift+s saves elsewhere",
              editor->message());

    // Save As offers the player's own folder: "new" becomes "mine".
    s.events.key(SDLK_s, static_cast<SDLMod>(KMOD_LCTRL | KMOD_LSHIFT));
    for (int i = 0; i < 3; ++i) s.events.key(SDLK_BACKSPACE);
    for (SDLKey k : {SDLK_m, SDLK_i, SDLK_n, SDLK_e, SDLK_RETURN}) s.events.key(k);
    s.run(*editor);
    EXPECT_EQ((own / "mine.lev").string(), editor->file()) << editor->message();
    EXPECT_EQ(writeEditText(editor->doc.text), readAll(own / "mine.lev"));
    EXPECT_FALSE(editor->modified());

    // Ctrl+O lists that folder (mine.lev, other.lev); the unsaved change is asked about.
    fs::copy_file(fs::path(VORREL_SOURCE_DATA) / "level" / "main" / "level15.lev", own / "other.lev");
    s.events.key(SDLK_EQUALS);
    s.events.key(SDLK_o, KMOD_LCTRL);
    s.events.key(SDLK_DOWN);
    s.events.key(SDLK_RETURN);
    s.run(*editor);
    EXPECT_EQ((own / "mine.lev").string(), editor->file());
    s.events.key(SDLK_n);
    s.run(*editor);
    EXPECT_EQ((own / "other.lev").string(), editor->file());
    EXPECT_EQ(readAll(own / "other.lev"), writeEditText(editor->doc.text));

    // A file that cannot be opened leaves the editor where it was, still drawing.
    std::ofstream(own / "bad.lev") << "";
    s.events.key(SDLK_o, KMOD_LCTRL);
    s.events.key(SDLK_HOME);
    s.events.key(SDLK_RETURN);
    s.run(*editor);
    EXPECT_EQ(0u, editor->message().rfind("Cannot open " + (own / "bad.lev").string() + ": ", 0)) << editor->message();
    EXPECT_EQ((own / "other.lev").string(), editor->file());
    EXPECT_TRUE(editor->pass());
    unsetenv("XDG_DATA_HOME");
}

TEST(EditorTest, StopSignalKeepsTheUnsavedWorkAndExits) {
    const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "vorrel-edit";
    if (!fs::exists(program)) GTEST_SKIP() << "vorrel-edit is not built next to the tests";
    Session s;
    // Repaired on opening, so unsaved from the start; its list of repairs is open.
    std::ofstream(s.level) << readAll(fs::path(VORREL_SOURCE_DATA) / "level" / "main" / "level15.lev")
                           << "tresure 3 3\n";
    const std::string out = (s.folder / "out").string();
    const std::string command =
        "cd '" + std::string(VORREL_SOURCE_DATA) +
        "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -s KILL 30 '" + program.string() + "' '" + s.level +
        "' >'" + out + "' 2>&1 & pid=$!; i=0; while ! grep -q repaired '" + out +
        "' && [ $i -lt 200 ]; do sleep 0.1; i=$((i+1)); done; kill -TERM $pid; wait $pid; echo $?";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    char status[16] = "";
    std::fgets(status, sizeof status, pipe);
    pclose(pipe);
    EXPECT_EQ(128 + SIGTERM, std::atoi(status)) << readAll(out);
    // The repaired level: the campaign's own, byte for byte.
    EXPECT_EQ(readAll(fs::path(VORREL_SOURCE_DATA) / "level" / "main" / "level15.lev"), readAll(recoveryPath(s.level)));
}

TEST(EditorTest, F8SharesWithTheSolversTapeAndACodeOpensUnsaved) {
    Session s;
    fs::copy_file(fs::path(VORREL_SOURCE_DATA) / "level/main/level4.lev", s.level);
    std::string link;
    {
        auto editor = s.open();
        s.events.key(SDLK_F8);
        s.run(*editor);
        link = editor->link();
        ASSERT_EQ(link.rfind("vorrel.html#play=1.", 0), 0u) << editor->message();
        EXPECT_EQ(link + "\n", readAll(s.folder / "mine.link"));
        EXPECT_NE(editor->message().find(link.substr(0, 40)), std::string::npos);
    }
    const levelcode::Contents contents = levelcode::decodeLevelCode(link);
    EXPECT_EQ(readAll(s.level), contents.level);
    EXPECT_FALSE(contents.tape.empty());

    // The link opens as a level with no file: ctrl+s asks for a name in the
    // player's own folder.
    setenv("XDG_DATA_HOME", (s.folder / "data").c_str(), 1);
    Editor editor(testsupport::screen(), &testsupport::sounds(), "");
    std::string error;
    ASSERT_TRUE(editor.openCode(link, error)) << error;
    EXPECT_TRUE(editor.modified());
    const fs::path saved = s.folder / "data" / "vorrel" / "levels" / "shared-got.lev";
    s.events.key(SDLK_s, KMOD_LCTRL);
    for (SDLKey k : {SDLK_MINUS, SDLK_g, SDLK_o, SDLK_t, SDLK_RETURN}) s.events.key(k);
    s.run(editor);
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(contents.level, readAll(saved)) << editor.message();
    EXPECT_FALSE(editor.modified());
    EXPECT_FALSE(editor.openCode(link.substr(0, link.size() - 3), error));
    EXPECT_NE(error.find("checksum"), std::string::npos);
}

namespace {

// The cells of a level as the player meets them, row by row.
std::string describeCells(const Level& level) {
    std::string out;
    for (const auto& row : level.grid) {
        for (const Cell* cell : row) out += cell->item ? 'o' : cell->passable ? (cell->ladder ? 'H' : '.') : '#';
        out += '/';
    }
    return out;
}

void expectDrawnAsLoaded(const Editor& editor, const char* step) {
    std::string error;
    std::unique_ptr<Level> fresh = buildLevel(editor.doc.text, testsupport::screen(), nullptr, error);
    ASSERT_TRUE(fresh && editor.drawnLevel()) << step << ": " << error;
    EXPECT_EQ(describeCells(*fresh), describeCells(*editor.drawnLevel())) << step;
    EXPECT_EQ(describeItems(*fresh), describeItems(*editor.drawnLevel())) << step;
}

std::string iconPixels(const Editor& editor) {
    std::string bytes;
    for (const PaletteEntry& entry : editor.paletteEntries())
        bytes.append(static_cast<const char*>(entry.icon->pixels), entry.icon->pitch * entry.icon->h);
    return bytes;
}

int at(int cell) { return cell * 32 + 5; }

} // namespace

TEST(EditorTest, ThemeUndoAndRedoRebuildThePalette) {
    Session s;
    auto editor = s.open("cave");
    const std::string cave = iconPixels(*editor);
    s.events.key(SDLK_t);
    s.run(*editor);
    const std::string forest = iconPixels(*editor);
    EXPECT_NE(cave, forest);
    s.events.key(SDLK_z, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ("gfx/cave.txt", editor->doc.text.tilesetPath);
    EXPECT_EQ(cave, iconPixels(*editor));
    s.events.key(SDLK_y, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ(forest, iconPixels(*editor));
    expectDrawnAsLoaded(*editor, "theme redone");
}

TEST(EditorTest, RegionToolsAreOneStepEach) {
    Session s;
    auto editor = s.open("forest");
    const std::string fresh = writeEditText(editor->doc.text);
    auto steps = [&] { return editor->history.undoCount(); };

    // Shift+drag: a rectangle of the chosen cell.
    editor->choose({PieceKind::Cell, '#'});
    s.input.keyboard.press(SDLK_LSHIFT);
    s.events.drag(at(3), at(2), at(6), at(4));
    s.run(*editor);
    s.input.keyboard.release(SDLK_LSHIFT);
    EXPECT_EQ("#..####.", editor->doc.text.grid[4].substr(0, 8));
    EXPECT_EQ(1u, steps());
    expectDrawnAsLoaded(*editor, "rectangle");

    // A number key chooses the ladder; F floods the open cells joined to the one under the mouse.
    const auto& palette = editor->paletteEntries();
    size_t ladder = 0;
    while (ladder < palette.size() && !(palette[ladder].piece == Piece{PieceKind::Cell, '?'})) ++ladder;
    ASSERT_LT(ladder, 10u);
    s.events.motion(at(10), at(3), 0);
    s.events.key(ladder == 9 ? SDLK_0 : static_cast<SDLKey>(SDLK_1 + ladder));
    s.events.key(SDLK_f);
    s.run(*editor);
    EXPECT_EQ(2u, steps());
    EXPECT_EQ('?', editor->doc.keyAt(18, 10));
    EXPECT_EQ('#', editor->doc.keyAt(4, 3));
    expectDrawnAsLoaded(*editor, "flood");

    // Ctrl+drag selects; dragging the selection moves it with its gem.
    s.events.key(SDLK_z, KMOD_LCTRL);
    editor->choose({PieceKind::Gem, 0});
    s.events.click(at(4), at(5));
    s.run(*editor);
    s.input.keyboard.press(SDLK_LCTRL);
    s.events.drag(at(3), at(4), at(4), at(5));
    s.run(*editor);
    s.input.keyboard.release(SDLK_LCTRL);
    EXPECT_EQ(2u, steps());
    s.events.drag(at(4), at(5), at(12), at(7));
    s.run(*editor);
    EXPECT_EQ(3u, steps());
    EXPECT_EQ(PieceKind::Gem, editor->doc.pick(12, 7).kind);
    EXPECT_EQ('#', editor->doc.keyAt(11, 6));
    EXPECT_EQ('.', editor->doc.keyAt(3, 4));
    EXPECT_EQ(PieceKind::Cell, editor->doc.pick(4, 5).kind);
    expectDrawnAsLoaded(*editor, "moved");

    // Copied, then pasted where the mouse is at the click; cut takes it away.
    s.events.key(SDLK_c, KMOD_LCTRL);
    s.events.key(SDLK_v, KMOD_LCTRL);
    s.events.motion(at(15), at(7), 0);
    s.events.click(at(15), at(7));
    s.run(*editor);
    EXPECT_EQ(4u, steps());
    EXPECT_EQ(PieceKind::Gem, editor->doc.pick(16, 8).kind);
    EXPECT_EQ(PieceKind::Gem, editor->doc.pick(12, 7).kind);
    s.input.keyboard.press(SDLK_LCTRL);
    s.events.drag(at(15), at(7), at(16), at(8));
    s.run(*editor);
    s.input.keyboard.release(SDLK_LCTRL);
    s.events.key(SDLK_x, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ(5u, steps());
    EXPECT_EQ(PieceKind::Cell, editor->doc.pick(16, 8).kind);
    expectDrawnAsLoaded(*editor, "cut");

    for (int i = 0; i < 5; ++i) s.events.key(SDLK_z, KMOD_LCTRL);
    s.run(*editor);
    expectDrawnAsLoaded(*editor, "all undone");
    EXPECT_EQ(fresh, writeEditText(editor->doc.text));
}

TEST(EditorTest, StatusAndCheckLines) {
    Session s;
    s.level = (s.folder / std::string(120, 'a') / std::string(120, 'b') / "mine.lev").string();
    auto editor = s.open("cave");
    s.events.key(SDLK_EQUALS);  // a new level is unsaved once changed
    s.events.motion(at(10), at(10), 0);
    s.run(*editor);
    const std::string status = editor->statusLine();
    EXPECT_NE(std::string::npos, status.find("cell 10,10: gem")) << status;
    EXPECT_NE(std::string::npos, status.find("...bbbb")) << status;
    EXPECT_EQ("/mine.lev (unsaved)", status.substr(status.size() - 19));
    EXPECT_LE(smallTextWidth(status), 640 - smallTextWidth("f1 help") - 8);

    // The door under the ceiling: the lint's warning shows at once.
    editor->choose({PieceKind::Goal, 0});
    s.events.click(at(17), at(1));
    s.run(*editor);
    ASSERT_EQ(1u, editor->problems.size()) << editor->lintSummary();
    EXPECT_NE(std::string::npos, editor->lintSummary().find("cell 17,1: goal at column 17, row 1: the cell above"))
        << editor->lintSummary();

    // F2 counts rows as the records do, from 0.
    EditText deep = editor->doc.text;
    deep.grid.push_back(deep.grid.back());
    bool below = false;
    for (const Problem& problem : lintText(deep))
        if (problem.row == 13) {
            below = true;
            EXPECT_EQ("row 13 lies below the visible 13 rows", problem.message.text);
        }
    EXPECT_TRUE(below);

    // F1 and F2 lay their lists over the level, and take them away again.
    const Uint32 listBackground = SDL_MapRGB(testsupport::screen()->format, 10, 10, 20);
    for (SDLKey key : {SDLK_F1, SDLK_F2}) {
        s.events.key(key);
        s.run(*editor);
        EXPECT_EQ(listBackground, getPixel(testsupport::screen(), 300, 30)) << key;
        s.events.key(key);
        s.run(*editor);
        EXPECT_NE(listBackground, getPixel(testsupport::screen(), 300, 30)) << key;
    }
}

TEST(EditorTest, TestPlayRetriesAndStartsUnderTheMouse) {
    Session s;
    auto editor = s.open("cave");
    // R early in the play, Escape long after: R plays the test again.
    platform::ScriptedKeyboard keys;
    keys.onPump = [](void* context) {
        auto* k = static_cast<platform::ScriptedKeyboard*>(context);
        if (k->pumps == 5) k->press(SDLK_r);
        if (k->pumps == 8) k->release(SDLK_r);
        if (k->pumps == 600) k->press(SDLK_ESCAPE);
    };
    keys.context = &keys;
    editor->playKeyboard = &keys;
    s.events.key(SDLK_F5);
    s.run(*editor);
    EXPECT_EQ("Test-play ended", editor->message());
    EXPECT_GE(keys.pumps, 600u);

    // Shift+F5 on the door of a level without gems wins at once; the level keeps its start.
    platform::ScriptedKeyboard none;
    editor->playKeyboard = &none;
    s.events.click(at(10), at(10), SDL_BUTTON_RIGHT);
    s.events.motion(at(17), at(10), 0);
    s.events.key(SDLK_F5, KMOD_LSHIFT);
    s.run(*editor);
    EXPECT_EQ(0u, editor->message().rfind("Won from cell 17,10", 0)) << editor->message();
    EXPECT_TRUE(editor->doc.playerAt(2, 10));
}

TEST(EditorTest, SolverVerdictOnTheCheckLineAndPlaybackAtFourTimes) {
    Session s;
    auto editor = s.open("cave");
    int tone = -1;
    s.events.key(SDLK_F6);
    s.run(*editor);
    EXPECT_EQ(0u, editor->checkLine(tone).rfind("solvable in ", 0)) << editor->checkLine(tone);
    EXPECT_EQ(0, tone);

    // The same play at four times the pace: a quarter of the waiting.
    uint32_t start = s.input.clock.now;
    s.events.key(SDLK_F7);
    s.run(*editor);
    const uint32_t plain = s.input.clock.now - start;
    start = s.input.clock.now;
    s.events.key(SDLK_F7, KMOD_LSHIFT);
    s.run(*editor);
    const uint32_t fast = s.input.clock.now - start;
    EXPECT_EQ("That was the solver's solution, at 4x", editor->message());
    EXPECT_GT(plain, 1000u);
    EXPECT_NEAR(plain / 4.0, fast, 40);

    // A pool too wide to jump: the verdict and the checks are one red line.
    editor->choose({PieceKind::Cell, '$'});
    s.input.keyboard.press(SDLK_LSHIFT);
    s.events.drag(at(4), at(10), at(8), at(10));
    s.run(*editor);
    s.input.keyboard.release(SDLK_LSHIFT);
    s.events.key(SDLK_F6);
    s.run(*editor);
    EXPECT_EQ(0u, editor->checkLine(tone).rfind("cannot be won", 0)) << editor->checkLine(tone);
    EXPECT_EQ(2, tone);
    EXPECT_EQ("", editor->message());
    // Any change makes the verdict old news.
    s.events.key(SDLK_z, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ("no problems", editor->checkLine(tone));
}

TEST(EditorTest, EscapeCancelsTheSearchOnTheCheckLine) {
    Session s;
    fs::copy_file(fs::path(VORREL_SOURCE_DATA) / "level" / "main" / "level26.lev", s.level);
    auto editor = s.open();
    s.events.key(SDLK_F6);
    s.events.key(SDLK_ESCAPE);
    s.run(*editor);
    int tone = -1;
    EXPECT_EQ(0u, editor->checkLine(tone).rfind("solving cancelled after ", 0)) << editor->checkLine(tone);
    EXPECT_EQ(1, tone);
    EXPECT_FALSE(editor->closed());
}
