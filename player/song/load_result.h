#pragma once
#include <cstdint>

namespace zumbrik {

// Why a module did or did not load.
enum class LoadResult : std::uint8_t {
    Loaded,
    CannotOpen,         // no such file, not a regular file, or no access
    NotXmFile,          // refused, and the bytes do not begin like an XM file
    NotAModule,         // the bytes begin like no format the player reads
    ChannelCount,       // 0 or more than 64 channels
    SongLength,         // 0 or more than 256 orders
    NoPatterns,
    PatternRows,        // a pattern with data and 0 or more than 256 rows
    SampleLength,       // a sample of 2^22 frames or more
    InstrumentSamples,  // more than 16 samples, or sample headers above 40 bytes
    MemoryCap,          // the module needs more memory than the player allows
    InstrumentCount,    // more instruments than the player holds (255)
};

// A short lower-case phrase for the reason, as the tool prints it after the
// file's name.
inline const char* LoadResultText(LoadResult result) {
    switch (result) {
        case LoadResult::Loaded: return "loaded";
        case LoadResult::CannotOpen: return "cannot open the file";
        case LoadResult::NotXmFile: return "not an XM file";
        case LoadResult::NotAModule: return "not an XM, MOD or S3M module";
        case LoadResult::ChannelCount: return "channel count not between 1 and 64";
        case LoadResult::SongLength: return "song length not between 1 and 256";
        case LoadResult::NoPatterns: return "no patterns";
        case LoadResult::PatternRows: return "a pattern has 0 or more than 256 rows";
        case LoadResult::SampleLength: return "a sample is too long";
        case LoadResult::InstrumentSamples: return "an instrument has more than 16 samples or too large a sample header";
        case LoadResult::MemoryCap: return "the module needs more memory than the player allows";
        case LoadResult::InstrumentCount: return "more than 255 instruments";
    }
    return "unknown";
}

}  // namespace zumbrik
