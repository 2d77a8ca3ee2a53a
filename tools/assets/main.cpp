// vorrel_assets SOURCE_DIR DATA_DIR [gfx|sound]
// Writes every picture and sound of the game into DATA_DIR from the text
// sources in SOURCE_DIR/art and SOURCE_DIR/music.
// vorrel_assets SOURCE_DIR DATA_DIR check SCRATCH_DIR
// Generates into SCRATCH_DIR and checks DATA_DIR holds the same content.
#include "Generators.h"

#include <sys/stat.h>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SOURCE_DIR DATA_DIR [gfx|sound]\n", argv[0]);
        return 2;
    }
    std::string src = argv[1], out = argv[2];
    std::string what = argc > 3 ? argv[3] : "all";
    std::string kept;
    if (what == "check") {
        if (argc < 5) {
            std::fprintf(stderr, "usage: %s SOURCE_DIR DATA_DIR check SCRATCH_DIR\n", argv[0]);
            return 2;
        }
        kept = out;
        out = argv[4];
        what = "all";
    }
    mkdir(out.c_str(), 0755);
    mkdir((out + "/gfx").c_str(), 0755);
    mkdir((out + "/zik").c_str(), 0755);
    try {
        if (what == "all" || what == "gfx") {
            ArtBook art(src + "/art");
            makeTileset(art, out);
            makePlayerSheet(art, out);
            makeFontStrip(art, out);
            makeLetters(art, out);
            makeHud(art, out);
            makeArrows(art, out);
            makeStars(art, out);
            makeBackgrounds(art, out);
            makeMasks(art, out);
            makeTitlePictures(art, out);
            makeMakerPicture(art, out);
        }
        if (what == "all" || what == "sound") makeSounds(src + "/music", out);
        if (!kept.empty()) return compareFolders(out, kept);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorrel_assets: %s\n", e.what());
        return 1;
    }
    return 0;
}
