#include "LayerCheck.h"

#include <fstream>
#include <map>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace layers {

const std::vector<Layer>& TreeLayers()
{
    static const std::vector<Layer> layers = {
        {"platform/rtl", {}, true},
        {"platform/winapi", {"platform/rtl"}},
        {"platform/db", {"platform/rtl"}, true},
        {"platform/sheets", {"platform/rtl"}, true},
        {"platform/vcl", {"platform/winapi"}},
        {"platform/ado", {"platform/db"}, true},
        {"components/foundation/core", {"platform/db"}, true},
        {"components/memtable", {"components/foundation/core"}, true},
        {"components/sqldriver", {"components/memtable", "platform/ado"}, true},
        {"components/foundation", {"components/foundation/core", "platform/vcl"}},
        {"components/editors", {"components/foundation", "components/memtable"}},
        {"components/axisgrid", {"components/editors"}},
        {"components/gridtools/core", {"components/axisgrid"}},
        {"components/dbgrid", {"components/editors", "components/axisgrid", "components/gridtools/core"}},
        {"components/lookup", {"components/dbgrid"}},
        {"components/gridtools", {"components/dbgrid"}},
        {"components/output", {"components/dbgrid"}},
        {"app/engine",
         {"components/lookup", "components/gridtools", "components/output", "platform/ado", "platform/sheets"}},
        {"app/ui", {"app/engine"}},
        {"app", {"app/ui"}},
    };
    return layers;
}

namespace {

const char* const kLibraryRoots[] = {"platform", "components", "app"};
const char* const kWindowModules[] = {"QtGui", "QtWidgets", "QtPrintSupport"};

bool IsSource(const fs::path& p)
{
    const auto ext = p.extension().string();
    return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc";
}

// The layer holding a file given relative to the top: the longest folder that contains it.
const Layer* LayerOf(const std::string& rel, const std::vector<Layer>& layers)
{
    const Layer* best = nullptr;
    for (const auto& l : layers)
        if (rel.compare(0, l.Folder.size() + 1, l.Folder + "/") == 0
            && (!best || l.Folder.size() > best->Folder.size()))
            best = &l;
    return best;
}

bool InLibraries(const std::string& rel)
{
    for (const char* r : kLibraryRoots)
        if (rel.compare(0, std::string(r).size() + 1, std::string(r) + "/") == 0)
            return true;
    return false;
}

// Folders each layer may include: itself and everything it sits on, however deep.
std::map<std::string, std::set<std::string>> Reach(const std::vector<Layer>& layers)
{
    std::map<std::string, const Layer*> byFolder;
    for (const auto& l : layers)
        byFolder[l.Folder] = &l;
    std::map<std::string, std::set<std::string>> reach;
    for (const auto& l : layers) {
        auto& r = reach[l.Folder];
        std::vector<std::string> todo = {l.Folder};
        while (!todo.empty()) {
            const std::string f = todo.back();
            todo.pop_back();
            if (!r.insert(f).second)
                continue;
            if (auto it = byFolder.find(f); it != byFolder.end())
                todo.insert(todo.end(), it->second->SitsOn.begin(), it->second->SitsOn.end());
        }
    }
    return reach;
}

// The Qt module of an angle include, or empty when it is not a Qt header.
std::string QtModule(const std::string& name, const fs::path& qtInclude)
{
    if (name.rfind("Qt", 0) == 0) {
        const auto slash = name.find('/');
        return slash == std::string::npos ? name : name.substr(0, slash);
    }
    if (name.empty() || name[0] != 'Q' || name.find('/') != std::string::npos || qtInclude.empty())
        return {};
    for (const char* m : kWindowModules) {
        std::error_code ec;
        if (fs::exists(qtInclude / m / name, ec))
            return m;
    }
    return {};
}

std::string Relative(const fs::path& p, const fs::path& root)
{
    return fs::weakly_canonical(p).lexically_relative(root).generic_string();
}

}  // namespace

std::vector<std::string> CheckLayers(const fs::path& rootIn, const fs::path& qtInclude,
                                     const std::vector<Layer>& layers)
{
    const fs::path root = fs::weakly_canonical(rootIn);
    const auto reach = Reach(layers);
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<std::string> problems;
    std::vector<fs::path> files;
    for (const char* r : kLibraryRoots) {
        std::error_code ec;
        if (!fs::is_directory(root / r, ec))
            continue;
        for (const auto& e : fs::recursive_directory_iterator(root / r))
            if (e.is_regular_file() && IsSource(e.path()))
                files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());

    for (const auto& file : files) {
        const std::string rel = Relative(file, root);
        const Layer* layer = LayerOf(rel, layers);
        if (!layer) {
            problems.push_back(rel + ": its folder belongs to no layer");
            continue;
        }
        const auto& allowed = reach.at(layer->Folder);
        std::ifstream in(file);
        std::string line;
        for (int lineNo = 1; std::getline(in, line); ++lineNo) {
            std::smatch m;
            if (!std::regex_search(line, m, include))
                continue;
            const std::string name = m[2];
            const std::string where = rel + ":" + std::to_string(lineNo) + ": ";
            // Quoted names are looked up beside the file first, then from the top, as the build does.
            fs::path target;
            std::error_code ec;
            if (m[1] == "\"" && fs::exists(file.parent_path() / name, ec))
                target = file.parent_path() / name;
            else if (fs::exists(root / name, ec))
                target = root / name;
            else if (m[1] == "\"") {
                // Every library folder is an include folder of the libraries above it, so a bare
                // name may be any layer's; one the file may reach wins.
                for (const auto& l : layers) {
                    if (!fs::exists(root / l.Folder / name, ec))
                        continue;
                    target = root / l.Folder / name;
                    if (allowed.count(l.Folder))
                        break;
                }
            }
            if (target.empty()) {
                const std::string module = m[1] == "<" ? QtModule(name, qtInclude) : std::string();
                if (layer->Windowless
                    && std::find(std::begin(kWindowModules), std::end(kWindowModules), module)
                        != std::end(kWindowModules))
                    problems.push_back(where + layer->Folder + " has no windowing but includes <" + name + "> ("
                                       + module + ")");
                continue;
            }
            const std::string targetRel = Relative(target, root);
            if (!InLibraries(targetRel)) {
                problems.push_back(where + "includes " + targetRel + ", which is no library's");
                continue;
            }
            const Layer* targetLayer = LayerOf(targetRel, layers);
            if (!targetLayer || !allowed.count(targetLayer->Folder))
                problems.push_back(where + layer->Folder + " includes " + targetRel + " of "
                                   + (targetLayer ? targetLayer->Folder : std::string("no layer"))
                                   + ", which it does not sit on");
        }
    }
    return problems;
}

}  // namespace layers
