#pragma once
// A text as a depth map: the letters' shape in a font (through QtGui, no display needed),
// raised to a white plateau with bevelled edges. The same for the window and orvalis-cli.
#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* kTextDepthFont = "DejaVu Sans";

// The bevel when none is given: 1/50 of the smaller side.
inline double DefaultTextBevel(int width, int height) { return (width < height ? width : height) / 50.0; }

// `text` in bold `family`, centred and as large as fits within a twentieth of the smaller side
// from the edges, as width x height 16-bit depth (BevelledDepth: 0 outside, 65535 on the
// plateau). A QGuiApplication must exist. "" or why not.
std::string TextDepth(const std::string& text, const std::string& family, int width, int height, double bevel,
                      std::vector<uint16_t>& depth);
