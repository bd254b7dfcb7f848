#include "LayerCheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

// A throw-away tree of the given files (path -> contents).
class Tree {
public:
    explicit Tree(const std::map<std::string, std::string>& files)
    {
        Root = fs::temp_directory_path() / ("layer_check_" + std::to_string(::getpid()) + "_" + std::to_string(Next++));
        fs::remove_all(Root);
        for (const auto& [path, text] : files) {
            fs::create_directories((Root / path).parent_path());
            std::ofstream(Root / path) << text;
        }
    }
    ~Tree() { fs::remove_all(Root); }
    fs::path Root;

private:
    static inline int Next = 0;
};

// A fake Qt header root: QColor lives in QtGui, QString in QtCore.
fs::path FakeQt(const Tree& t)
{
    return t.Root / "qt";
}

const std::map<std::string, std::string> kBase = {
    {"platform/rtl/Variants.h", "#pragma once\n"},
    {"platform/db/DB.h", "#include \"platform/rtl/Variants.h\"\n"},
    {"platform/vcl/Controls.h", "#include <QColor>\n"},
    {"components/foundation/core/ToolCtrlsEh_Core.h", "#include \"platform/db/DB.h\"\n"},
    {"components/foundation/ToolCtrlsEh.h", "#include \"core/ToolCtrlsEh_Core.h\"\n#include \"platform/vcl/Controls.h\"\n"},
    {"components/memtable/MemTableEh.h", "#include \"components/foundation/core/ToolCtrlsEh_Core.h\"\n#include <QString>\n"},
    {"app/engine/Run.cpp", "#include \"components/memtable/MemTableEh.h\"\n#include \"components/foundation/ToolCtrlsEh.h\"\n"},
    {"tests/support/Env.h", ""},
    {"qt/QtGui/QColor", ""},
    {"qt/QtCore/QString", ""},
};

struct Case {
    const char* Name;
    const char* File;
    const char* Text;
    const char* Expected;   // a part of the one violation, or "" for none
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.Name; }

class LayerCheck : public testing::TestWithParam<Case> {};

TEST_P(LayerCheck, FindsWhatCrossesTheLayers)
{
    const Case& c = GetParam();
    auto files = kBase;
    files[c.File] = c.Text;
    Tree t(files);
    const auto problems = layers::CheckLayers(t.Root, FakeQt(t));
    if (std::string(c.Expected).empty()) {
        EXPECT_TRUE(problems.empty()) << problems.front();
    } else {
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find(c.Expected), std::string::npos) << problems[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayerCheck,
    testing::Values(
        Case{"Clean", "components/memtable/Extra.cpp", "#include \"MemTableEh.h\"\n#include <vector>\n", ""},
        Case{"PlatformIncludesComponents", "platform/db/Fields.cpp",
             "#include \"components/memtable/MemTableEh.h\"\n", "platform/db includes components/memtable/MemTableEh.h"},
        // Beside, not above: the in-memory table must not reach the drawing half of the foundation.
        Case{"MemtableIncludesDrawing", "components/memtable/Grid.h", "  #  include \"components/foundation/ToolCtrlsEh.h\"\n",
             "components/memtable includes components/foundation/ToolCtrlsEh.h of components/foundation"},
        Case{"CoreIncludesDrawingByRelativePath", "components/foundation/core/Bad.cpp", "#include \"../ToolCtrlsEh.h\"\n",
             "components/foundation/core includes components/foundation/ToolCtrlsEh.h"},
        // A bare name resolves through the include folders of the libraries it links.
        Case{"BareNameOfALowerLayer", "components/foundation/Grid.cpp", "#include \"DB.h\"\n", ""},
        Case{"BareNameOfAHigherLayer", "components/memtable/Tree.cpp", "#include \"ToolCtrlsEh.h\"\n",
             "components/memtable includes components/foundation/ToolCtrlsEh.h"},
        Case{"WindowlessIncludesQtGui", "components/foundation/core/Paint.cpp", "#include <QColor>\n",
             "has no windowing but includes <QColor> (QtGui)"},
        Case{"WindowlessIncludesQtWidgetsByModule", "platform/rtl/Ui.cpp", "#include <QtWidgets/QWidget>\n",
             "(QtWidgets)"},
        Case{"LibraryIncludesTests", "platform/rtl/T.cpp", "#include \"tests/support/Env.h\"\n", "which is no library's"},
        Case{"FolderOutsideTheLayers", "components/stray/X.h", "#pragma once\n", "belongs to no layer"}),
    [](const testing::TestParamInfo<Case>& i) { return std::string(i.param.Name); });

TEST(LayerCheck, ReportsFileAndLine)
{
    auto files = kBase;
    files["platform/rtl/Up.h"] = "#pragma once\n// why\n#include \"platform/vcl/Controls.h\"\n";
    Tree t(files);
    const auto problems = layers::CheckLayers(t.Root, FakeQt(t));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("platform/rtl/Up.h:3: ", 0), 0u) << problems[0];
}

}  // namespace
