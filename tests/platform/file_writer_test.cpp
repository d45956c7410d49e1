#include "platform/file_writer.h"
#include "tests/common/test_files.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A replaced file keeps its mode and owner, a link keeps pointing at the file it names, and
// neither a writer killed halfway nor a write past the file size limit leaves a stray file.
TEST(OutputFile, ReplacesTheFileWholeAsItWasOrNotAtAll) {
    namespace fs = std::filesystem;
    const TempDir dir("orvalis-out");
    const std::vector<uint8_t> old = {'o', 'l', 'd'}, big(1 << 20, 'x');
    WriteFileBytes(dir / "f", old);
    ::chmod((dir / "f").c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) ::chown((dir / "f").c_str(), 65534, 65534);
    fs::create_directory(dir / "sub");
    fs::create_symlink("../f", dir / "sub/link");
    ASSERT_EQ(WriteFileAtomically(dir / "sub/link", big.data(), 5), "");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::make_pair(st.st_uid, st.st_gid), root ? std::make_pair(65534u, 65534u) : std::make_pair(::getuid(), ::getgid()));
    EXPECT_TRUE(fs::is_symlink(dir / "sub/link"));
    EXPECT_EQ(ReadFileBytes(dir / "f"), std::vector<uint8_t>(5, 'x'));
    WriteFileBytes(dir / "f", old);
    // Killed halfway; and stopped by the file size limit, with the system's reason.
    for (int kill : {1, 0}) {
        const pid_t child = ::fork();
        if (child == 0) {
            const rlimit limit{1 << 16, 1 << 16};
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            OutputFile file;
            if (kill && file.open(dir / "f") && ::write(file.fd(), big.data(), 4096) == 4096) ::raise(SIGKILL);
            ::_exit(WriteFileAtomically(dir / "f", big.data(), big.size()) == std::strerror(EFBIG) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(status, kill ? SIGKILL : 0) << kill;
        EXPECT_EQ(ReadFileBytes(dir / "f"), old) << kill;
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"f", "sub"})) << kill;
    }
}

}  // namespace
