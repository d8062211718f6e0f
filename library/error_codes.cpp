#include "library/error_codes.h"

#include <iterator>

#include "zumbrik/player.h"

namespace zumbrik {

namespace {

struct ErrorEntry {
    LoadResult result;
    int code;
};

constexpr ErrorEntry kLoadResultCodes[] = {
    {LoadResult::Loaded, ZUMBRIK_OK},
    {LoadResult::CannotOpen, ZUMBRIK_ERROR_CANNOT_OPEN},
    // The first entry of a code gives its words.
    {LoadResult::NotAModule, ZUMBRIK_ERROR_NOT_A_MODULE},
    {LoadResult::NotXmFile, ZUMBRIK_ERROR_NOT_A_MODULE},
    {LoadResult::ChannelCount, ZUMBRIK_ERROR_CHANNEL_COUNT},
    {LoadResult::SongLength, ZUMBRIK_ERROR_SONG_LENGTH},
    {LoadResult::NoPatterns, ZUMBRIK_ERROR_NO_PATTERNS},
    {LoadResult::PatternRows, ZUMBRIK_ERROR_PATTERN_ROWS},
    {LoadResult::SampleLength, ZUMBRIK_ERROR_SAMPLE_LENGTH},
    {LoadResult::InstrumentSamples, ZUMBRIK_ERROR_INSTRUMENT_SAMPLES},
    {LoadResult::MemoryCap, ZUMBRIK_ERROR_MEMORY_CAP},
    {LoadResult::InstrumentCount, ZUMBRIK_ERROR_INSTRUMENT_COUNT},
};

}  // namespace

int ErrorCodeFor(LoadResult result) {
    for (const ErrorEntry& entry : kLoadResultCodes) {
        if (entry.result == result) return entry.code;
    }
    return ZUMBRIK_ERROR_NOT_A_MODULE;
}

}  // namespace zumbrik

const char* zumbrik_error_text(int error) {
    switch (error) {
        case ZUMBRIK_OK: return "no error";
        case ZUMBRIK_ERROR_NO_MEMORY: return "out of memory";
        case ZUMBRIK_ERROR_INVALID_ARGUMENT: return "invalid argument";
        case ZUMBRIK_ERROR_NO_DEVICE: return "the sound output could not be opened";
        case ZUMBRIK_ERROR_NOT_REACHED: return "the song never reaches that order and row";
        case ZUMBRIK_ERROR_BAD_HEADER: return "the module's header contradicts itself";
        default: break;
    }
    for (const zumbrik::ErrorEntry& entry : zumbrik::kLoadResultCodes) {
        if (entry.code == error) return zumbrik::LoadResultText(entry.result);
    }
    return "unknown error";
}
