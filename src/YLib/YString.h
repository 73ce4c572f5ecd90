#pragma once
// A text string that stores itself as the archive record "YString" version 1.
//
// Threading: a plain value.

#include "YLib/IArchive.h"

#include <string>

class YString : public IArchive, public std::string {
public:
    using std::string::string;
    YString() = default;
    YString(std::string text) : std::string(std::move(text)) {}

    // Loads the stored text up to its first zero byte.
    bool Serialize(YPersistence& archive) override;

    static constexpr const char* kTag = "YString";
};
