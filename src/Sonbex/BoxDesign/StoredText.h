#pragma once
// Text typed by the user (UTF-8) as the fixed 8-bit text of stored records
// (Windows-1252): characters Windows-1252 has are converted, others become
// '?', invalid UTF-8 bytes too. The reverse is Utf8FromWindows1252 (YLib).
// Pure function; safe from any thread.

#include <string>
#include <string_view>

namespace sonbex::boxdesign {

std::string Windows1252FromUtf8(std::string_view utf8);

}  // namespace sonbex::boxdesign
