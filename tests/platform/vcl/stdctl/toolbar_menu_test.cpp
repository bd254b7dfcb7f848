// A tool bar and a main menu as a form resource holds them: the bar lays its controls out in
// a row and groups its check buttons, the menu's items nest, and both survive a round trip.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/rtl/Filer.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {

const char* const BarForm = R"(object BarForm: TForm
  Width = 400
  Height = 100
  object Bar: TToolBar
    AutoSize = True
    BorderWidth = 2
    Images = Pictures
    Indent = 4
    object Plain: TToolButton
      ImageIndex = 0
    end
    object Gap: TToolButton
      Style = tbsSeparator
    end
    object Combo: TComboBox
      Width = 60
      Height = 24
    end
    object Bold: TToolButton
      ImageIndex = 1
      Style = tbsCheck
    end
    object Left: TToolButton
      Style = tbsCheck
      Grouped = True
    end
    object Right: TToolButton
      Style = tbsCheck
      Grouped = True
    end
    object Hidden: TToolButton
      Visible = False
    end
    object Last: TToolButton
      Style = tbsCheck
      Grouped = True
    end
  end
  object Pictures: TImageList
  end
end
)";

struct BarFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TToolBar* Bar = nullptr;
    void SetUp() override
    {
        RegisterClasses<TToolBar, TToolButton, TComboBox, TImageList>();
        ReadComponentRes(QByteArray(BarForm), Form.get());
        Bar = dynamic_cast<TToolBar*>(Form->FindComponent("Bar"));
        ASSERT_NE(Bar, nullptr);
    }
    TToolButton* Button(const char* name) { return dynamic_cast<TToolButton*>(Form->FindComponent(name)); }
    void Click(TControl* c)
    {
        QWidget* w = Bar->Widget();
        const QPoint p(c->Left() + c->Width() / 2, c->Top() + c->Height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    }
};

}  // namespace

TEST_F(BarFixture, ControlsStandInARowFromTheIndentAndTheBarFitsTheTallest)
{
    struct Case { const char* Name; int Left, Width, Height; };
    const Case cases[] = {
        {"Plain", 6, 23, 22}, {"Gap", 29, 8, 22}, {"Combo", 37, 60, 24},
        {"Bold", 97, 23, 22}, {"Left", 120, 23, 22}, {"Right", 143, 23, 22}, {"Last", 166, 23, 22},
    };
    for (const Case& c : cases) {
        auto* control = dynamic_cast<TControl*>(Form->FindComponent(c.Name));
        ASSERT_NE(control, nullptr) << c.Name;
        EXPECT_EQ(control->Left(), c.Left) << c.Name;
        EXPECT_EQ(control->Top(), 2) << c.Name;
        EXPECT_EQ(control->Width(), c.Width) << c.Name;
        EXPECT_EQ(control->Height(), c.Height) << c.Name;
    }
    EXPECT_EQ(Bar->Height(), 24 + 2 * 2);
    EXPECT_EQ(Bar->Top(), 0);
    EXPECT_EQ(Bar->Width(), Form->ClientWidth());
    EXPECT_EQ(Form->ClientWidth(), 400);
    EXPECT_EQ(Bar->ButtonCount(), 7);
}

TEST_F(BarFixture, CheckButtonsToggleAndGroupedOnesActAsOneGroup)
{
    Form->Show();
    int clicks = 0;
    Button("Bold")->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    Click(Button("Bold"));
    EXPECT_TRUE(Button("Bold")->Down());
    Click(Button("Bold"));
    EXPECT_FALSE(Button("Bold")->Down());
    EXPECT_EQ(clicks, 2);

    Click(Button("Left"));
    EXPECT_TRUE(Button("Left")->Down());
    Click(Button("Right"));
    EXPECT_TRUE(Button("Right")->Down());
    EXPECT_FALSE(Button("Left")->Down());
    // A hidden button does not break the run; a plain button never stays down.
    Click(Button("Last"));
    EXPECT_TRUE(Button("Last")->Down());
    EXPECT_FALSE(Button("Right")->Down());
    Click(Button("Plain"));
    EXPECT_FALSE(Button("Plain")->Down());
    EXPECT_FALSE(Button("Bold")->Down());
}

TEST_F(BarFixture, ButtonsShowTheirImageOfTheBarsList)
{
    auto* pictures = dynamic_cast<TImageList*>(Form->FindComponent("Pictures"));
    ASSERT_EQ(Bar->Images(), pictures);
    for (TColor color : {clRed, clBlue}) {
        TBitmap b;
        b.SetSize(16, 16);
        b.Canvas()->Brush()->SetColor(color);
        b.Canvas()->FillRect(TRect(0, 0, 16, 16));
        pictures->Add(&b, nullptr);
    }
    Form->Show();
    const QImage shot = Bar->Widget()->grab().toImage();
    auto centre = [&](const char* name) {
        TControl* c = Button(name);
        return shot.pixelColor(c->Left() + c->Width() / 2, c->Top() + c->Height() / 2);
    };
    EXPECT_EQ(centre("Plain"), QColor(Qt::red));
    EXPECT_EQ(centre("Bold"), QColor(Qt::blue));
    // Freeing the list leaves the bar without one.
    delete pictures;
    EXPECT_EQ(Bar->Images(), nullptr);
}

TEST(MainMenuStreaming, ItemsNestWithShortCutsHintsAndHandlersAndRoundTrip)
{
    RegisterClasses<TMainMenu, TMenuItem>();
    const char* text = R"(object MenuForm: TForm
  object Menu: TMainMenu
    object FileItem: TMenuItem
      Caption = '&File'
      object OpenItem: TMenuItem
        Caption = '&Open...'
        Hint = 'Open an existing file'
        ShortCut = 16463
      end
      object Line: TMenuItem
        Caption = '-'
      end
      object ExitItem: TMenuItem
        Caption = 'E&xit'
        ShortCut = 32856
      end
    end
    object EditItem: TMenuItem
      Caption = '&Edit'
    end
  end
end
)";
    for (int pass = 0; pass < 2; ++pass) {
        auto form = CreateUnique<TForm>(nullptr);
        static QByteArray written;
        ReadComponentRes(pass == 0 ? QByteArray(text) : written, form.get());
        auto* menu = dynamic_cast<TMainMenu*>(form->FindComponent("Menu"));
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->Items()->Count(), 2);
        TMenuItem* file = menu->Items()->Items(0);
        EXPECT_EQ(file->Name(), "FileItem");
        EXPECT_EQ(menu->Items()->Items(1)->Caption, "&Edit");
        ASSERT_EQ(file->Count(), 3);
        EXPECT_EQ(file->Items(0)->Hint, "Open an existing file");
        EXPECT_EQ(file->Items(0)->ShortCut, scCtrl + 'O');
        EXPECT_EQ(file->Items(1)->Caption, "-");
        EXPECT_EQ(file->Items(2)->ShortCut, scAlt + 'X');
        EXPECT_EQ(file->Items(2)->GetParentComponent(), file);
        EXPECT_EQ(file->GetParentComponent(), menu);
        // Every item is the form's, so the form finds it by name.
        EXPECT_EQ(form->FindComponent("ExitItem"), file->Items(2));
        written = ComponentToBinary(form.get());
        if (pass == 0) {
            const QString back = ComponentToText(form.get());
            EXPECT_TRUE(back.contains("    object FileItem: TMenuItem\n      Caption = '&File'\n      object OpenItem"))
                << back.toStdString();
        }
    }
}
