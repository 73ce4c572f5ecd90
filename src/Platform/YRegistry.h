#pragma once
// Settings access in the form every window and tool uses: open one key (a
// section) of the settings store for reading or for writing, then read or
// write named values.
//
// Value encodings (kept so every section reads the same everywhere):
//   binary  a blob, read back only when its length matches exactly
//   string  text
//   int     decimal text ("-12")
//   double  text with all the digits needed to read back the same double;
//           a ',' reads as '.' ("12,5" is 12.5)
//   bool    the text "true" or "false" (read without regard to case)
// A value that is missing, of another kind, or whose text is not entirely the
// number (or word) asked for fails the read and leaves the caller's variable
// as it was, so the caller keeps its default.
//
// Write mode only remembers the key; values go to the store as they are
// written, and Close() (also from the destructor) saves the store file once
// when something was written.
//
// Threads: one YRegistry object belongs to one thread; several objects on
// several threads may share one store (the store locks itself).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::platform {

class SettingsStore;

// The settings root; every section is a sub-key of it.
inline constexpr const char* kSettingsRoot = "Software\\Varizuv Zezaredo\\Sonbex Analyzer 3 Std";
// kSettingsRoot + "\\" + section ("Smooth" -> "...\\Sonbex Analyzer 3 Std\\Smooth").
std::string SettingsSection(std::string_view section);

class YRegistry {
public:
    explicit YRegistry(SettingsStore& store) : store_(store) {}
    ~YRegistry() { Close(); }
    YRegistry(const YRegistry&) = delete;
    YRegistry& operator=(const YRegistry&) = delete;

    // Read mode: true when the key exists (holds a value or a sub-key).
    // Write mode: remembers the key; only an empty path fails. A second Open
    // while one is open fails.
    bool Open(std::string_view keyPath, bool forWriting);
    // Forgets the key; in write mode saves the store when something was
    // written. False only when that save failed.
    bool Close();
    bool IsOpen() const { return open_; }
    bool IsWriteMode() const { return open_ && writeMode_; }
    const std::string& KeyPath() const { return path_; }

    // Read mode only. `out` is filled only when the stored blob has exactly its size.
    bool ReadBinary(std::string_view name, std::span<std::uint8_t> out) const;
    bool ReadBinary(std::string_view name, std::vector<std::uint8_t>& out) const;
    // At most `maxChars` bytes of the text (cut back to a whole UTF-8 character).
    bool ReadString(std::string_view name, std::string& out, std::size_t maxChars = 1u << 20) const;
    bool ReadInt(std::string_view name, std::int32_t& out) const;
    bool ReadDouble(std::string_view name, double& out) const;
    bool ReadBool(std::string_view name, bool& out) const;

    // Write mode only; false when not in write mode or the name is empty.
    bool WriteBinary(std::string_view name, std::span<const std::uint8_t> bytes);
    bool WriteString(std::string_view name, std::string_view text);
    bool WriteInt(std::string_view name, std::int32_t value);
    bool WriteDouble(std::string_view name, double value);
    bool WriteBool(std::string_view name, bool value);

    // Write mode only: removes a value (false when there was none).
    bool Remove(std::string_view name);

private:
    bool CanRead() const { return open_ && !writeMode_; }
    bool CanWrite() const { return open_ && writeMode_; }

    SettingsStore& store_;
    bool open_ = false;
    bool writeMode_ = false;
    bool dirty_ = false;
    std::string path_;
};

}  // namespace sonbex::platform
