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

std::filesystem::path CorpusDir() {
    if (const char* env = std::getenv("ORVALIS_CORPUS")) return env;
    return std::filesystem::path(ORVALIS_SOURCE_DIR) / ".." / "shared" / "corpus";
}

std::vector<std::string> SplitOn(const std::string& line, char sep) {
    std::vector<std::string> out;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, sep);) out.push_back(cell);
    return out;
}

std::string Trim(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

TEST(WaveCorpus, realFilesLoadOrAreRefusedWithTheirMessage) {
    const auto dir = CorpusDir();
    std::ifstream sources(dir / "SOURCES.md"), reference(dir / "reference.tsv");
    if (!sources || !reference) GTEST_SKIP() << "no corpus at " << dir;
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    std::map<std::string, std::string> dataSize;  // file -> data_size column
    for (std::string line; std::getline(reference, line);) {
        auto cells = SplitOn(line, '\t');
        if (cells.size() > 10 && cells[1] == "wav") dataSize[cells[0]] = cells[10];
    }
    int checked = 0;
    for (std::string line; std::getline(sources, line);) {
        if (line.rfind("| wav/", 0) != 0) continue;
        auto cells = SplitOn(line, '|');
        ASSERT_GE(cells.size(), 6u);
        const std::string file = Trim(cells[1]), expected = Trim(cells[5]);
        WaveState wd;
        std::string message = LoadWaveFileCore(wd, (dir / file).string(), &WaveOut::QueryFormat);
        if (expected == "load") {
            EXPECT_EQ(message, "") << file;
            EXPECT_EQ(std::to_string(wd.dwDataSize), dataSize[file]) << file;
        } else if (expected.rfind("refuse", 0) == 0) {
            EXPECT_NE(message, "") << file;
            auto q = expected.find('"');
            if (q != std::string::npos) {
                EXPECT_EQ('"' + message + '"', expected.substr(q)) << file;
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

}  // namespace
