#pragma once
// Runs the headless program as a user would: arguments through the shell,
// stdout and stderr together, and the exit status.

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <string>

struct CliRun {
    int status;
    std::string out;
};

inline CliRun RunCli(const std::string& args) {
    const std::string cmd = std::string(SONBEX_CLI_PATH) + " " + args + " 2>&1";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string out;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
    const int rc = pclose(pipe);
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, out};
}
