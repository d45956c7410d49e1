#pragma once
// Files for the tests: a fresh folder of their own, whole files as bytes, and what a second
// tool (Pillow, sox) prints about them.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/capability.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

// A new empty folder in the temporary directory, named for the test program and the process,
// removed again with the object.
struct TempDir {
    std::filesystem::path path;
    explicit TempDir(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& file) const { return (path / file).string(); }
};

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline std::string WriteFileBytes(const std::string& path, const std::vector<uint8_t>& b) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return path;
}

// Root reads and writes any file. For the object's life the calling thread gives up the
// capabilities that override file permissions, so it meets a locked file as its owner would,
// wherever the file lies (a foreign user could not even reach a tree under /root).
class WithoutFileRights {
public:
    WithoutFileRights() {
        if (::syscall(SYS_capget, &head_, kept_) != 0) return;
        held_ = true;
        __user_cap_data_struct less[2] = {kept_[0], kept_[1]};
        less[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH);
        ::syscall(SYS_capset, &head_, less);
    }
    ~WithoutFileRights() {
        if (held_) ::syscall(SYS_capset, &head_, kept_);
    }
    WithoutFileRights(const WithoutFileRights&) = delete;
    WithoutFileRights& operator=(const WithoutFileRights&) = delete;

private:
    __user_cap_header_struct head_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct kept_[2] = {};
    bool held_ = false;
};
// The same for a program the shell starts: put before the command.
inline const char* const kWithoutFileRights =
    "setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search";

// What a command prints on standard output.
inline std::string Output(const std::string& cmd) {
    std::string out;
    char buf[4096];
    FILE* p = popen(cmd.c_str(), "r");
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    pclose(p);
    return out;
}
