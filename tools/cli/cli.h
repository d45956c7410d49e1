#pragma once
// orvalis-cli: each subcommand lives in its own cmd_*.cpp and registers itself here.
#include <string>
#include <vector>

using CliHandler = int (*)(const std::vector<std::string>& args);

struct CliCommand {
    CliCommand(const char* name, const char* usage, CliHandler handler);
};

// Reads "--name value" style options; returns false and prints to stderr on a missing value.
bool CliTakeValue(const std::vector<std::string>& args, size_t& i, std::string& out);
