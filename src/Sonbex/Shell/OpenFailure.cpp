#include "Sonbex/Shell/OpenFailure.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace sonbex::shell {
namespace fs = std::filesystem;

namespace {

std::string SystemWords(int error) { return std::generic_category().message(error); }

std::string WithDetail(std::string text, const std::string& detail) {
    if (!detail.empty()) text += " (" + detail + ")";
    return text;
}

}  // namespace

FileFailure ProbeReadable(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found || path.empty()) return {FileProblem::NotFound, 0, {}};
    if (ec) return {FileProblem::NotReadable, 0, SystemWords(ec.value())};
    if (status.type() == fs::file_type::directory) return {FileProblem::NotAFile, 0, "a folder"};
    if (status.type() != fs::file_type::regular) return {FileProblem::NotAFile, 0, "not a regular file"};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {FileProblem::NotReadable, 0, SystemWords(errno)};
    char byte = 0;
    ssize_t got = 0;
    do {
        got = ::read(fd, &byte, 1);
    } while (got < 0 && errno == EINTR);
    const int readError = got < 0 ? errno : 0;
    ::close(fd);
    if (readError != 0) return {FileProblem::NotReadable, 0, SystemWords(readError)};
    return {};
}

std::string ReasonText(const FileFailure& f) {
    switch (f.problem) {
        case FileProblem::None:
            return "no problem";
        case FileProblem::NotFound:
            return WithDetail("not found", f.detail);
        case FileProblem::NotAFile:
            return WithDetail("not a file", f.detail);
        case FileProblem::NotReadable:
            return WithDetail("not readable", f.detail);
        case FileProblem::NotKnown:
            return WithDetail("not a file this program knows", f.detail);
        case FileProblem::Damaged:
            return WithDetail("damaged at byte " + std::to_string(f.offset), f.detail);
        case FileProblem::NotBuilt:
            return f.detail.empty() ? std::string("the part of the program that opens it is not built yet")
                                    : f.detail;
        case FileProblem::Other:
            return f.detail.empty() ? std::string("could not be opened") : f.detail;
    }
    return {};
}

std::string MessageNamingFile(std::string_view message, std::string_view path, const FileFailure& failure) {
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.remove_suffix(1);
    std::string out(message);
    out += '\n';
    out += path;
    out += ": ";
    out += ReasonText(failure);
    return out;
}

}  // namespace sonbex::shell
