#include "common/Picture.h"

#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "play/View.h"

void drawPicture(Level& level, int timeOffset, const ReplayOptions& options, int page) {
    SDL_BlitSurface(level.backdrop, nullptr, level.screen, nullptr);
    if (options.selectMode) drawSelectionOverlay(level, options.available, page);
    for (Item* item : level.items) item->draw(level.scale);
    level.player->draw(level.screen, 1);
    drawCells(level, timeOffset);
    drawHud(level);
}
