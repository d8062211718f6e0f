#include "player/song/module_source.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "platform/resource_lookup.h"

namespace zumbrik {

namespace {

// Reads count bytes of the file at offset; what the file does not hold reads as zeros.
void ReadFileAt(std::FILE* file, std::int64_t offset, std::uint8_t* destination, std::int64_t count) {
    std::size_t got = 0;
    if (file != nullptr && offset >= 0 && offset <= std::numeric_limits<long>::max() &&
        std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0) {
        got = std::fread(destination, 1, static_cast<std::size_t>(count), file);
    }
    std::memset(destination + got, 0, static_cast<std::size_t>(count) - got);
}

void MemoryRead(ModuleSource& source, std::uint8_t* destination, std::int64_t count) {
    const std::int64_t available = source.position + count < source.size ? count : source.size - source.position;
    if (available > 0 && source.base != nullptr) {
        std::memcpy(destination, source.base + source.position, static_cast<std::size_t>(available));
    }
    source.position += count;
}

void CachedFileRead(ModuleSource& source, std::uint8_t* destination, std::int64_t count) {
    while (count > 0) {
        const std::int64_t offset = source.position - source.cacheStart;
        if (offset >= 0 && offset < kFileCacheBlock) {
            const std::int64_t k = std::min(count, kFileCacheBlock - offset);
            std::memcpy(destination, source.cache + offset, static_cast<std::size_t>(k));
            source.position += k;
            destination += k;
            count -= k;
            if (count == 0) return;
        }
        // Whole blocks in the middle of a large request bypass the cache.
        const std::int64_t end = source.position + count;
        const std::int64_t direct = end - end % kFileCacheBlock - source.position;
        if (direct > 0) {
            ReadFileAt(source.file, source.position, destination, direct);
            source.position += direct;
            destination += direct;
            count -= direct;
        }
        if (count == 0) return;
        source.cacheStart = source.position - source.position % kFileCacheBlock;
        ReadFileAt(source.file, source.cacheStart, source.cache, kFileCacheBlock);
    }
}

// A directory or a device opens on some systems and then reads nothing.
bool IsRegularFile(const char* path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

std::int64_t FileLength(const char* path) {
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(std::filesystem::path(path), error);
    return error ? 0 : static_cast<std::int64_t>(length);
}

}  // namespace

ModuleSource MakeMemorySource(const void* data, std::uint32_t size) {
    ModuleSource source;
    source.kind = SourceKind::Memory;
    source.base = static_cast<const std::uint8_t*>(data);
    source.size = size;
    return source;
}

ModuleSource MakeResourceSource(std::uintptr_t id, std::uintptr_t module) {
    ModuleSource source;
    source.kind = SourceKind::Resource;
    source.resourceId = id;
    source.resourceModule = module;
    return source;
}

ModuleSource MakeFileSource(const char* path, std::uint8_t* cache) {
    ModuleSource source;
    source.kind = SourceKind::File;
    source.path = path;
    source.cache = cache;
    return source;
}

bool ModuleSource::Open() {
    switch (kind) {
        case SourceKind::Resource: {
            const ResourceBytes bytes = FindResourceData(resourceId, resourceModule);
            base = bytes.data;
            size = bytes.data != nullptr ? bytes.size : 0;
            position = 0;
            return true;
        }
        case SourceKind::Memory:
            return true;
        case SourceKind::File:
            size = kFileSourceSize;
            cacheStart = kNothingCached;
            file = path != nullptr && IsRegularFile(path) ? std::fopen(path, "rb") : nullptr;
            fileLength = file != nullptr ? FileLength(path) : 0;
            return file != nullptr && cache != nullptr;
    }
    return false;
}

void ModuleSource::Read(void* destination, std::int64_t count) {
    if (count <= 0) return;
    if (position >= Length()) readPastEnd = true;
    auto* bytes = static_cast<std::uint8_t*>(destination);
    if (kind == SourceKind::File) {
        // The position may have run past what a file offset can name; such bytes read as zeros.
        if (cache == nullptr || position < 0 || position + count > kFileSourceSize) {
            std::memset(bytes, 0, static_cast<std::size_t>(count));
            position += count;
            return;
        }
        CachedFileRead(*this, bytes, count);
    } else {
        MemoryRead(*this, bytes, count);
    }
}

void ModuleSource::Seek(std::int64_t offset, SeekMode mode) {
    const std::int64_t target = mode == SeekMode::Absolute ? offset : position + offset;
    if (target >= 0 && target <= size) position = target;
}

void ModuleSource::Close() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
}

}  // namespace zumbrik
