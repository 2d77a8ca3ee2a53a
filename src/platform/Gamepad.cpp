// The gamepad: mapping file, folding into held keys, SDL's joystick.
#include "platform/Gamepad.h"
#include "platform/UserFolder.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/FileRead.h"

namespace platform {
namespace {

const char* const kActionNames[PadActionCount] = {"jump", "bomb", "restart", "start", "back", "undo", "hint"};

// "jump, bomb, ... or hint", from the names above.
std::string actionList() {
    std::string list;
    for (int i = 0; i < PadActionCount; ++i)
        list += (i == 0 ? "" : i + 1 == PadActionCount ? " or " : ", ") + std::string(kActionNames[i]);
    return list;
}

Gamepad* currentPad = nullptr;
GamepadMapping currentMapping;
GamepadState padState;
uint8_t folded[SDLK_LAST];

class SdlGamepad : public Gamepad {
public:
    explicit SdlGamepad(SDL_Joystick* joystick) : joystick(joystick) {}
    void poll(GamepadState& state) override {
        SDL_JoystickUpdate();
        state.x = SDL_JoystickNumAxes(joystick) > 0 ? SDL_JoystickGetAxis(joystick, 0) : 0;
        state.y = SDL_JoystickNumAxes(joystick) > 1 ? SDL_JoystickGetAxis(joystick, 1) : 0;
        state.hat = SDL_JoystickNumHats(joystick) > 0 ? SDL_JoystickGetHat(joystick, 0) : 0;
        state.buttons = 0;
        const int count = SDL_JoystickNumButtons(joystick);
        for (int i = 0; i < count && i < 32; ++i)
            if (SDL_JoystickGetButton(joystick, i)) state.buttons |= 1u << i;
    }

private:
    SDL_Joystick* joystick;
};

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "3 7" into bits; false when a word is not a button number 0..31.
bool parseButtons(const std::string& text, uint32_t& bits) {
    std::istringstream words(text);
    std::string word;
    bits = 0;
    while (words >> word) {
        if (word.size() > 2 || word.find_first_not_of("0123456789") != std::string::npos) return false;
        const int button = std::atoi(word.c_str());
        if (button > 31) return false;
        bits |= 1u << button;
    }
    return true;
}

} // namespace

// Button numbers of common pads under SDL's joystick API: start is 7 on
// XInput-style pads and 9 on many others, back/select 6 or 8. The shoulder
// buttons are 4 (left) and 5 (right) on both kinds.
GamepadMapping::GamepadMapping() {
    buttons[PadJump] = 1u << 0;
    buttons[PadBomb] = 1u << 1;
    buttons[PadRestart] = 1u << 2;
    buttons[PadStart] = (1u << 7) | (1u << 9);
    buttons[PadBack] = (1u << 6) | (1u << 8);
    buttons[PadUndo] = 1u << 4;
    buttons[PadHint] = 1u << 5;
}

GamepadMapping parseGamepadMapping(const std::string& text, std::vector<std::string>& complaints) {
    GamepadMapping mapping;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string content = trim(line.substr(0, line.find('#')));
        if (content.empty()) continue;
        const auto equals = content.find('=');
        const std::string name = trim(content.substr(0, equals));
        int action = -1;
        for (int i = 0; i < PadActionCount; ++i)
            if (name == kActionNames[i]) action = i;
        uint32_t bits = 0;
        if (equals == std::string::npos || action < 0 || !parseButtons(content.substr(equals + 1), bits)) {
            complaints.push_back(
                "gamepad.conf line " + std::to_string(number) + " ignored: \"" + content +
                "\" (expected " + actionList() + " = button numbers 0 to 31)");
            continue;
        }
        mapping.buttons[action] = bits;
    }
    return mapping;
}

void foldGamepad(const GamepadState& pad, const GamepadMapping& mapping, uint8_t* keys) {
    if (pad.y < -kStickDeadZone || (pad.hat & SDL_HAT_UP)) keys[SDLK_UP] = 1;
    if (pad.y > kStickDeadZone || (pad.hat & SDL_HAT_DOWN)) keys[SDLK_DOWN] = 1;
    if (pad.x < -kStickDeadZone || (pad.hat & SDL_HAT_LEFT)) keys[SDLK_LEFT] = 1;
    if (pad.x > kStickDeadZone || (pad.hat & SDL_HAT_RIGHT)) keys[SDLK_RIGHT] = 1;
    const auto held = [&](GamepadAction action) { return (pad.buttons & mapping.buttons[action]) != 0; };
    if (held(PadJump)) keys[SDLK_x] = 1;
    if (held(PadBomb)) keys[SDLK_z] = 1;
    if (held(PadRestart)) keys[SDLK_r] = 1;
    if (held(PadStart)) keys[SDLK_SPACE] = keys[SDLK_RETURN] = 1;
    if (held(PadBack)) keys[SDLK_ESCAPE] = 1;
    // The play's undo key and hint key; held undo rewinds as the held key does.
    if (held(PadUndo)) keys[SDLK_u] = 1;
    if (held(PadHint)) keys[SDLK_h] = 1;
}

void setGamepad(Gamepad* pad, const GamepadMapping& mapping) {
    currentPad = pad;
    currentMapping = mapping;
    padState = GamepadState();
}

void pollGamepad() {
    if (currentPad) currentPad->poll(padState);
}

uint8_t* foldedKeys(uint8_t* keyboardKeys) {
    if (!currentPad || !keyboardKeys) return keyboardKeys;
    std::memcpy(folded, keyboardKeys, sizeof folded);
    foldGamepad(padState, currentMapping, folded);
    return folded;
}

std::string gamepadConfigPath() {
    const std::string folder = userFolder("XDG_CONFIG_HOME", ".config");
    return folder.empty() ? folder : folder + "/gamepad.conf";
}

void openGamepad() {
    // The mapping is read, and a broken line reported, at every start, pad or
    // not: a player fixes the file before plugging the pad in.
    GamepadMapping mapping;
    const std::string path = gamepadConfigPath();
    std::string text;
    if (!path.empty() && fileread::readFile(path.c_str(), fileread::kTextCap, text)) {
        std::vector<std::string> complaints;
        mapping = parseGamepadMapping(text, complaints);
        for (const std::string& complaint : complaints) std::printf("%s\n", complaint.c_str());
        std::fflush(stdout);
    }
    if (!SDL_WasInit(SDL_INIT_JOYSTICK) || SDL_NumJoysticks() < 1) return;
    SDL_Joystick* joystick = SDL_JoystickOpen(0);
    if (!joystick) return;
    // The pad is read at each pump; its events would only fill the queue.
    SDL_JoystickEventState(SDL_IGNORE);
    static SdlGamepad pad(joystick);
    setGamepad(&pad, mapping);
}

} // namespace platform
