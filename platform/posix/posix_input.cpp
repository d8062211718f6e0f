#include "platform/posix/posix_input.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/terminal_screen.h"

namespace zumbrik {

namespace {

InputRecord KeyDown(std::uint16_t virtualKey, char16_t character) {
    InputRecord record{};
    record.EventType = kKeyEvent;
    record.Event.KeyEvent.bKeyDown = 1;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
    record.Event.KeyEvent.UnicodeChar = character;
    return record;
}

// Two empty peeks closer together than this mean the caller is polling in a
// loop; it is then made to wait a little for input instead of spinning.
constexpr auto kBusyPollGap = std::chrono::milliseconds(2);
constexpr int kBusyPollWaitMs = 5;

// Bytes drained by one flush at most, so an endless stream cannot hold it.
constexpr int kMaxDrainReads = 64;

}  // namespace

bool PosixInput::EscapeQueued() const {
    return std::any_of(queue_.begin(), queue_.end(),
                       [](const InputRecord& r) { return r.Event.KeyEvent.wVirtualKeyCode == kVkEscape; });
}

void PosixInput::ExpireIfDue(Clock::time_point now) {
    if (parser_.Pending() && now - lastByte_ >= std::chrono::milliseconds(kEscapeTimeoutMs)) {
        parser_.Expire(keys_);
        TakeKeys();
    }
}

void PosixInput::TakeKeys() {
    for (const TerminalKey& key : keys_) {
        if (key.kind == TerminalKey::Kind::Repaint) {
            if (screen_ != nullptr) screen_->RequestFullRepaint();
        } else {
            queue_.push_back(KeyDown(key.virtualKey, key.character));
        }
    }
    keys_.clear();
}

void PosixInput::Pump(int timeoutMs) {
    Clock::time_point now = Clock::now();
    ExpireIfDue(now);
    if (parser_.Pending()) {
        const auto left = std::chrono::milliseconds(kEscapeTimeoutMs) -
                          std::chrono::duration_cast<std::chrono::milliseconds>(now - lastByte_);
        timeoutMs = std::min<int>(timeoutMs, static_cast<int>(std::max<long long>(left.count(), 1)));
    }
    pollfd ready{fd_, POLLIN, 0};
    const int n = ::poll(&ready, 1, std::max(timeoutMs, 0));
    if (n > 0) {
        unsigned char bytes[256];
        const ssize_t got = (ready.revents & POLLNVAL) != 0 ? 0 : ::read(fd_, bytes, sizeof bytes);
        if (got > 0) {
            parser_.Feed(bytes, static_cast<std::size_t>(got), keys_);
            lastByte_ = Clock::now();
            TakeKeys();
        } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
            // The terminal is gone: nobody can press Escape any more, so
            // press it for them and let the game end as it always does.
            if (!EscapeQueued()) queue_.push_back(KeyDown(kVkEscape, 0x1B));
        }
    }
    ExpireIfDue(Clock::now());
    // Asked to end by a signal: Escape, first in line and back after every
    // flush, ends every state of the game the way the player would, with the
    // game recorded on the way out.
    if (screen_ != nullptr && screen_->QuitRequested() && !EscapeQueued())
        queue_.push_front(KeyDown(kVkEscape, 0x1B));
}

bool PosixInput::PeekConsoleInputW(InputRecord* record) {
    Pump(0);
    if (queue_.empty()) {
        if (screen_ != nullptr) screen_->Present();
        const Clock::time_point now = Clock::now();
        if (now - lastEmptyPeek_ < kBusyPollGap) Pump(kBusyPollWaitMs);
        lastEmptyPeek_ = now;
        if (queue_.empty()) return false;
    }
    *record = queue_.front();
    return true;
}

void PosixInput::FlushConsoleInputBuffer() {
    queue_.clear();
    keys_.clear();
    parser_.Reset();
    ::tcflush(fd_, TCIFLUSH);
    // tcflush covers a terminal; anything else (and bytes racing the flush)
    // is read off and dropped.
    for (int i = 0; i < kMaxDrainReads; ++i) {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, 0) <= 0 || (ready.revents & POLLIN) == 0) break;
        unsigned char bytes[256];
        if (::read(fd_, bytes, sizeof bytes) <= 0) break;
    }
}

bool PosixInput::WaitForInput(std::uint32_t timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Pump(0);
    while (queue_.empty()) {
        if (screen_ != nullptr) screen_->Present();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        Pump(static_cast<int>(std::min<long long>(left, 1000)));
    }
    return true;
}

}  // namespace zumbrik
