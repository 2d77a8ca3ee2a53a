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
#include "editor/Editor.h"
#include "editor/LevelFiles.h"
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

    s.events.key(SDLK_s, KMOD_LCTRL);
    s.run(*editor);
    EXPECT_EQ(writeEditText(editor->doc.text), readAll(s.level));
    EXPECT_FALSE(editor->modified());
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
