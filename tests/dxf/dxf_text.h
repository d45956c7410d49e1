#pragma once
// DXF text for the tests, written line by line.
#include <algorithm>
#include <sstream>
#include <string>

// DXF text from its lines, given here separated by blanks.
inline std::string D(std::string lines) {
    std::replace(lines.begin(), lines.end(), ' ', '\n');
    return lines + "\n";
}

inline std::string Section(const std::string& kind, const std::string& body) {
    return D("0 SECTION 2 " + kind) + body + D("0 ENDSEC");
}

inline const std::string kEof = D("0 EOF");

inline std::string Entities(const std::string& body) { return Section("ENTITIES", body) + kEof; }

inline std::string Face3D(const std::string& corners) {  // x y z of each of four corners
    std::istringstream in(corners);
    std::string out = D("0 3DFACE 8 0");
    std::string v;
    for (int i = 0; in >> v; ++i) out += D(std::to_string(10 * (1 + i % 3) + i / 3) + " " + v);
    return out;
}
