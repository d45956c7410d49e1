#include "tools/cli/cli.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <new>

namespace {
struct Entry {
    const char* usage;
    CliHandler handler;
};
std::map<std::string, Entry>& table() {
    static std::map<std::string, Entry> t;
    return t;
}
void usage() {
    std::fprintf(stderr, "usage: orvalis-cli COMMAND ...\n");
    for (const auto& [name, e] : table()) std::fprintf(stderr, "  orvalis-cli %s %s\n", name.c_str(), e.usage);
}
}  // namespace

CliCommand::CliCommand(const char* name, const char* usage, CliHandler handler) {
    table()[name] = {usage, handler};
}

bool CliTakeValue(const std::vector<std::string>& args, size_t& i, std::string& out) {
    if (i + 1 >= args.size()) {
        std::fprintf(stderr, "orvalis-cli: %s needs a value\n", args[i].c_str());
        return false;
    }
    out = args[++i];
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        usage();
        return argc < 2 ? 2 : 0;
    }
    auto it = table().find(argv[1]);
    if (it == table().end()) {
        std::fprintf(stderr, "orvalis-cli: unknown command %s\n", argv[1]);
        usage();
        return 2;
    }
    // The commands report the allocations of a picture's size themselves; this catches the rest.
    try {
        return it->second.handler(std::vector<std::string>(argv + 2, argv + argc));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "orvalis-cli: not enough memory\n");
        return 1;
    }
}
