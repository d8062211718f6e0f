// Writes the game's music module: zumbrik-compose-theme OUTPUT.xm
#include <cstdio>

#include "resources/theme/compose_theme.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.xm\n", argv[0]);
        return 2;
    }
    const std::vector<std::uint8_t> bytes = zumbrik::theme::ComposeTheme();
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
