#pragma once
// Text helpers of the import and export code. Numbers are formatted with C
// locale semantics whatever the process locale. Blanks are the characters
// with codes 1 to 32. All functions are pure and safe from any thread.

#include <filesystem>
#include <string>
#include <string_view>

// "%.*f" of x.
std::string FormatFixed(double x, int precision);

// "%.*f"; with trim and a '.' present, trailing '0's and then a trailing '.'
// are removed.
std::string FormatTrimmed(double x, int precision, bool trim);

// The decimals of a frequency in sweep tables and exports: 6 below 1, 5 below
// 10, 4 below 100, 3 below 1000, 2 below 10000, 1 below 100000, else 0.
int FrequencyPrecision(double x);
// "%.*f" of x with FrequencyPrecision(x) decimals.
std::string FormatFrequency(double x);

// "% .4f" (signedColumn) or "%.4f", padded on the right with spaces to 9
// characters.
std::string FormatColumn(double x, bool signedColumn = true);

// With at least two separators ('\' or '/') in path: the text up to and
// including the first one, "...", then the text from the last one (with
// keepParent, the last but one) to the end; otherwise path unchanged.
std::string ShortenPath(std::string_view path, bool keepParent);

// A path stored by the Windows program ("C:\dir\file.sxf", "dir\file.sxf")
// as a path of this system: every '\' becomes '/'.
std::filesystem::path PathFromStored(std::string_view stored);

// Creates the directory (and its parents) when it does not exist; true when it
// exists afterwards.
bool EnsureDirectory(const std::filesystem::path& path);

// Fixed 8-bit text of stored records (Windows-1252) as UTF-8. Bytes below
// 0x80 pass unchanged; 0x80-0x9F map through the Windows-1252 table; the five
// bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+FFFD, the
// replacement character, so the output is always valid UTF-8; 0xA0-0xFF are
// U+00A0-U+00FF.
std::string Utf8FromWindows1252(std::string_view text);

// Inserts text at the front of buffer.
void Prepend(std::string& buffer, std::string_view text);

constexpr bool IsBlank(char c) { return c >= 1 && c <= 32; }

std::string TrimRight(std::string_view text);
std::string SkipBlanks(std::string_view text);

// Skips leading blanks, cuts the text at the first occurrence of any
// character of charset, then trims the right end.
std::string StripAfter(std::string_view text, std::string_view charset);

// Tokens are separated by blanks; a token starting with '"' runs to the next
// '"' (or to the end).
int CountTokens(std::string_view text);

// The next token of text (leading blanks skipped; a quoted token without its
// quotes); rest receives the text after the token and the blanks following it.
std::string NextToken(std::string_view text, std::string_view* rest = nullptr);
// The same, leaving the rest in text.
std::string ConsumeToken(std::string& text);
