#include "tools/cli/cli.h"

#include <cstdio>
#include <map>
#include <new>

namespace {
struct Entry {
    const char* summary;
    CliHandler handler;
};
std::map<std::string, Entry>& table() {
    static std::map<std::string, Entry> t;
    return t;
}
void usage(FILE* to) {
    std::fprintf(to, "usage: orvalis-cli COMMAND [ARGUMENT]...\n       orvalis-cli --version\n\nCommands:\n");
    for (const auto& [name, e] : table()) std::fprintf(to, "  %-10s %s\n", name.c_str(), e.summary);
    std::fprintf(to, "\n'orvalis-cli COMMAND --help' shows a command's options; a value may follow a blank or an\n"
                     "equals sign (--name VALUE or --name=VALUE).\n");
}
}  // namespace

CliCommand::CliCommand(const char* name, const char* summary, CliHandler handler) {
    table()[name] = {summary, handler};
}

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        usage(stdout);
        return 0;
    }
    if (first == "--version" && argc > 2) {
        std::fprintf(stderr, "orvalis-cli: unexpected argument '%s'\nTry 'orvalis-cli --help'.\n", argv[2]);
        return 2;
    }
    if (first == "--version") {
        std::printf("orvalis-cli %s\n", ORVALIS_VERSION);
        return 0;
    }
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    auto it = table().find(first);
    if (it == table().end()) {
        std::fprintf(stderr, "orvalis-cli: unknown command '%s'\nTry 'orvalis-cli --help'.\n", first.c_str());
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
