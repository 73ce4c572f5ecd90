#pragma once
// Why a file could not be opened, in words a message can carry on its second
// line: the first line keeps the message the program always showed ("Couldn't
// open this file !"), the second names the file and the reason
// ("/home/u/a.sxf: damaged at byte 1184 (record count 1073741824)").
//
// The frame looks at a file before any reader sees it (ProbeReadable); readers
// that find the content wrong report where (FileProblem::Damaged with the byte
// offset) or that the content is no file of theirs (FileProblem::NotKnown).
// Pure functions: safe from any thread.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace sonbex::shell {

enum class FileProblem : std::uint8_t {
    None,
    NotFound,     // no such file (or a dangling link)
    NotAFile,     // a folder, a device, a pipe
    NotReadable,  // it exists but cannot be read (permissions, I/O error)
    NotKnown,     // no file this program knows (extension or content)
    Damaged,      // a file of a known kind whose content is wrong at `offset`
    NotBuilt,     // the part of the program that opens it is not built yet
    Other,        // `detail` says it all
};

struct FileFailure {
    FileProblem problem = FileProblem::None;
    std::uint64_t offset = 0;  // Damaged: the first byte that does not fit
    std::string detail;        // the system's words, what is wrong at `offset`, what is missing
    bool operator==(const FileFailure&) const = default;
};

// What a document that could not load a file leaves the frame to show: the
// message its kind always showed ("Couldn't open this file !", "Wrong file
// format !") and why.
struct LoadFailure {
    std::string message;
    FileFailure failure;
};

inline FileFailure DamagedAt(std::uint64_t offset, std::string detail = {}) {
    return {FileProblem::Damaged, offset, std::move(detail)};
}

// Whether `path` is a file that can be read: None when it is; otherwise what
// stops it. Reads at most one byte.
FileFailure ProbeReadable(const std::filesystem::path& path);

// "not found", "not readable (Permission denied)", "damaged at byte 12 (...)".
std::string ReasonText(const FileFailure& failure);

// `message` (trailing line breaks dropped), a line break, then "PATH: reason".
std::string MessageNamingFile(std::string_view message, std::string_view path, const FileFailure& failure);

}  // namespace sonbex::shell
