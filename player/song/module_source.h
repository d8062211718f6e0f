#pragma once
#include <cstdint>
#include <cstdio>


namespace zumbrik {

enum class SourceKind : std::uint8_t { Resource, Memory, File };
enum class SeekMode : std::uint8_t { Absolute, Relative };

inline constexpr std::int64_t kFileSourceSize = 0xFFFFFFFF;  // a file has no size limit
inline constexpr std::int32_t kFileCacheBlock = 8192;
// A cache start that no read position falls into: nothing is cached yet. (A
// start of 1 would let reads at 1..8192 hit a cache that was never filled.)
inline constexpr std::int64_t kNothingCached = -kFileCacheBlock;

// The byte stream a module is loaded from: sequential reads plus an absolute
// or relative seek, over a resource, a block of memory or a file read through
// an 8 KB cache. No operation reports failure except Open, whose false (a file
// that cannot be opened, or is no regular file) the loader turns into a
// failed load.
//
// Reads past the end: the memory kinds deliver nothing there and leave the
// destination as it was, yet advance the position by the full count; the file
// kind delivers zeros. A seek outside 0..size is ignored.
//
// The position is kept in 64 bits so that a hostile module reading far past
// the end of its source cannot overflow it.
struct ModuleSource {
    SourceKind kind = SourceKind::Memory;
    std::int64_t size = 0;
    std::int64_t position = 0;
    const std::uint8_t* base = nullptr;  // memory and resource: the module's first byte
    std::int64_t cacheStart = kNothingCached;  // file: offset of the cached block
    std::uint8_t* cache = nullptr;       // file: kFileCacheBlock bytes
    std::FILE* file = nullptr;
    const char* path = nullptr;             // file
    std::uintptr_t resourceId = 0;          // resource
    std::uintptr_t resourceModule = 0;      // resource: 0 = the program itself
    std::int64_t fileLength = 0;            // file: its length when opened (size stays unbounded)
    // A read began at or past the last byte the source holds: the module
    // wanted more than the source has (reads that merely reach past the end
    // may be followed by a seek back).
    bool readPastEnd = false;

    bool Open();
    void Read(void* destination, std::int64_t count);
    void Seek(std::int64_t offset, SeekMode mode);
    void Close();

    // A memory or resource source whose position has reached its size: every
    // further read delivers nothing until a seek moves the position back.
    bool Exhausted() const { return kind != SourceKind::File && position >= size; }

    // The bytes the source really holds, past which reads deliver nothing or zeros.
    std::int64_t Length() const { return kind == SourceKind::File ? fileLength : size; }
};

ModuleSource MakeMemorySource(const void* data, std::uint32_t size);
ModuleSource MakeResourceSource(std::uintptr_t id, std::uintptr_t module);
// The path and the cache (kFileCacheBlock bytes) are borrowed: both must
// outlive the load, and the cache must stay untouched until Close.
ModuleSource MakeFileSource(const char* path, std::uint8_t* cache);

}  // namespace zumbrik
