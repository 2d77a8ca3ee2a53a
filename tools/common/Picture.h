#pragma once
// The picture of one moment of a level, composed as the start sequence
// composes it: for the renderer and the browser's replay page.
#include "common/Tape.h"

class Level;

// timeOffset: how far ahead the water is drawn (the start sequence: 3000).
void drawPicture(Level& level, int timeOffset, const ReplayOptions& options, int page);
