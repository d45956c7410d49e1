#include "platform/key_store.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

std::optional<std::vector<uint8_t>> ReadValue(const std::string& keyPath, const std::string& name) {
    std::string dir = KeyFolder(keyPath);
    if (dir.empty()) return std::nullopt;
    std::ifstream in(dir + "/" + name, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool WriteValue(const std::string& keyPath, const std::string& name, const uint8_t* data, size_t size) {
    std::string dir = KeyFolder(keyPath);
    if (dir.empty()) return false;
    std::string target = dir + "/" + name;
    std::string tmp = target + ".tmp." + std::to_string(::getpid());
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    ok = std::fflush(f) == 0 && ok;
    ok = ::fsync(::fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) fs::rename(tmp, target, ec);
    if (!ok || ec) {
        fs::remove(tmp, ec);
        return false;
    }
    return true;
}

}  // namespace keystore
