#pragma once
class Level;

void drawHud(Level& level);
void drawSelectionOverlay(Level& level, int availableLevels, int page);
void drawCells(Level& level, int timeOffset);
void drawWater(Level& level, int column, int row, int timeOffset);
