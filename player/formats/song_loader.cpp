#include "player/formats/song_loader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "player/formats/mod_layout.h"
#include "player/formats/mod_loader.h"
#include "player/formats/s3m_loader.h"
#include "player/formats/xm_layout.h"
#include "player/formats/xm_loader.h"

namespace zumbrik {

namespace {

// Enough of the file for every probe: the MOD tag ends at 1084.
constexpr std::size_t kProbeBytes = mod::kTag + mod::kTagBytes;

struct ProbeBytes {
    std::uint8_t bytes[kProbeBytes];
    std::size_t count;    // how many the file holds
    std::int64_t length;  // the file's length
};

using LoadFunction = LoadResult (*)(ModuleSource&, ModuleArena&, Song&);

struct FormatProbe {
    const char* name;
    bool (*matches)(const ProbeBytes&);
    LoadFunction load;
};

// The probes in the order they are tried: the tags that cannot be mistaken
// first, the MOD without a tag last.
constexpr FormatProbe kFormats[] = {
    {"XM", [](const ProbeBytes& p) { return p.count >= xm::kIdTextBytes && std::memcmp(p.bytes, xm::kIdText, xm::kIdTextBytes) == 0; },
     LoadXm},
    {"S3M", [](const ProbeBytes& p) { return LooksLikeS3m(p.bytes, p.count); }, LoadS3m},
    {"MOD", [](const ProbeBytes& p) { return LooksLikeMod(p.bytes, p.count, p.length); }, LoadMod},
};

bool ReadProbeBytes(ModuleSource& source, ProbeBytes& probe) {
    if (!source.Open()) return false;
    probe.length = source.Length();
    probe.count = static_cast<std::size_t>(std::min<std::int64_t>(probe.length, kProbeBytes));
    std::memset(probe.bytes, 0, sizeof probe.bytes);
    source.Read(probe.bytes, static_cast<std::int64_t>(probe.count));
    // Each loader opens the source again and reads it from its start.
    source.Close();
    source.position = 0;
    return true;
}

}  // namespace

LoadResult LoadModule(ModuleSource& source, ModuleArena& arena, Song& song) {
    song = Song{};
    ProbeBytes probe;
    if (!ReadProbeBytes(source, probe)) return LoadResult::CannotOpen;
    for (const FormatProbe& format : kFormats) {
        if (!format.matches(probe)) continue;
        const LoadResult result = format.load(source, arena, song);
        song.format = format.name;
        return result;
    }
    // The XM loader takes what it can even without the XM text; only what it refuses is no module at all.
    const LoadResult result = LoadXm(source, arena, song);
    if (result == LoadResult::NotXmFile) {
        song.format = nullptr;
        return LoadResult::NotAModule;
    }
    return result;
}

SongLoad LoadSong(ModuleSource& source, std::size_t capBytes) {
    SongLoad load;
    auto song = std::shared_ptr<LoadedSong>(new (std::nothrow) LoadedSong(capBytes));
    if (!song) {
        source.Close();
        load.result = LoadResult::MemoryCap;
        return load;
    }
    load.result = LoadModule(source, song->arena, song->song);
    load.format = song->song.format;
    if (source.readPastEnd || source.position > source.Length()) song->song.warnings |= kSongTruncated;
    source.Close();
    if (load.result == LoadResult::Loaded) load.song = std::move(song);
    return load;
}

SongLoad LoadSongFromMemory(const void* data, std::size_t size) {
    // Memory sources count in 32 bits; a larger block is no module we read.
    if (data == nullptr || size == 0 || size > 0xFFFFFFFFu) return SongLoad{nullptr, LoadResult::NotAModule, nullptr};
    ModuleSource source = MakeMemorySource(data, static_cast<std::uint32_t>(size));
    return LoadSong(source);
}

}  // namespace zumbrik
