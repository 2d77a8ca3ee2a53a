#pragma once
// Gamepads, folded into the held keys at the platform seam: the D-pad and the
// left stick hold the arrows, buttons hold X, Z, R, U, H, Space and Return,
// Escape. Every loop, rule and tape therefore sees keys only.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A snapshot of one pad: left stick axes (SDL's range, -32768..32767), the
// first hat's SDL_HAT_* bits, and buttons 0..31 as bits.
struct GamepadState {
    int x = 0;
    int y = 0;
    uint8_t hat = 0;
    uint32_t buttons = 0;
};

// The stick holds an arrow only beyond a third of its range.
constexpr int kStickDeadZone = 32767 / 3;

class Gamepad {
public:
    virtual ~Gamepad() = default;
    // Called once per event pump.
    virtual void poll(GamepadState& state) = 0;
};

// A pad whose state the test sets.
class ScriptedGamepad : public Gamepad {
public:
    void poll(GamepadState& out) override { out = state; }
    void press(int button) { state.buttons |= 1u << button; }
    GamepadState state;
};

enum GamepadAction { PadJump, PadBomb, PadRestart, PadStart, PadBack, PadUndo, PadHint, PadActionCount };

// Which buttons (bits) hold each action's keys.
struct GamepadMapping {
    GamepadMapping();
    uint32_t buttons[PadActionCount];
};

// Reads "action = button ..." lines over the defaults; '#' starts a comment.
// Each broken line is left out and described in one line in complaints.
GamepadMapping parseGamepadMapping(const std::string& text, std::vector<std::string>& complaints);

// Adds the pad's held keys to a key state of SDLK_LAST entries.
void foldGamepad(const GamepadState& pad, const GamepadMapping& mapping, uint8_t* keys);

// Installs a pad (null: none) with its mapping; not owned. While one is
// installed the seam's key state is the keyboard's with the pad folded in.
void setGamepad(Gamepad* pad, const GamepadMapping& mapping = GamepadMapping());
// The seam's side: refresh the pad at a pump; the key state to hand out.
void pollGamepad();
uint8_t* foldedKeys(uint8_t* keyboardKeys);

// $XDG_CONFIG_HOME/vorrel/gamepad.conf, or ~/.config/vorrel/gamepad.conf;
// empty when neither variable is set.
std::string gamepadConfigPath();

// Opens the first joystick when there is one, reads the user's mapping file
// (broken lines reported on standard output) and installs it. Without a
// joystick nothing happens and nothing is printed.
void openGamepad();

} // namespace platform
