#pragma once
// Runs orvalis-cli (ORVALIS_CLI, set by the test's CMake target) as a program, under a time
// limit so a hang fails rather than stops the test, and returns what it said.
#include "tests/common/test_files.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct CliRun {
    int status = -1;  // exit status; 124 after the time limit, 128 + n after signal n
    std::string out, err;
    bool operator==(const CliRun&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const CliRun& r) {
    return o << r.status << " [" << r.out << "] [" << r.err << "]";
}

// `args` goes to the shell as it is; `prefix` runs before the program (an environment, setpriv).
inline CliRun RunCli(const std::string& args, const std::string& prefix = "") {
    const std::string errPath = "/tmp/orvalis_cli_err_" + std::to_string(::getpid());
    const std::string cmd = prefix + " timeout 60 '" ORVALIS_CLI "' " + args + " 2>'" + errPath + "'";
    CliRun r;
    char buf[4096];
    FILE* p = popen(cmd.c_str(), "r");
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) r.out.append(buf, n);
    const int s = pclose(p);
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
    const std::vector<uint8_t> err = ReadFileBytes(errPath);
    r.err.assign(err.begin(), err.end());
    std::remove(errPath.c_str());
    return r;
}
