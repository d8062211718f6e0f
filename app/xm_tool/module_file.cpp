#include "app/xm_tool/module_file.h"

#include "player/module_source.h"
#include "player/xm_loader.h"

namespace zumbrik {

std::unique_ptr<LoadedModule> LoadModuleFile(const std::string& path, std::ostream& err) {
    auto module = std::make_unique<LoadedModule>();
    auto cache = std::make_unique<MixBuffer>();
    ModuleSource source = MakeFileSource(path.c_str(), *cache);
    const LoadResult result = LoadModule(source, module->arena, module->state);
    source.Close();
    if (result != LoadResult::Loaded) {
        err << "zumbrik-xm: " << path << ": " << LoadResultText(result) << "\n";
        return nullptr;
    }
    return module;
}

}  // namespace zumbrik
