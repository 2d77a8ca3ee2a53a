// Sound: a tiny synthesiser for the four effects, and a player of the note
// files in music/ whose output is encoded as Ogg Vorbis.
#include "Generators.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

const double kPi = 3.14159265358979;
const int kRate = 22050;

// Headroom. SDL_mixer adds the music and every playing effect at full
// volume (128 for both unless the player lowers the music) and clips the
// sum, so the music peaks at kMusicPeak and the loudest effect at
// kEffectPeak: one effect over the loudest moment of any music stays
// clearly below full scale, with room left for the Vorbis coder, whose
// decoded peaks run a few per cent over the source.
const double kMusicPeak = 0.42;
const double kEffectPeak = 0.45;

// The two channels of the music.
struct Stereo {
    std::vector<float> left, right;
};

// Deterministic white noise in [-1, 1).
struct Noise {
    uint32_t s = 0x1234567u;
    double next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return (s & 0xFFFFFF) / double(0x800000) - 1.0;
    }
};

double envelope(double t, double attack, double decay, double sustain, double length, double release)
{
    double v;
    if (t < attack) v = t / attack;
    else if (t < attack + decay) v = 1 - (1 - sustain) * (t - attack) / decay;
    else v = sustain;
    if (t > length) v *= std::max(0.0, 1 - (t - length) / release);
    return v;
}

void normalise(std::vector<float>& s, double peak)
{
    double m = 1e-9;
    for (float v : s) m = std::max(m, double(std::fabs(v)));
    for (float& v : s) v = float(v * peak / m);
}

// A first-order high-pass well below hearing (about 10 Hz): takes out the
// offset an uneven wave or an envelope leaves, which would otherwise eat
// headroom and click when a sound starts or stops. A loop is filtered twice
// round so the filter has settled where the file starts again.
void removeDc(std::vector<float>& s, bool loop)
{
    const double r = 1 - 2 * kPi * 10 / kRate;
    double x1 = 0, y1 = 0;
    for (int pass = loop ? 2 : 1; pass > 0; --pass)
        for (float& v : s) {
            double y = v - x1 + r * y1;
            x1 = v;
            y1 = y;
            if (pass == 1) v = float(y);
        }
}

void writeWav(const std::vector<float>& s, const std::string& path)
{
    std::ofstream f(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { f.put(char(v)), f.put(char(v >> 8)), f.put(char(v >> 16)), f.put(char(v >> 24)); };
    auto u16 = [&](uint16_t v) { f.put(char(v)), f.put(char(v >> 8)); };
    uint32_t bytes = uint32_t(s.size() * 2);
    f.write("RIFF", 4);
    u32(36 + bytes);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);   // PCM
    u16(1);   // mono
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    f.write("data", 4);
    u32(bytes);
    for (float v : s) u16(uint16_t(int16_t(std::lround(std::max(-1.0f, std::min(1.0f, v)) * 32767))));
    if (!f) throw std::runtime_error("cannot write " + path);
}

void writeOgg(const Stereo& s, const std::string& path, float quality)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, kRate, quality) != 0) throw std::runtime_error("vorbis setup failed");
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", path.substr(path.find_last_of('/') + 1).c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x566f72);   // a fixed serial keeps the bytes reproducible
    ogg_packet h, hc, hcode;
    vorbis_analysis_headerout(&vd, &vc, &h, &hc, &hcode);
    ogg_stream_packetin(&os, &h);
    ogg_stream_packetin(&os, &hc);
    ogg_stream_packetin(&os, &hcode);
    ogg_page og;
    while (ogg_stream_flush(&os, &og)) {
        std::fwrite(og.header, 1, og.header_len, f);
        std::fwrite(og.body, 1, og.body_len, f);
    }
    size_t pos = 0;
    bool eos = false;
    while (!eos) {
        size_t n = std::min<size_t>(1024, s.left.size() - pos);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, int(n));
            std::memcpy(buf[0], s.left.data() + pos, n * sizeof(float));
            std::memcpy(buf[1], s.right.data() + pos, n * sizeof(float));
            vorbis_analysis_wrote(&vd, int(n));
            pos += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (!eos && ogg_stream_pageout(&os, &og)) {
                    std::fwrite(og.header, 1, og.header_len, f);
                    std::fwrite(og.body, 1, og.body_len, f);
                    if (ogg_page_eos(&og)) eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    if (std::fclose(f) != 0) throw std::runtime_error("cannot write " + path);
}

// ---------------------------------------------------------------- effects

std::vector<float> treasureChime()
{
    // a quick rising arpeggio of bell tones
    std::vector<float> s(size_t(kRate * 0.7), 0.0f);
    const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};
    for (int n = 0; n < 4; ++n) {
        size_t start = size_t(kRate * 0.06 * n);
        for (size_t i = start; i < s.size(); ++i) {
            double t = double(i - start) / kRate;
            double f = notes[n];
            double v = std::sin(2 * kPi * f * t + 1.5 * std::sin(2 * kPi * f * 2 * t) * std::exp(-t * 8));
            s[i] += float(v * std::exp(-t * 7) * 0.3);
        }
    }
    removeDc(s, false);
    normalise(s, kEffectPeak * 0.78);
    return s;
}

std::vector<float> explosion()
{
    std::vector<float> s(size_t(kRate * 1.3), 0.0f);
    Noise noise;
    double lp = 0, lp2 = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = double(i) / kRate;
        double cutoff = 0.02 + 0.5 * std::exp(-t * 6);   // the roar darkens as it dies
        lp += (noise.next() - lp) * cutoff;
        lp2 += (lp - lp2) * cutoff;
        double boom = std::sin(2 * kPi * (55 * t + 60 * (1 - std::exp(-t * 10)) / 10)) * std::exp(-t * 5);
        double crack = t < 0.03 ? noise.next() * (1 - t / 0.03) : 0;
        s[i] = float((lp2 * 4.0 * std::exp(-t * 2.2) + boom * 1.0 + crack * 0.25));
    }
    removeDc(s, false);
    normalise(s, kEffectPeak);
    return s;
}

std::vector<float> pushScrape()
{
    // a wooden scrape: band-limited noise with a grainy tremolo and a thud
    std::vector<float> s(size_t(kRate * 0.38), 0.0f);
    Noise noise;
    double lp = 0, hp = 0, prev = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = double(i) / kRate;
        lp += (noise.next() - lp) * 0.09;
        hp = lp - prev;
        prev = lp;
        double grain = 0.6 + 0.4 * std::sin(2 * kPi * 38 * t);
        double env = std::min(1.0, t / 0.02) * std::exp(-t * 6);
        double thud = std::sin(2 * kPi * 90 * t) * std::exp(-t * 30);
        s[i] = float((lp * 1.2 + hp * 1.0) * grain * env + thud * 0.5);
    }
    removeDc(s, false);
    normalise(s, kEffectPeak * 0.67);
    return s;
}

std::vector<float> exitFanfare()
{
    // three rising notes and a held chord, pulse-wave brass
    std::vector<float> s(size_t(kRate * 1.2), 0.0f);
    struct N {
        double start, len, f;
    };
    const N notes[] = {{0.00, 0.12, 523.3}, {0.12, 0.12, 659.3}, {0.24, 0.12, 784.0},
                       {0.36, 0.70, 1046.5}, {0.36, 0.70, 784.0}, {0.36, 0.70, 659.3}};
    for (const N& n : notes) {
        size_t a = size_t(n.start * kRate);
        for (size_t i = a; i < s.size(); ++i) {
            double t = double(i - a) / kRate;
            double ph = std::fmod(n.f * t * (1 + 0.004 * std::sin(2 * kPi * 5 * t)), 1.0);
            // the pulse is high for 30 % of a cycle: 1.4 and -0.6 average to zero
            double v = (ph < 0.3 ? 1.4 : -0.6) * 0.5 + std::sin(2 * kPi * n.f * t) * 0.5;
            s[i] += float(v * envelope(t, 0.01, 0.08, 0.6, n.len, 0.15) * 0.25);
        }
    }
    removeDc(s, false);
    normalise(s, kEffectPeak * 0.78);
    return s;
}

// ------------------------------------------------------------------ music

struct Voice {
    std::string wave;
    double volume = 0.2;
    double pan = 0;   // -1 left .. 1 right
};


struct Event {
    std::string voice;
    double start, length;   // in steps
    std::vector<double> freq;
    char drum = 0;
};

double pitchOf(const std::string& tok, const std::string& where)
{
    static const int semis[] = {9, 11, 0, 2, 4, 5, 7};   // a b c d e f g
    if (tok.empty() || tok[0] < 'a' || tok[0] > 'g') throw std::runtime_error(where + ": bad note '" + tok + "'");
    int semi = semis[tok[0] - 'a'];
    size_t i = 1;
    if (i < tok.size() && tok[i] == '#') ++semi, ++i;
    else if (i < tok.size() && tok[i] == 'b') --semi, ++i;
    if (i >= tok.size() || !std::isdigit(static_cast<unsigned char>(tok[i])))
        throw std::runtime_error(where + ": note without octave '" + tok + "'");
    int octave = tok[i] - '0';
    int midi = 12 * (octave + 1) + semi;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

struct Song {
    double tempo = 120;   // quarter notes per minute
    int stepsPerQuarter = 2;
    std::map<std::string, Voice> voices;
    std::vector<Event> events;
    double lengthSteps = 0;
};

// Reads a note file (the format is described at the top of each file in
// music/).
Song readSong(const std::string& path)
{
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    Song song;
    std::map<std::string, std::vector<Event>> patterns;
    std::map<std::string, double> patternLength;
    std::string line, current;
    std::map<std::string, double> cursor;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string where = path + ":" + std::to_string(number);
        size_t hash = line.find('#');
        if (hash != std::string::npos) {
            // '#' starts a comment unless it is a sharp right after a note letter
            size_t p = 0;
            while ((p = line.find('#', p)) != std::string::npos) {
                if (p > 0 && line[p - 1] >= 'a' && line[p - 1] <= 'g') {
                    ++p;
                    continue;
                }
                line.erase(p);
                break;
            }
        }
        std::istringstream words(line);
        std::string word;
        if (!(words >> word)) continue;
        if (word == "tempo") {
            words >> song.tempo;
        } else if (word == "steps") {
            words >> song.stepsPerQuarter;
        } else if (word == "voice") {
            std::string name;
            Voice v;
            if (!(words >> name >> v.wave >> v.volume)) throw std::runtime_error(where + ": voice NAME WAVE VOLUME [PAN]");
            if (!(words >> v.pan)) v.pan = 0;
            if (v.pan < -1 || v.pan > 1) throw std::runtime_error(where + ": the pan is from -1 to 1");
            song.voices[name] = v;
        } else if (word == "pattern") {
            words >> current;
            patterns[current].clear();
            cursor.clear();
            patternLength[current] = 0;
        } else if (word == "end") {
            current.clear();
        } else if (word == "song") {
            std::string name;
            while (words >> name) {
                if (!patterns.count(name)) throw std::runtime_error(where + ": no pattern " + name);
                for (Event e : patterns[name]) {
                    e.start += song.lengthSteps;
                    song.events.push_back(e);
                }
                song.lengthSteps += patternLength[name];
            }
        } else if (word.back() == ':' && !current.empty()) {
            std::string voice = word.substr(0, word.size() - 1);
            if (!song.voices.count(voice)) throw std::runtime_error(where + ": no voice " + voice);
            bool drums = song.voices[voice].wave == "drums";
            std::string tok;
            while (words >> tok) {
                double len = 1;
                size_t star = tok.find('*');
                if (star != std::string::npos) {
                    len = std::atof(tok.c_str() + star + 1);
                    tok = tok.substr(0, star);
                }
                if (tok != ".") {
                    Event e;
                    e.voice = voice;
                    e.start = cursor[voice];
                    e.length = len;
                    if (drums) {
                        if (tok.size() != 1 || std::string("ksh").find(tok[0]) == std::string::npos)
                            throw std::runtime_error(where + ": drums are k, s or h, not '" + tok + "'");
                        e.drum = tok[0];
                    } else {
                        std::istringstream chord(tok);
                        std::string note;
                        while (std::getline(chord, note, '+')) e.freq.push_back(pitchOf(note, where));
                    }
                    patterns[current].push_back(e);
                }
                cursor[voice] += len;
                patternLength[current] = std::max(patternLength[current], cursor[voice]);
            }
        } else {
            throw std::runtime_error(where + ": unexpected '" + word + "'");
        }
    }
    if (song.lengthSteps <= 0) throw std::runtime_error(path + ": no song line");
    return song;
}

double wave(const std::string& w, double phase)
{
    double ph = phase - std::floor(phase);
    if (w == "pulse") return ph < 0.25 ? 1.2 : -0.4;   // a quarter high, averaging zero
    if (w == "square") return ph < 0.5 ? 0.6 : -0.6;
    if (w == "triangle") return ph < 0.5 ? 4 * ph - 1 : 3 - 4 * ph;
    if (w == "saw") return 2 * ph - 1;
    return std::sin(2 * kPi * ph);   // "sine" and "bell"
}

// Renders the song as one loop: sound that rings past the end is folded
// back onto the start, so playing the file over and over has no seam.
Stereo render(const Song& song)
{
    double stepSeconds = 60.0 / song.tempo / song.stepsPerQuarter;
    size_t total = size_t(std::lround(song.lengthSteps * stepSeconds * kRate));
    Stereo out{std::vector<float>(total, 0.0f), std::vector<float>(total, 0.0f)};
    Noise noise;
    for (const Event& e : song.events) {
        const Voice& v = song.voices.at(e.voice);
        // constant power: a voice panned aside is as loud as in the middle
        const double angle = (v.pan + 1) * kPi / 4;
        const float toLeft = float(v.volume * std::cos(angle) * std::sqrt(2.0));
        const float toRight = float(v.volume * std::sin(angle) * std::sqrt(2.0));
        auto add = [&](size_t at, double x) {
            out.left[at % total] += float(x) * toLeft;
            out.right[at % total] += float(x) * toRight;
        };
        size_t start = size_t(std::lround(e.start * stepSeconds * kRate));
        double len = e.length * stepSeconds;
        if (e.drum) {
            double dur = e.drum == 'k' ? 0.25 : e.drum == 's' ? 0.18 : 0.05;
            size_t n = size_t(dur * kRate);
            double lp = 0;
            for (size_t i = 0; i < n; ++i) {
                double t = double(i) / kRate, x = 0;
                if (e.drum == 'k') x = std::sin(2 * kPi * (45 * t + 90 * (1 - std::exp(-t * 30)) / 30)) * std::exp(-t * 14);
                else if (e.drum == 's') {
                    lp += (noise.next() - lp) * 0.5;
                    x = (lp * 0.8 + std::sin(2 * kPi * 190 * t) * 0.4) * std::exp(-t * 22);
                } else {
                    double nz = noise.next();
                    x = (nz - lp) * std::exp(-t * 70) * 0.6;
                    lp = nz;
                }
                add(start + i, x);
            }
            continue;
        }
        bool bell = v.wave == "bell";
        double attack = bell ? 0.003 : v.wave == "saw" ? 0.08 : 0.01;
        double release = bell ? 0.6 : v.wave == "saw" ? 0.3 : 0.08;
        double decay = bell ? 0.4 : 0.12, sustain = bell ? 0.25 : 0.7;
        size_t n = size_t((len + release) * kRate);
        for (double f : e.freq) {
            double lp = 0;
            for (size_t i = 0; i < n; ++i) {
                double t = double(i) / kRate;
                double vib = 1 + 0.003 * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t * 4);
                double x;
                if (bell) x = std::sin(2 * kPi * f * t + 2 * std::exp(-t * 6) * std::sin(2 * kPi * f * 3.5 * t));
                else x = wave(v.wave, f * t * vib);
                if (v.wave == "saw") {   // soften the pad
                    lp += (x - lp) * 0.12;
                    x = lp;
                }
                x *= envelope(t, attack, decay, sustain, len, release);
                add(start + i, x);
            }
        }
    }
    // gentle saturation keeps chords from clipping
    for (std::vector<float>* channel : {&out.left, &out.right}) {
        for (float& x : *channel) x = float(std::tanh(x * 1.2) / 1.2);
        removeDc(*channel, true);
    }
    // both channels by one factor, so the image stays where the pans put it
    double peak = 1e-9;
    for (const std::vector<float>* channel : {&out.left, &out.right})
        for (float x : *channel) peak = std::max(peak, double(std::fabs(x)));
    for (std::vector<float>* channel : {&out.left, &out.right})
        for (float& x : *channel) x = float(x * kMusicPeak / peak);
    return out;
}

} // namespace

void makeSounds(const std::string& musicDir, const std::string& out)
{
    writeWav(treasureChime(), out + "/zik/treasure.wav");
    writeWav(explosion(), out + "/zik/explosion.wav");
    writeWav(pushScrape(), out + "/zik/push.wav");
    writeWav(exitFanfare(), out + "/zik/exit.wav");
    writeOgg(render(readSong(musicDir + "/level.txt")), out + "/zik/level.ogg", 0.1f);
    writeOgg(render(readSong(musicDir + "/title.txt")), out + "/zik/title.ogg", 0.1f);
}
