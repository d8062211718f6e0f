#include "app/xm_tool/module_file.h"

#include <fstream>

#include "player/module_source.h"
#include "player/xm_loader.h"

namespace zumbrik {

std::unique_ptr<LoadedModule> LoadModuleFile(const std::string& path, std::ostream& err) {
    // The file source reads zeros from a file it cannot open, so a missing
    // file is told apart here, where the user can be told why.
    if (!std::ifstream(path, std::ios::binary)) {
        err << "zumbrik-xm: " << path << ": cannot open the file\n";
        return nullptr;
    }
    auto module = std::make_unique<LoadedModule>();
    auto cache = std::make_unique<MixBuffer>();
    ModuleSource source = MakeFileSource(path.c_str(), *cache);
    const bool loaded = LoadModule(source, module->arena, module->state);
    source.Close();
    if (!loaded) {
        err << "zumbrik-xm: " << path << ": not a module the player accepts (a limit is broken or it is too large)\n";
        return nullptr;
    }
    return module;
}

}  // namespace zumbrik
