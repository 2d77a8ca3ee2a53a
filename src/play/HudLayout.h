#pragma once
// Where the heads-up display draws: a black band across the bottom of the
// screen with two thin lines near its top edge, a row of bomb icons and the
// status bar over them. The band's height follows the level's scale; the
// lines are counted up from the screen's bottom edge and, like the icons and
// the bar, do not follow the scale.

namespace hud {

constexpr int kBandHeight = 64;   // times the level's scale
constexpr int kWhiteLineUp = 63;  // rows above the screen's bottom edge
constexpr int kGreyLineUp = 61;
constexpr int kIconY = 418;
constexpr int kIconSpacing = 6;  // each icon this far right of the one before
constexpr int kBarX = 64;
constexpr int kBarY = 416;
// The key hints in the status bar, in the bar's own coordinates: columns
// of hints, each a word after its keys' caps (the last cap ends at
// kCapsEnd).
constexpr int kHintX = 22;
constexpr int kHintSpacing = 120;
constexpr int kHintRowY[2] = {8, 36};
constexpr int kCapWidth = 18;
constexpr int kCapHeight = 20;
constexpr int kCapStep = 21;
constexpr int kCapsEnd = 42;
// The undo key's hint: first row, third column. The play lights its cap on
// the screen when the key has something to say.
constexpr int kUndoColumn = 2;
constexpr int kUndoCapX = kBarX + kHintX + kHintSpacing * kUndoColumn + kCapsEnd - kCapStep;
constexpr int kUndoCapY = kBarY + kHintRowY[0];
// The highest row drawn at a fixed place: the band must start no lower.
constexpr int kFixedTop = kBarY < kIconY ? kBarY : kIconY;

} // namespace hud
