#include "app/xm_tool/module_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/xm_tool/system_files.h"
#include "player/song/module_source.h"
#include "player/formats/song_loader.h"

namespace zumbrik {

namespace {

// No module the player can hold comes from a larger file.
constexpr std::size_t kMostStreamBytes = ModuleArena::kDefaultCap;

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

// Reads a whole stream (standard input, a pipe, a device). False, with the
// reason, when it fails or holds more than a module can.
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

std::unique_ptr<LoadedModule> LoadModuleFile(const std::string& path, std::ostream& err) {
    auto module = std::make_unique<LoadedModule>();
    auto cache = std::make_unique<std::uint8_t[]>(kFileCacheBlock);
    std::vector<std::uint8_t> bytes;
    std::string problem;
    ModuleSource source;
    if (path == "-") {
        UseBinaryMode(stdin);
        if (!ReadStream(stdin, bytes, problem)) {
            err << "zumbrik-xm: standard input: " << problem << "\n";
            return nullptr;
        }
        source = MakeMemorySource(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    } else {
        bool regular = false;
        std::FILE* file = OpenInput(path, regular, problem);
        if (file != nullptr && !regular) {
            ReadStream(file, bytes, problem);
        } else if (file != nullptr) {
            // The file is read again through the player's own source, which
            // stays lenient about files that end early.
            const std::size_t got = std::fread(module->leadingBytes.data(), 1, module->leadingBytes.size(), file);
            static_cast<void>(got);  // a shorter file leaves zeros, as the loader reads it
        }
        if (file != nullptr) std::fclose(file);
        if (!problem.empty()) {
            err << "zumbrik-xm: " << path << ": " << problem << "\n";
            return nullptr;
        }
        source = regular ? MakeFileSource(path.c_str(), cache.get())
                         : MakeMemorySource(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    if (source.kind == SourceKind::Memory) {
        std::copy_n(bytes.begin(), std::min(bytes.size(), module->leadingBytes.size()), module->leadingBytes.begin());
    }
    const LoadResult result = LoadModule(source, module->arena, module->song);
    module->cutShort = source.readPastEnd || source.position > source.Length();
    source.Close();
    if (result != LoadResult::Loaded) {
        err << "zumbrik-xm: " << InputName(path) << ": " << LoadResultText(result) << "\n";
        return nullptr;
    }
    if (module->cutShort) {
        err << "zumbrik-xm: " << InputName(path)
            << ": warning: the file ends before all the data its headers describe; what is missing plays as silence\n";
    }
    return module;
}

}  // namespace zumbrik
