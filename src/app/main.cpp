// SDL's start-up code calls this and shuts SDL down when the process ends.
#include <SDL/SDL.h>

#include "app/App.h"

int main(int argc, char** argv) { return runGame(argc, argv); }
