#include "player/play/offline_play.h"

#include "player/play/rendered_play.h"

namespace zumbrik {

OfflinePlay::OfflinePlay(std::shared_ptr<const LoadedSong> song)
    : play_(std::make_unique<RenderedPlay>(std::move(song))) {}
OfflinePlay::~OfflinePlay() = default;

const Song& OfflinePlay::song() const { return play_->song(); }
bool OfflinePlay::SetRate(std::uint32_t rate) { return play_->SetRate(rate); }
std::uint32_t OfflinePlay::Rate() const { return play_->Rate(); }
bool OfflinePlay::SetRepeat(std::int32_t count) { return play_->SetRepeat(count); }
void OfflinePlay::SetGain(double decibels) { play_->SetGain(decibels); }
bool OfflinePlay::SetStereoSeparation(std::int32_t percent) { return play_->SetStereoSeparation(percent); }
bool OfflinePlay::Mute(std::int32_t channel, bool muted) { return play_->Mute(channel, muted); }
std::size_t OfflinePlay::Render(std::int16_t* frames, std::size_t count) { return play_->Render(frames, count); }
std::size_t OfflinePlay::RenderFloat(float* frames, std::size_t count) { return play_->RenderFloat(frames, count); }
double OfflinePlay::Duration() const { return play_->Duration(); }
std::uint64_t OfflinePlay::DurationFrames() const { return play_->DurationFrames(); }
bool OfflinePlay::DurationIsBound() const { return play_->DurationIsBound(); }
std::uint64_t OfflinePlay::PositionFrames() const { return play_->PositionFrames(); }
double OfflinePlay::Position() const { return play_->Position(); }
std::int32_t OfflinePlay::Order() const { return play_->Order(); }
std::int32_t OfflinePlay::Row() const { return play_->Row(); }
void OfflinePlay::Seek(std::uint64_t frame) { play_->Seek(frame); }
void OfflinePlay::SeekSeconds(double seconds) { play_->SeekSeconds(seconds); }
bool OfflinePlay::SeekOrder(std::int32_t order, std::int32_t row) { return play_->SeekOrder(order, row); }

}  // namespace zumbrik
