#pragma once
// Runs the headless program as a user would: arguments through the shell,
// stdout and stderr together, and the exit status.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <cstdio>
#include <string>

struct CliRun {
    int status;
    std::string out;
    long maxResidentKb = 0;  // RunCliLimited only: the peak resident set of the run
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

// The same in a child process whose address space is limited to `bytes`
// (none under AddressSanitizer, which reserves its shadow memory up front),
// with the peak resident set of the run.
inline CliRun RunCliLimited(const std::string& args, rlim_t bytes) {
    const std::string cmd = "exec " + std::string(SONBEX_CLI_PATH) + " " + args + " 2>&1";
    int fds[2];
    if (pipe(fds) != 0) return {-1, ""};
    const pid_t pid = fork();
    if (pid < 0) return {-1, ""};
    if (pid == 0) {
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_AS, &limit);
#else
        (void)bytes;
#endif
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    std::array<char, 4096> buf;
    ssize_t n;
    while ((n = read(fds[0], buf.data(), buf.size())) > 0)
        out.append(buf.data(), static_cast<std::size_t>(n));
    close(fds[0]);
    int rc = 0;
    rusage usage{};
    wait4(pid, &rc, 0, &usage);
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, out, usage.ru_maxrss};
}
