#pragma once
// Depth frames for the animation tests: a white 40 x 40 square moving 12 pixels right a frame
// over black, 200 x 100 (wider than the dots' repeat, which a smaller frame would not hold).
#include "images/bmp_writer.h"

#include <cstdio>
#include <filesystem>
#include <string>

// Writes d0000.bmp, d0001.bmp ... into `dir`; the frames' pattern, or "" when one cannot be written.
inline std::string WriteSquareFrames(const std::filesystem::path& dir, int count) {
    for (int i = 0; i < count; ++i) {
        Image32 d(200, 100);
        for (int y = 30; y < 70; ++y)
            for (int x = 40 + 12 * i; x < 80 + 12 * i; ++x) d.at(x, y) = 0xFFFFFF;
        char name[16];
        std::snprintf(name, sizeof name, "d%04d.bmp", i);
        if (!WriteBmp24((dir / name).string(), d)) return "";
    }
    return (dir / "d%04d.bmp").string();
}
