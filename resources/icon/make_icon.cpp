// Draws the application icon: a few falling-block pieces in the game's own
// piece colours, at the three sizes Windows asks for, into one .ico file, or
// at 48 x 48 into a PNG for the desktop's icon theme.
//   make_icon OUT.ico|OUT.png          writes the icon
//   make_icon --check FILE.ico|.png    exits 1 unless FILE holds exactly this icon
#include <algorithm>
#include <cstddef>
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

struct Rgba {
    std::uint8_t r, g, b, a;
};

// The pixel at (x, y) of the picture drawn `size` pixels wide, y from the top.
Rgba Pixel(int x, int y, int size) {
    const int cell = size / 8;
    // Blocks get a light top-left and a dark bottom-right edge once they are
    // big enough for an edge to read as one.
    const int edge = cell >= 4 ? cell / 4 : 0;
    const char code = kPicture[y / cell][x / cell];
    if (code == '.') return {0, 0, 0, 0};
    const int cx = x % cell, cy = y % cell;
    int percent = 100;
    if (cx < edge || cy < edge) percent = 125;
    if (cx >= cell - edge || cy >= cell - edge) percent = 60;
    const Rgb c = Colour(code);
    return {Shade(c.r, percent), Shade(c.g, percent), Shade(c.b, percent), 0xFF};
}

// One icon image: a 32-bit bottom-up bitmap with alpha, then its AND mask.
std::vector<std::uint8_t> Image(int size) {
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(size * 2));  // colour bitmap plus mask
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i) Put32(out, 0);

    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const Rgba p = Pixel(x, y, size);
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    }
    const int maskRow = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskRow), 0);
        for (int x = 0; x < size; ++x)
            if (Pixel(x, y, size).a == 0) row[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
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

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

void PutChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
    PutBig32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBig32(png, Crc32(png.data() + start, png.size() - start));
}

// The picture as an RGBA PNG. Its pixels go into stored (uncompressed)
// deflate blocks, which need no compressor: the file stays small anyway.
std::vector<std::uint8_t> Png(int size) {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < size; ++y) {
        pixels.push_back(0);  // no filter on this row
        for (int x = 0; x < size; ++x) {
            const Rgba p = Pixel(x, y, size);
            pixels.insert(pixels.end(), {p.r, p.g, p.b, p.a});
        }
    }
    std::vector<std::uint8_t> zlib = {0x78, 0x01};
    for (std::size_t at = 0; at < pixels.size(); at += 65535) {
        const auto length = static_cast<std::uint16_t>(std::min<std::size_t>(65535, pixels.size() - at));
        zlib.push_back(at + length == pixels.size() ? 1 : 0);  // final block?
        Put16(zlib, length);
        Put16(zlib, static_cast<std::uint16_t>(~length));
        zlib.insert(zlib.end(), pixels.begin() + static_cast<std::ptrdiff_t>(at),
                    pixels.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    PutBig32(zlib, Adler32(pixels));

    std::vector<std::uint8_t> header;
    PutBig32(header, static_cast<std::uint32_t>(size));
    PutBig32(header, static_cast<std::uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits per channel, RGBA, no interlace
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

// The icon for a file name: a PNG for "*.png", else the .ico.
std::vector<std::uint8_t> IconFor(const std::string& path) {
    const bool png = path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0;
    return png ? Png(48) : Icon();
}

}  // namespace
}  // namespace zumbrik

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
        const std::vector<std::uint8_t> icon = zumbrik::IconFor(argv[2]);
        std::ifstream in(argv[2], std::ios::binary);
        const std::vector<std::uint8_t> have{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (have == icon) return 0;
        std::fprintf(stderr, "%s is not the icon this program draws; run make_icon %s\n", argv[2], argv[2]);
        return 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUT.ico|OUT.png | make_icon --check FILE\n");
        return 2;
    }
    const std::vector<std::uint8_t> icon = zumbrik::IconFor(argv[1]);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(icon.data()), static_cast<std::streamsize>(icon.size()));
    return out ? 0 : 1;
}
