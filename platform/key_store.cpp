#include "platform/key_store.h"

#include "platform/file_writer.h"
#include "platform/whole_file.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace keystore {

std::string KeyFolder(const std::string& keyPath) {
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
    else return {};
    std::string rel = keyPath;
    const std::string prefix = "Software\\";
    if (rel.compare(0, prefix.size(), prefix) == 0) rel.erase(0, prefix.size());
    for (char& c : rel)
        if (c == '\\') c = '/';
    return base + "/" + rel;
}

bool CreateKey(const std::string& keyPath, bool* isNew) {
    std::string dir = KeyFolder(keyPath);
    if (dir.empty()) return false;
    std::error_code ec;
    bool existed = fs::is_directory(dir, ec);
    if (!existed) fs::create_directories(dir, ec);
    if (isNew) *isNew = !existed;
    return fs::is_directory(dir, ec);
}

ReadResult ReadValue(const std::string& keyPath, const std::string& name, size_t limit, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::string dir = KeyFolder(keyPath);
    if (dir.empty()) return ReadResult::Missing;
    const WholeFile file = ReadWholeFile(dir + "/" + name, 0, limit);
    if (file.fault == FileFault::Open && (file.error == ENOENT || file.error == ENOTDIR)) return ReadResult::Missing;
    if (!file) return ReadResult::Failed;
    bytes.assign(file.data(), file.data() + file.size);
    return ReadResult::Read;
}

void RemoveStaleTemporaries(const std::string& keyPath, const std::string& name) {
    const std::string dir = KeyFolder(keyPath);
    const std::string prefix = name + ".tmp.";
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.size() <= prefix.size() || file.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string digits = file.substr(prefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = pid_t(std::stol(digits));
        // A live process other than this one may be saving right now.
        if (pid != ::getpid() && pid > 0 && !(::kill(pid, 0) != 0 && errno == ESRCH)) continue;
        std::error_code ignored;
        fs::remove(it->path(), ignored);
    }
}

bool WriteValue(const std::string& keyPath, const std::string& name, const uint8_t* data, size_t size) {
    const std::string dir = KeyFolder(keyPath);
    if (dir.empty()) return false;
    const std::string target = dir + "/" + name;
    // The temporary name, needed only for a moment or where the file system has no unnamed
    // files, carries the process so that a later start can tell a killed save's leftover.
    return WriteFileAtomically(target, data, size, target + ".tmp." + std::to_string(::getpid())).empty();
}

}  // namespace keystore
