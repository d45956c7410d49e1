#include "mandel/palette_file.h"

#include "platform/c_text.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <system_error>

namespace {

// Lines of the data, without their line feed (a carriage return before it is a blank).
std::vector<std::string_view> SplitLines(const uint8_t* data, size_t size) {
    std::vector<std::string_view> lines;
    std::string_view all(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string_view::npos) end = all.size();
        lines.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// atoi inside one line; the value wraps, which keeps its low 8 bits exact.
uint64_t ReadNumber(std::string_view t, bool* overLimit = nullptr) {
    t = SkipCSpace(t);
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    const DigitRun d = ReadDigits(t);
    if (overLimit && (d.wide || d.value > uint64_t(std::numeric_limits<int32_t>::max()))) *overLimit = true;
    return negative ? uint64_t(0) - d.value : d.value;
}

// The text after the next space, or nothing when the line has none.
std::string_view AfterSpace(std::string_view t) {
    size_t sp = t.find(' ');
    return sp == std::string_view::npos ? std::string_view() : t.substr(sp + 1);
}

int32_t ColourCount(std::string_view line) {
    bool over = false;
    const int64_t n = int64_t(ReadNumber(line, &over));
    if (over) return line.find('-') != std::string_view::npos ? 0 : std::numeric_limits<int32_t>::max();
    if (n < 1) return 0;
    return n == 255 ? 256 : int32_t(n);
}

}  // namespace

int LoadPaletteBytes(const uint8_t* data, size_t size, const std::string& filename, std::vector<uint32_t>& Kleuren,
                     int32_t& MndlMaxColors, UserMessage& msg) {
    const std::vector<std::string_view> lines = SplitLines(data, size);
    const int32_t N = lines.size() > 2 ? ColourCount(lines[2]) : 0;
    if (N < 1) {
        msg = {"Error", "No colours in palette file:" + filename};
        return 0;
    }
    if (lines.size() - 3 < size_t(N)) {
        msg = {"Error", "Fewer colours than announced in palette file:" + filename};
        return 0;
    }
    std::vector<uint32_t> colours(std::max<size_t>(size_t(N), 256), 0);
    for (int32_t k = 0; k < N; ++k) {
        std::string_view line = lines[3 + size_t(k)];
        std::string_view g = AfterSpace(line);
        std::string_view b = AfterSpace(g);
        const uint32_t red = uint32_t(ReadNumber(line) & 0xFF);
        const uint32_t green = uint32_t(ReadNumber(g) & 0xFF);
        const uint32_t blue = uint32_t(ReadNumber(b) & 0xFF);
        colours[size_t(k)] = red | green << 8 | blue << 16;
    }
    Kleuren = std::move(colours);
    if (MndlMaxColors > N) MndlMaxColors = N;
    return 1;
}

std::vector<std::filesystem::path> PaletteSearchDirs() {
    std::vector<std::filesystem::path> dirs;
    std::error_code ec;
    dirs.push_back(std::filesystem::current_path(ec));
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        dirs.push_back(exe.parent_path());
        // The data folder relative to the program, so a package or a DESTDIR copy finds it wherever it lands.
        dirs.push_back((exe.parent_path() / ORVALIS_DATA_FROM_BIN).lexically_normal());
    }
    return dirs;
}

std::string FindPaletteFile(const std::string& name, const std::vector<std::filesystem::path>& dirs) {
    std::filesystem::path p(name);
    if (name.empty() || p.is_absolute()) return name;
    for (const auto& dir : dirs) {
        if (dir.empty()) continue;
        std::error_code ec;
        std::filesystem::path candidate = dir / p;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate.string();
    }
    return name;
}
