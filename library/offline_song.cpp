// The offline renderer's C entry points: a song handle is a song loaded into
// memory of its own and one play of it.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

#include "library/error_codes.h"
#include "player/formats/song_loader.h"
#include "player/play/offline_play.h"
#include "zumbrik/player.h"

struct ZumbrikSong {
    explicit ZumbrikSong(std::shared_ptr<const zumbrik::LoadedSong> loaded) : play(std::move(loaded)) {}
    zumbrik::OfflinePlay play;
};

namespace {

void SetError(int* error, int value) {
    if (error != nullptr) *error = value;
}

ZumbrikSong* Opened(zumbrik::SongLoad load, int* error) {
    if (!load.song) {
        SetError(error, zumbrik::ErrorCodeFor(load.result));
        return nullptr;
    }
    auto* song = new (std::nothrow) ZumbrikSong(std::move(load.song));
    SetError(error, song != nullptr ? ZUMBRIK_OK : ZUMBRIK_ERROR_NO_MEMORY);
    return song;
}

const zumbrik::Song* SongOf(const ZumbrikSong* song) { return song == nullptr ? nullptr : &song->play.song(); }

const zumbrik::InstrumentRecord* InstrumentOf(const ZumbrikSong* song, int instrument) {
    const zumbrik::Song* records = SongOf(song);
    if (records == nullptr || instrument < 0 || instrument >= (records->instrumentCount & 0xFF)) return nullptr;
    return &records->instruments[instrument];
}

int SampleCount(const zumbrik::InstrumentRecord& instrument) {
    int count = 0;
    while (count < zumbrik::kInstrumentSamples && instrument.samples[count] != nullptr) ++count;
    return count;
}

int Result(bool ok) { return ok ? ZUMBRIK_OK : ZUMBRIK_ERROR_INVALID_ARGUMENT; }

}  // namespace

ZumbrikSong* zumbrik_song_open(const void* data, size_t size, int* error) {
    // The memory source counts in 32 bits.
    if (data == nullptr || size == 0 || size > 0xFFFFFFFFu) {
        SetError(error, ZUMBRIK_ERROR_INVALID_ARGUMENT);
        return nullptr;
    }
    try {
        return Opened(zumbrik::LoadSongFromMemory(data, size), error);
    } catch (const std::bad_alloc&) {
        SetError(error, ZUMBRIK_ERROR_NO_MEMORY);
        return nullptr;
    }
}

ZumbrikSong* zumbrik_song_open_file(const char* path, int* error) {
    if (path == nullptr || path[0] == 0) {
        SetError(error, ZUMBRIK_ERROR_INVALID_ARGUMENT);
        return nullptr;
    }
    try {
        auto cache = std::make_unique<std::uint8_t[]>(zumbrik::kFileCacheBlock);
        zumbrik::ModuleSource source = zumbrik::MakeFileSource(path, cache.get());
        return Opened(zumbrik::LoadSong(source), error);
    } catch (const std::bad_alloc&) {
        SetError(error, ZUMBRIK_ERROR_NO_MEMORY);
        return nullptr;
    }
}

void zumbrik_song_close(ZumbrikSong* song) { delete song; }

size_t zumbrik_song_render(ZumbrikSong* song, int16_t* frames, size_t count) {
    return song == nullptr ? 0 : song->play.Render(frames, count);
}

size_t zumbrik_song_render_float(ZumbrikSong* song, float* frames, size_t count) {
    return song == nullptr ? 0 : song->play.RenderFloat(frames, count);
}

int zumbrik_song_set_rate(ZumbrikSong* song, int rate) {
    return Result(song != nullptr && rate > 0 && song->play.SetRate(static_cast<std::uint32_t>(rate)));
}

int zumbrik_song_set_gain(ZumbrikSong* song, double decibels) {
    if (song == nullptr || !(decibels >= -96.0 && decibels <= 96.0)) return ZUMBRIK_ERROR_INVALID_ARGUMENT;
    song->play.SetGain(decibels);
    return ZUMBRIK_OK;
}

int zumbrik_song_set_stereo_separation(ZumbrikSong* song, int percent) {
    return Result(song != nullptr && song->play.SetStereoSeparation(percent));
}

int zumbrik_song_set_repeat(ZumbrikSong* song, int count) {
    return Result(song != nullptr && song->play.SetRepeat(count));
}

int zumbrik_song_mute(ZumbrikSong* song, int channel, int muted) {
    return Result(song != nullptr && song->play.Mute(channel, muted != 0));
}

double zumbrik_song_duration(const ZumbrikSong* song) { return song == nullptr ? 0 : song->play.Duration(); }

double zumbrik_song_position(const ZumbrikSong* song) { return song == nullptr ? 0 : song->play.Position(); }

int zumbrik_song_order(const ZumbrikSong* song) { return song == nullptr ? 0 : song->play.Order(); }

int zumbrik_song_row(const ZumbrikSong* song) { return song == nullptr ? 0 : song->play.Row(); }

int zumbrik_song_seek(ZumbrikSong* song, double seconds) {
    if (song == nullptr || !(seconds >= 0)) return ZUMBRIK_ERROR_INVALID_ARGUMENT;
    song->play.SeekSeconds(seconds);
    return ZUMBRIK_OK;
}

int zumbrik_song_seek_order(ZumbrikSong* song, int order, int row) {
    if (song == nullptr || order < 0 || row < 0) return ZUMBRIK_ERROR_INVALID_ARGUMENT;
    return song->play.SeekOrder(order, row) ? ZUMBRIK_OK : ZUMBRIK_ERROR_NOT_REACHED;
}

const char* zumbrik_song_title(const ZumbrikSong* song) { return song == nullptr ? nullptr : SongOf(song)->title; }

const char* zumbrik_song_tracker(const ZumbrikSong* song) {
    return song == nullptr ? nullptr : SongOf(song)->tracker;
}

const char* zumbrik_song_format(const ZumbrikSong* song) { return song == nullptr ? nullptr : SongOf(song)->format; }

int zumbrik_song_channels(const ZumbrikSong* song) { return song == nullptr ? 0 : SongOf(song)->channelCount; }

int zumbrik_song_orders(const ZumbrikSong* song) { return song == nullptr ? 0 : SongOf(song)->songLength; }

int zumbrik_song_patterns(const ZumbrikSong* song) { return song == nullptr ? 0 : SongOf(song)->patternCount; }

int zumbrik_song_instruments(const ZumbrikSong* song) {
    return song == nullptr ? 0 : SongOf(song)->instrumentCount & 0xFF;
}

int zumbrik_song_samples(const ZumbrikSong* song, int instrument) {
    const zumbrik::InstrumentRecord* record = InstrumentOf(song, instrument);
    return record == nullptr ? -1 : SampleCount(*record);
}

const char* zumbrik_song_instrument_name(const ZumbrikSong* song, int instrument) {
    const zumbrik::InstrumentRecord* record = InstrumentOf(song, instrument);
    return record == nullptr ? nullptr : record->name;
}

const char* zumbrik_song_sample_name(const ZumbrikSong* song, int instrument, int sample) {
    const zumbrik::InstrumentRecord* record = InstrumentOf(song, instrument);
    if (record == nullptr || sample < 0 || sample >= SampleCount(*record)) return nullptr;
    return record->samples[sample]->name;
}

unsigned zumbrik_song_warnings(const ZumbrikSong* song) { return song == nullptr ? 0 : SongOf(song)->warnings; }
