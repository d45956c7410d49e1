// Real WAV files from other projects' test suites (kept outside the repository, beside
// it): each loads, or is refused with the message its row names, and loaded ones hold
// the data size another tool measured.
#include "wave/wav_loader.h"
#include "wave/wave_out.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

std::vector<std::string> Cells(const std::string& line, char sep) {
    std::vector<std::string> out;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, sep);) {
        cell.erase(0, cell.find_first_not_of(' '));
        out.push_back(cell.erase(cell.find_last_not_of(' ') + 1));
    }
    return out;
}

TEST(WaveCorpus, realFilesLoadOrAreRefusedWithTheirMessage) {
    const char* env = std::getenv("ORVALIS_CORPUS");
    const auto dir = env ? std::filesystem::path(env) : std::filesystem::path(ORVALIS_SOURCE_DIR) / ".." / "shared" / "corpus";
    std::ifstream sources(dir / "SOURCES.md"), reference(dir / "reference.tsv");
    if (!sources || !reference) GTEST_SKIP() << "no corpus at " << dir;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::map<std::string, std::string> dataSize;  // file -> data_size column
    for (std::string line; std::getline(reference, line);)
        if (auto c = Cells(line, '\t'); c.size() > 10 && c[1] == "wav") dataSize[c[0]] = c[10];
    int checked = 0;
    for (std::string line; std::getline(sources, line);) {
        if (line.rfind("| wav/", 0) != 0) continue;
        auto cells = Cells(line, '|');
        ASSERT_GE(cells.size(), 6u);
        const std::string& file = cells[1], &expected = cells[5];
        WaveState wd;
        const std::string message = LoadWaveFileCore(wd, (dir / file).string(), &WaveOut::QueryFormat);
        if (expected == "load") {
            EXPECT_EQ(message, "") << file;
            EXPECT_EQ(std::to_string(wd.dwDataSize), dataSize[file]) << file;
        } else if (expected.rfind("refuse", 0) == 0) {
            EXPECT_NE(message, "") << file;
            if (auto q = expected.find('"'); q != std::string::npos) { EXPECT_EQ('"' + message + '"', expected.substr(q)) << file; }
        }
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

}  // namespace
