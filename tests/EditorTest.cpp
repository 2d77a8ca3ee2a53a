// The level editor without a window: its edit rules, and whole sessions
// driven by scripted events on the dummy video driver in the data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <typeinfo>

#include "TestSupport.h"
#include "editor/EditDoc.h"
#include "editor/Editor.h"
#include "editor/LevelFiles.h"
#include "level/LevelCode.h"
#include "entities/Item.h"
#include "entities/Player.h"
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

TEST(EditorTest, NewLevelStrokesUndoRedoSave) {
    Session s;
    auto editor = s.open("forest");
    EXPECT_TRUE(editor->problems.empty()) << editor->lintSummary();
    // Which cells hide what is behind them comes from their pictures.
    EXPECT_TRUE(editor->doc.findKey('#')->hides);
    EXPECT_FALSE(editor->doc.findKey('.')->hides);
    EXPECT_FALSE(editor->doc.findKey('?')->hides);
    EXPECT_TRUE(editor->modified());
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

    s.events.key(SDLK_s, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ(writeEditText(editor->doc.text), readAll(s.level));
    EXPECT_FALSE(editor->modified());
    // The second save keeps the first as .bak.
    const std::string first = readAll(s.level);
    s.events.key(SDLK_EQUALS);
    s.events.key(SDLK_s, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ(first, readAll(s.level + ".bak"));
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

    // The link opens as a level with no file: ctrl+s asks for one.
    Editor editor(testsupport::screen(), &testsupport::sounds(), "");
    std::string error;
    ASSERT_TRUE(editor.openCode(link, error)) << error;
    EXPECT_TRUE(editor.modified());
    const std::string saved = (s.folder / "got.lev").string();
    s.events.key(SDLK_s, KMOD_LCTRL);
    for (char c : saved) s.events.key(static_cast<SDLKey>(c));
    s.events.key(SDLK_RETURN);
    s.run(editor);
    EXPECT_EQ(contents.level, readAll(saved)) << editor.message();
    EXPECT_FALSE(editor.modified());
    EXPECT_FALSE(editor.openCode(link.substr(0, link.size() - 3), error));
    EXPECT_NE(error.find("checksum"), std::string::npos);
}
