#include "YLib/YFile.h"

YFile::~YFile() { Close(); }

bool YFile::Open(const std::filesystem::path& path, bool write) {
    return write ? file_.OpenWrite(path) : file_.OpenRead(path);
}

bool YFile::Close() { return file_.Commit(); }

void YFile::Abandon() { file_.Abandon(); }

std::size_t YFile::Read(void* ptr, std::size_t itemSize, std::size_t count) {
    return file_.Read(ptr, itemSize, count);
}

std::size_t YFile::Write(const void* ptr, std::size_t itemSize, std::size_t count) {
    return file_.Write(ptr, itemSize, count);
}

bool YFile::ReadLine(std::string& line) {
    line.clear();
    if (!file_.IsReading()) return false;
    int c = file_.GetChar();
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = file_.GetChar()) line.push_back(char(c));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool YFile::WriteText(std::string_view text) {
    return file_.IsWriting() && (text.empty() || file_.Write(text.data(), 1, text.size()) == text.size());
}

bool YFile::Flush() { return file_.Flush(); }
