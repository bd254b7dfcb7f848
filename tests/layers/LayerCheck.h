// The layer check: a library may include headers of its own layer and of the layers it sits
// on, never of a layer above it or beside it, and a windowless layer includes no Qt GUI module.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace layers {

struct Layer {
    std::string Folder;                 // relative to the tree's top, e.g. "components/memtable"
    std::vector<std::string> SitsOn;    // the layers directly below it
    bool Windowless = false;            // no Qt Gui, Widgets or PrintSupport
};

// The tree's layers, lowest first.
const std::vector<Layer>& TreeLayers();

// Every violation under the library folders of root, one line each ("file:line: what");
// empty when the tree keeps its layers. qtInclude is Qt's header root (holding QtCore,
// QtGui, ...), used to tell which module a bare <QName> include belongs to; may be empty.
std::vector<std::string> CheckLayers(const std::filesystem::path& root, const std::filesystem::path& qtInclude,
                                     const std::vector<Layer>& layers = TreeLayers());

}  // namespace layers
