#pragma once
// The speaker database: the driver records of the per-user file SX3SPK.SDB,
// with its text export, the import of older single-driver files (.spk) and
// folders of them, replacing by name, sorting and de-duplicating.
//
// Records are reached through stable ids (DriverId), never through pointers
// into the database: an id that was removed simply finds nothing. Get()
// returns a pointer that is valid only until the next change of the database.
//
// File SX3SPK.SDB: a 192-byte banner (never read back), the magic "@SdLiB10",
// int32 count, six uint16 (year, month, day, hour, minute, second of the
// save), then count records of 952 bytes. Only a missing file is an empty
// database; a file that exists but cannot be read, or has another magic, is
// never overwritten by Save (WriteProtected()). Saves are atomic.
//
// .spk file: "@SP100", then a 512-byte block: manufacturer[80], model[80],
// comment[160], fs, Vas, Qes, Qms, Re, Le, Sd, Xmax (float64), the rest unused.
//
// One thread at a time (the GUI thread in the desktop program).

#include "Platform/AtomicFile.h"
#include "Sonbex/BoxDesign/DriverRecord.h"
#include "Sonbex/BoxDesign/YThieleSmall.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::boxdesign {

using DriverId = std::uint64_t;
inline constexpr DriverId kNoDriver = 0;

inline constexpr const char* kDatabaseFileName = "SX3SPK.SDB";
inline constexpr const char* kDatabaseMagic = "@SdLiB10";
inline constexpr std::size_t kDatabaseHeaderSize = 216;
inline constexpr const char* kOldDriverMagic = "@SP100";
inline constexpr std::size_t kOldDriverFileSize = 6 + 512;

// lastError codes.
namespace dberr {
inline constexpr int kNone = 0;
inline constexpr int kNotEmpty = 1;     // Load: the list is not empty
inline constexpr int kNoRecords = 2;    // Load: file missing or without records
inline constexpr int kDamaged = 3;      // Load: fewer records than announced
inline constexpr int kNoMemory = 4;     // AddOrReplace
inline constexpr int kCannotOpen = 5;   // ImportOldDriverFile
inline constexpr int kBadMagic = 6;     // ImportOldDriverFile
inline constexpr int kTooShort = 7;     // ImportOldDriverFile
inline constexpr int kUnreadable = 8;   // Load: exists but cannot be read, or not a database
inline constexpr int kWriteFailed = 9;  // Save: the file could not be written
inline constexpr int kProtected = 10;   // Save: the file on disk is not ours to overwrite
inline constexpr int kBadValues = 11;   // ImportOldDriverFile: a required value not positive
}  // namespace dberr

class YSpeakerData : public YThieleSmall {
public:
    YSpeakerData() = default;

    // ---- file
    // See the header comment. False when the list was not empty, or the file
    // exists but is no readable database (the list stays empty, the path is
    // remembered and the file is protected from Save).
    bool Load(const std::filesystem::path& path);
    // Writes the file when something changed (atomically); true when the
    // file holds the list afterwards (also when nothing changed). On failure
    // the list and the old file are untouched.
    bool Save(const platform::AtomicWriteOptions& options = {});
    // Writes the list to `path` and makes it the database's path (clears the
    // protection); the way out when the own file cannot be written.
    bool SaveAs(const std::filesystem::path& path, const platform::AtomicWriteOptions& options = {});
    // Save, then Close when it succeeded; false (list kept) when it failed.
    bool SaveAndClose(const platform::AtomicWriteOptions& options = {});
    // Forgets the list, the path and every state.
    void Close();
    // The path without loading (a new database that starts empty).
    void SetPath(const std::filesystem::path& path) { path_ = path; }
    const std::filesystem::path& Path() const { return path_; }
    bool WriteProtected() const { return protected_; }
    // The database file's bytes for the current list (saved at `now`).
    std::string FileBytes(const DriverTimeStamp& now) const;

    // The text table of all records; false when empty, when `path` is the
    // database's own file, or when the file cannot be written.
    bool ExportText(const std::filesystem::path& path) const;
    std::string ExportTextBytes() const;

    // ---- import
    // A single .spk file, or every file of a folder (sub-folders with
    // `recursive`; names beginning with '.' and symbolic links to folders are
    // skipped). Accepted records are appended, then duplicates removed and the
    // list sorted. True when at least one record was accepted.
    bool Import(const std::filesystem::path& path, bool isDirectory, bool recursive);
    // Reads one .spk file into `out`; on failure `error` (when given) gets the
    // dberr code.
    static bool ImportOldDriverFile(const std::filesystem::path& path, DriverRecord& out,
                                    int* error = nullptr);
    static std::string OldDriverFileBytes(const DriverRecord& record);  // the .spk form, for tools and tests

    // ---- records
    // With `replace`, a record of the same manufacturer and model (both
    // case-insensitive) is overwritten; else the record is appended (and with
    // `sort` the list sorted). The id of the stored record.
    DriverId AddOrReplace(const DriverRecord& record, bool sort, bool replace);
    bool Remove(DriverId id);
    DriverId FindByName(std::string_view manufacturer, std::string_view model) const;
    // The database's record of the same name; else `record` is added (sorted,
    // replacing) and its id returned.
    DriverId FindOrAdd(const DriverRecord& record);
    const DriverRecord* Get(DriverId id) const;
    bool Contains(DriverId id) const { return Get(id) != nullptr; }

    DriverId First();
    DriverId Next();
    DriverId Current() const { return current_; }
    void SetCurrent(DriverId id) { current_ = Contains(id) ? id : kNoDriver; }
    std::vector<DriverId> Ids() const;  // list order

    void SortByName();
    // Removes every later record equal (CompareRecords: case-insensitive, comment
    // and source skipped) to an earlier one; the number removed.
    int RemoveDuplicates();
    static int CompareRecords(const DriverRecord& a, const DriverRecord& b, bool caseInsensitive,
                              bool skipComment, bool skipSource);

    int Count() const { return static_cast<int>(entries_.size()); }
    bool Modified() const { return modified_; }
    int LastError() const { return lastError_; }

private:
    struct Entry {
        DriverId id;
        DriverRecord record;
    };
    int ImportFolder(const std::filesystem::path& dir, bool recursive, int depth);
    bool Write(const std::filesystem::path& path, const platform::AtomicWriteOptions& options);
    std::size_t IndexOf(DriverId id) const;  // entries_.size() when absent

    std::vector<Entry> entries_;
    DriverId nextId_ = 1;
    DriverId current_ = kNoDriver;
    bool modified_ = false;
    bool protected_ = false;
    int lastError_ = dberr::kNone;
    std::filesystem::path path_;
};

// ASCII case-insensitive comparison (<0, 0, >0), as the database compares names.
int CompareNoCase(std::string_view a, std::string_view b);
std::string FoldCase(std::string_view text);

}  // namespace sonbex::boxdesign
