// Process-wide objects go when the application goes, while its windowing is still there:
// the shared memo and rich-text editor forms, the picture editor dialog and whatever a unit
// registered, the last registered first. This executable makes and ends its own application.
#include "components/editors/MemoEditFormsEh.h"
#include "components/editors/PictureEditFormsEh.h"
#include "components/editors/RichEditFormsEh.h"
#include "platform/vcl/Forms.h"
#include "support/DialogScript.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct TFreed {
    std::string Name;
    bool ToolkitThere;
};

// Notes every watched component's end, and whether the toolkit's application still stood.
class TEndWatch : public TComponent {
public:
    explicit TEndWatch(TComponent* AOwner) : TComponent(AOwner) {}
    std::vector<TFreed>* Log = nullptr;
    void Watch(TComponent* C, const char* Name)
    {
        C->FreeNotification(this);
        FNames.emplace_back(C, Name);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation != opRemove || !Log)
            return;
        for (const auto& [c, name] : FNames)
            if (c == AComponent)
                Log->push_back({name, QCoreApplication::instance() != nullptr});
    }

private:
    std::vector<std::pair<TComponent*, std::string>> FNames;
};

}  // namespace

TEST(ApplicationEnd, SharedFormsAndUnitObjectsGoWhileTheApplicationStillStands)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "dovrelin-test";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QApplication>(argc, argv);

    std::vector<TFreed> log;
    FreeWhenApplicationGoesEh([&] { log.push_back({"first", QCoreApplication::instance() != nullptr}); });
    TMemoEditWinEh* memo = TMemoEditWinEh::GetGlobalRef();
    TRichEditWinEh* rich = TRichEditWinEh::GetGlobalRef();
    memo->Show();
    rich->Show();
    Application->ProcessMessages();
    memo->Hide();
    rich->Hide();
    // The picture editor is made on first use; the user cancels it at once.
    TPicture picture;
    {
        testsupport::TDialogScript user;
        user.Then(mrCancel);
        EXPECT_FALSE(ShowPictureEditorDialog(&picture));
    }
    TComponent* pictureEditor = nullptr;
    for (int i = 0; i < Application->ComponentCount(); ++i)
        if (dynamic_cast<TPictureEditorDialog*>(Application->Components(i)))
            pictureEditor = Application->Components(i);
    ASSERT_NE(pictureEditor, nullptr);
    auto* watch = Create<TEndWatch>(nullptr);
    watch->Log = &log;
    watch->Watch(memo, "memo");
    watch->Watch(rich, "rich");
    watch->Watch(pictureEditor, "picture");
    FreeWhenApplicationGoesEh([&] { log.push_back({"last", QCoreApplication::instance() != nullptr}); });

    app.reset();

    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].Name, "last");
    EXPECT_EQ(log[1].Name, "picture");
    EXPECT_EQ(log[2].Name, "rich");
    EXPECT_EQ(log[3].Name, "memo");
    EXPECT_EQ(log[4].Name, "first");
    for (const TFreed& f : log)
        EXPECT_TRUE(f.ToolkitThere) << f.Name;
    EXPECT_EQ(TCustomDropDownFormEh::GetGlobalRef(TMemoEditWinEh::StaticClassInfo()), nullptr);
    EXPECT_EQ(TCustomDropDownFormEh::GetGlobalRef(TRichEditWinEh::StaticClassInfo()), nullptr);
    // Every one ran once: a second end finds nothing left.
    log.clear();
    app = std::make_unique<QApplication>(argc, argv);
    app.reset();
    EXPECT_TRUE(log.empty());
    delete watch;
}
