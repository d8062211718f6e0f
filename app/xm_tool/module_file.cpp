#include "app/xm_tool/module_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/xm_tool/system_files.h"
#include "player/formats/song_loader.h"
#include "player/song/module_source.h"

namespace zumbrik {

namespace {

// No module the player can hold comes from a larger file.
constexpr std::size_t kMostStreamBytes = ModuleArena::kDefaultCap;

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

// Reads a whole stream (standard input, a pipe, a device, a file to keep).
// False, with the reason, when it fails or holds more than a module can.
bool ReadStream(std::FILE* file, std::vector<std::uint8_t>& bytes, std::string& problem) {
    std::uint8_t block[65536];
    while (true) {
        const std::size_t got = std::fread(block, 1, sizeof block, file);
        if (bytes.size() + got > kMostStreamBytes) {
            problem = "more than " + std::to_string(kMostStreamBytes >> 20) + " MiB, too large for a module";
            return false;
        }
        bytes.insert(bytes.end(), block, block + got);
        if (got < sizeof block) break;
    }
    if (std::ferror(file) != 0) {
        problem = "reading failed: " + SystemReason(errno);
        return false;
    }
    return true;
}

// Standard input can be read only once; a play list naming "-" twice, or
// going back to it, plays what the first read got.
struct StandardInput {
    bool read = false;
    std::vector<std::uint8_t> bytes;
    std::string problem;
};

const StandardInput& ReadStandardInputOnce() {
    static StandardInput input;
    if (!input.read) {
        input.read = true;
        UseBinaryMode(stdin);
        ReadStream(stdin, input.bytes, input.problem);
    }
    return input;
}

// Opens the input for reading, or says why not in the words of a person
// who typed the path.
std::FILE* OpenInput(const std::string& path, bool& regular, std::string& problem) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        problem = "no such file";
        return nullptr;
    }
    if (status.type() == fs::file_type::directory) {
        problem = "is a folder, not a module file";
        return nullptr;
    }
    regular = status.type() == fs::file_type::regular;
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) problem = "cannot open the file: " + SystemReason(errno != 0 ? errno : EACCES);
    return file;
}

}  // namespace

std::string InputName(const std::string& path) {
    return path == "-" ? "standard input" : path;
}

std::string PrintableName(const char* name) {
    std::string result;
    for (const char* c = name; *c != 0; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        result += byte >= 32 && byte < 127 ? *c : '?';
    }
    while (!result.empty() && result.back() == ' ') result.pop_back();
    return result;
}

std::unique_ptr<ModuleFile> LoadModuleFile(const std::string& path, std::ostream& err, bool keepBytes) {
    auto module = std::make_unique<ModuleFile>();
    std::string problem;
    bool regular = false;
    if (path == "-") {
        const StandardInput& input = ReadStandardInputOnce();
        module->bytes = input.bytes;
        problem = input.problem;
    } else if (std::FILE* file = OpenInput(path, regular, problem)) {
        if (!regular || keepBytes) {
            ReadStream(file, module->bytes, problem);
        } else {
            // The file is read again through the player's own source, which
            // stays lenient about files that end early.
            const std::size_t got = std::fread(module->leadingBytes.data(), 1, module->leadingBytes.size(), file);
            static_cast<void>(got);  // a shorter file leaves zeros
        }
        std::fclose(file);
    }
    if (!problem.empty()) {
        err << "zumbrik-xm: " << InputName(path) << ": " << problem << "\n";
        return nullptr;
    }
    const bool fromFile = regular && !keepBytes;
    std::uint8_t cache[kFileCacheBlock];
    ModuleSource source = fromFile
                              ? MakeFileSource(path.c_str(), cache)
                              : MakeMemorySource(module->bytes.data(), static_cast<std::uint32_t>(module->bytes.size()));
    if (!fromFile) {
        std::copy_n(module->bytes.begin(), std::min(module->bytes.size(), module->leadingBytes.size()),
                    module->leadingBytes.begin());
    }
    SongLoad load = LoadSong(source);
    if (!load.song) {
        err << "zumbrik-xm: " << InputName(path) << ": " << LoadResultText(load.result) << "\n";
        return nullptr;
    }
    module->loaded = std::move(load.song);
    if (module->CutShort()) {
        err << "zumbrik-xm: " << InputName(path)
            << ": warning: the file ends before all the data its headers describe; what is missing plays as silence\n";
    }
    return module;
}

}  // namespace zumbrik
