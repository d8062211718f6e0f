#include "platform/posix/byte_sink.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace zumbrik {

void FdSink::Write(std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n > 0) {
            p += n;
            left -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A terminal that takes nothing for a whole second is stuck; drop the frame.
            pollfd wait{fd_, POLLOUT, 0};
            const int ready = ::poll(&wait, 1, 1000);
            if (ready == 0 || (ready < 0 && errno != EINTR)) return;
        } else {
            return;
        }
    }
}

}  // namespace zumbrik
