// Compares a freshly generated data folder with the committed one by
// content rather than bytes: pictures pixel for pixel, WAV samples and
// decoded Ogg music within a rounding step, text exactly. Byte comparison
// would fail on a machine whose zlib or libvorbis packs the same content
// differently.
#include "Generators.h"

#include <png.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

bool readPng(const std::string& path, int& w, int& h, std::vector<uint8_t>& rgb)
{
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
    img.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(img));
    w = int(img.width);
    h = int(img.height);
    bool ok = png_image_finish_read(&img, nullptr, rgb.data(), 0, nullptr) != 0;
    png_image_free(&img);
    return ok;
}

std::string bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool readOgg(const std::string& path, std::vector<int16_t>& pcm)
{
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return false;
    char buf[8192];
    int section;
    long n;
    while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) {
        size_t at = pcm.size();
        pcm.resize(at + size_t(n) / 2);
        std::memcpy(pcm.data() + at, buf, size_t(n));
    }
    ov_clear(&vf);
    return n == 0;
}

// Same length, and the difference is tiny next to the signal.
bool closeSignals(const std::vector<int16_t>& a, const std::vector<int16_t>& b, double maxStep)
{
    if (a.size() != b.size()) return false;
    double err = 0, sig = 1;
    for (size_t i = 0; i < a.size(); ++i) {
        double d = double(a[i]) - b[i];
        if (std::fabs(d) > maxStep) return false;
        err += d * d;
        sig += double(a[i]) * a[i];
    }
    return err / sig < 1e-4;
}

std::string compareOne(const std::string& made, const std::string& kept, const std::string& name)
{
    std::string ext = name.substr(name.find_last_of('.') + 1);
    if (ext == "png") {
        int w1, h1, w2, h2;
        std::vector<uint8_t> a, b;
        if (!readPng(made, w1, h1, a)) return "cannot read the new " + name;
        if (!readPng(kept, w2, h2, b)) return "cannot read the committed " + name;
        if (w1 != w2 || h1 != h2 || a != b) return name + ": pixels differ";
        return "";
    }
    if (ext == "wav") {
        std::string a = bytes(made), b = bytes(kept);
        if (a.size() != b.size() || a.size() < 44 || a.compare(0, 44, b, 0, 44) != 0) return name + ": format or length differ";
        std::vector<int16_t> sa((a.size() - 44) / 2), sb((b.size() - 44) / 2);
        std::memcpy(sa.data(), a.data() + 44, sa.size() * 2);
        std::memcpy(sb.data(), b.data() + 44, sb.size() * 2);
        return closeSignals(sa, sb, 2) ? "" : name + ": samples differ";
    }
    if (ext == "ogg") {
        if (bytes(made) == bytes(kept)) return "";
        std::vector<int16_t> a, b;
        if (!readOgg(made, a) || !readOgg(kept, b)) return name + ": cannot decode";
        return closeSignals(a, b, 64) ? "" : name + ": music differs";
    }
    return bytes(made) == bytes(kept) ? "" : name + ": contents differ";
}

void listFiles(const std::string& root, const std::string& sub, std::vector<std::string>& out)
{
    DIR* d = opendir((root + "/" + sub).c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        std::string rel = sub.empty() ? n : sub + "/" + n;
        if (e->d_type == DT_DIR) listFiles(root, rel, out);
        else out.push_back(rel);
    }
    closedir(d);
}

} // namespace

int compareFolders(const std::string& made, const std::string& kept)
{
    std::vector<std::string> files;
    listFiles(made, "", files);
    int bad = 0;
    for (const std::string& f : files) {
        std::string why = compareOne(made + "/" + f, kept + "/" + f, f);
        if (!why.empty()) {
            std::fprintf(stderr, "%s (run the assets target to regenerate)\n", why.c_str());
            ++bad;
        }
    }
    std::printf("%zu generated files compared, %d differ\n", files.size(), bad);
    return files.empty() || bad ? 1 : 0;
}
