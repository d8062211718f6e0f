// Draws the application icon: a few falling-block pieces in the game's own
// piece colours, at the three sizes Windows asks for, into one .ico file.
//   make_icon OUT.ico          writes the icon
//   make_icon --check FILE     exits 1 unless FILE holds exactly this icon
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zumbrik {
namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

// The bright half of the console palette, as the pieces show on screen.
Rgb Colour(char code) {
    switch (code) {
        case 'C': return {0x55, 0xFF, 0xFF};  // bright cyan
        case 'Y': return {0xFF, 0xFF, 0x55};  // yellow
        case 'M': return {0xFF, 0x55, 0xFF};  // bright magenta
        case 'R': return {0xFF, 0x55, 0x55};  // bright red
        case 'G': return {0x55, 0xFF, 0x55};  // bright green
        default: return {0x55, 0x55, 0xFF};   // bright blue
    }
}

// An S piece falling towards a stack; '.' is transparent.
constexpr const char* kPicture[8] = {
    "........",
    "...CC...",
    "..CC....",
    "........",
    "R.....YY",
    "RR..G..Y",
    "BR.GGMMY",
    "BBBGMMMB",
};

std::uint8_t Shade(std::uint8_t v, int percent) {
    const int s = v * percent / 100;
    return static_cast<std::uint8_t>(s > 255 ? 255 : s);
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One icon image: a 32-bit bottom-up bitmap with alpha, then its AND mask.
std::vector<std::uint8_t> Image(int size) {
    const int cell = size / 8;
    // Blocks get a light top-left and a dark bottom-right edge once they are
    // big enough for an edge to read as one.
    const int edge = cell >= 4 ? cell / 4 : 0;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(size * 2));  // colour bitmap plus mask
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i) Put32(out, 0);

    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const char code = kPicture[y / cell][x / cell];
            if (code == '.') {
                Put32(out, 0);
                continue;
            }
            const int cx = x % cell, cy = y % cell;
            int percent = 100;
            if (cx < edge || cy < edge) percent = 125;
            if (cx >= cell - edge || cy >= cell - edge) percent = 60;
            const Rgb c = Colour(code);
            out.push_back(Shade(c.b, percent));
            out.push_back(Shade(c.g, percent));
            out.push_back(Shade(c.r, percent));
            out.push_back(0xFF);
        }
    }
    const int maskRow = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskRow), 0);
        for (int x = 0; x < size; ++x)
            if (kPicture[y / cell][x / cell] == '.') row[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<std::uint8_t> Icon() {
    const int sizes[] = {16, 32, 48};
    std::vector<std::vector<std::uint8_t>> images;
    for (int s : sizes) images.push_back(Image(s));

    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<std::uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

}  // namespace
}  // namespace zumbrik

int main(int argc, char** argv) {
    const std::vector<std::uint8_t> icon = zumbrik::Icon();
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
        std::ifstream in(argv[2], std::ios::binary);
        const std::vector<std::uint8_t> have{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (have == icon) return 0;
        std::fprintf(stderr, "%s is not the icon this program draws; run make_icon %s\n", argv[2], argv[2]);
        return 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUT.ico | make_icon --check FILE\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(icon.data()), static_cast<std::streamsize>(icon.size()));
    return out ? 0 : 1;
}
