#pragma once
// An object that stores itself in, and loads itself from, a tagged archive.
// The direction is the archive's mode (YPersistence::IsWriting), not an
// argument.

class YPersistence;

class IArchive {
public:
    virtual ~IArchive() = default;
    // False on any failure. A load that fails part-way leaves the object
    // partly loaded; the caller abandons the archive.
    virtual bool Serialize(YPersistence& archive) = 0;
};
