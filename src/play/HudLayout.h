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
// The highest row drawn at a fixed place: the band must start no lower.
constexpr int kFixedTop = kBarY < kIconY ? kBarY : kIconY;

} // namespace hud
