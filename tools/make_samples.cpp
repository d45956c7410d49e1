// make_samples DIR: writes DIR/texture.bmp (128 x 128 colour noise) and DIR/depth.bmp
// (640 x 480: a dome inside a raised ring above the word ORVALIS). Depth levels 0..127 sit in
// the low 7 bits of blue, red and green 0: blue 128 is the background plane, the brightest blue
// the nearest level. Not grey, so the automatic depth mode reads it as the classic picture it is.
#include "images/bmp_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace {

Image32 Texture() {
    Image32 img(128, 128);
    std::mt19937 rng(20240611);
    for (auto& p : img.px) {
        // Saturated colours: one channel high, one low, one random, so neighbours differ strongly.
        uint32_t hi = 160 + rng() % 96, lo = rng() % 64, mid = rng() % 256;
        uint32_t c[3] = {hi, lo, mid};
        std::shuffle(c, c + 3, rng);
        p = (c[0] << 16) | (c[1] << 8) | c[2];
    }
    return img;
}

// 5 x 7 glyphs, one string of 7 rows per letter.
const char* Glyph(char ch) {
    switch (ch) {
    case 'O': return ".###.#...##...##...##...##...#.###.";
    case 'R': return "####.#...##...#####.#.#..#..#.#...#";
    case 'V': return "#...##...##...##...##...#.#.#...#..";
    case 'A': return ".###.#...##...#######...##...##...#";
    case 'L': return "#....#....#....#....#....#....#####";
    case 'I': return ".###...#....#....#....#....#...###.";
    case 'S': return ".#####....#.....###.....#....#####.";
    default: return nullptr;
    }
}

int Level(int x, int y) {
    const double cx = 320, cy = 190;
    const double r = std::hypot(x - cx, y - cy);
    int level = 0;
    if (r < 120) level = int(std::lround(110 * std::sqrt(1 - (r / 120) * (r / 120))));  // dome
    if (r >= 140 && r < 165) level = 50;                                                   // ring
    const int scale = 8, top = 372, left = 320 - (7 * 6 * scale - scale) / 2;
    const std::string word = "ORVALIS";
    int gx = (x - left) / scale, gy = (y - top) / scale;
    if (x >= left && y >= top && gy < 7 && gx < int(word.size()) * 6 && gx % 6 < 5) {
        const char* g = Glyph(word[size_t(gx / 6)]);
        if (g[gy * 5 + gx % 6] == '#') level = 80;
    }
    return level;
}

Image32 Depth() {
    Image32 img(640, 480);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            uint32_t v = 128 + uint32_t(Level(x, y));
            img.at(x, y) = v;
        }
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "samples";
    for (const auto& [name, img] : {std::pair{"texture.bmp", Texture()}, std::pair{"depth.bmp", Depth()}}) {
        const std::string path = dir + "/" + name;
        if (!WriteBmp24(path, img)) {
            std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
