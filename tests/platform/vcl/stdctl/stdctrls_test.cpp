// The standard controls worked as an accountant works them: real key and mouse events on a
// shown form (Tab, space, arrows, F4 and Alt+Down, typing), their messages, and their faces.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ScrollBars.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/rtl/Classes.h"
#include "support/DialogScript.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, mods);
    QApplication::sendEvent(w, &e);
}

void Click(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    Mouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, mods);
    Mouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, mods);
}

struct TStdForm {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TStdForm(int w = 400, int h = 300)
    {
        for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
            SetKeyStateForInput(vk, false);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, w, h);
    }
    template <typename T> T* Add(int l, int t, int w, int h, TWinControl* parent = nullptr)
    {
        T* c = Create<T>(Form.get());
        c->SetParent(parent ? parent : Form.get());
        c->SetBounds(l, t, w, h);
        return c;
    }
    TWinControl* Focus() const { return Form->ActiveControl() ? Form->ActiveControl() : Form.get(); }
    // A key as the keyboard gives it: pressed and released on the focused control.
    void Key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
        QApplication::sendEvent(Focus()->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, mods, text);
        QApplication::sendEvent(Focus()->Widget(), &release);
    }
    void Type(const QString& text)
    {
        for (QChar c : text)
            Key(c.unicode() < 128 ? QChar(c).toUpper().unicode() : c.unicode(), Qt::NoModifier, QString(c));
    }
    QImage Shot() { return Form->Widget()->grab().toImage(); }
};


TStringList* Cities()
{
    static TStringList list;
    list.Clear();
    for (const char* s : {"Брест", "Витебск", "Гомель", "Гродно", "Минск", "Могилёв", "Мозырь", "Барановичи",
                          "Бобруйск", "Борисов"})
        list.Add(U(s));
    return &list;
}

}  // namespace

// ---------------------------------------------------------------- label

TEST(Label, AutoSizeFollowsTheTextAndRightAlignmentGrowsLeft)
{
    TStdForm f;
    auto* l = f.Add<TLabel>(100, 10, 10, 10);
    l->SetCaption(U("Сумма НДС"));
    const int w1 = l->Width();
    EXPECT_GT(w1, 30);
    EXPECT_GT(l->Height(), 8);
    l->SetAlignment(taRightJustify);
    const int right = l->Left() + l->Width();
    l->SetCaption(U("Сумма НДС по ставке"));
    EXPECT_GT(l->Width(), w1);
    EXPECT_EQ(l->Left() + l->Width(), right);
    // Word wrap keeps the width and grows downwards.
    const int oneLine = l->Height();
    l->SetWordWrap(true);
    l->SetWidth(60);
    l->SetCaption(U("Сумма НДС по ставке двадцать процентов"));
    EXPECT_LE(l->Width(), 60);   // the widest line
    EXPECT_GT(l->Width(), 30);
    EXPECT_GT(l->Height(), 2 * oneLine);
    // Without AutoSize nothing moves.
    l->SetAutoSize(false);
    l->SetBounds(5, 5, 40, 13);
    l->SetCaption(U("Длинная подпись, которая не влезает"));
    EXPECT_EQ(l->Width(), 40);
}

TEST(Label, AcceleratorFocusesItsControlFromAltAndFromButtons)
{
    TStdForm f;
    auto* box = f.Add<TCheckBox>(10, 10, 120, 17);
    box->SetCaption(U("Учитывать филиалы"));
    auto* label = f.Add<TLabel>(10, 40, 60, 13);
    label->SetCaption(U("&Период"));
    auto* list = f.Add<TListBox>(10, 60, 120, 80);
    label->SetFocusControl(list);
    f.Form->Show();
    box->SetFocus();
    // Alt+П from anywhere.
    f.Key(0x41F, Qt::AltModifier, U("п"));
    EXPECT_EQ(f.Form->ActiveControl(), list);
    // On a check box (takes no characters) a bare letter is the accelerator too; in the list
    // box the letter is typing.
    box->SetFocus();
    f.Key(0x41F, Qt::NoModifier, U("п"));
    EXPECT_EQ(f.Form->ActiveControl(), list);
    list->Items()->Add(U("Первый"));
    list->Items()->Add(U("Второй"));
    box->SetFocus();
    list->SetFocus();
    f.Key(0x412, Qt::NoModifier, U("в"));
    EXPECT_EQ(f.Form->ActiveControl(), list);
    EXPECT_EQ(list->ItemIndex(), 1);
    // A label whose control went away forgets it; the key then does nothing.
    delete list;
    EXPECT_EQ(label->FocusControl(), nullptr);
    box->SetFocus();
    f.Key(0x41F, Qt::AltModifier, U("п"));
    EXPECT_EQ(f.Form->ActiveControl(), box);
}

TEST(Label, IsAccelSkipsDoubledAmpersands)
{
    EXPECT_TRUE(IsAccel(QChar(u'с'), U("&Сумма")));
    EXPECT_TRUE(IsAccel(QChar(u'С'), U("Итого &сумма")));
    EXPECT_FALSE(IsAccel(QChar(u'с'), U("Сумма && &итог")));
    EXPECT_TRUE(IsAccel(QChar(u'и'), U("Сумма && &итог")));
    EXPECT_FALSE(IsAccel(QChar(u'с'), U("Сумма&")));
}

// ---------------------------------------------------------------- check box

TEST(CheckBox, MouseSpaceAndAcceleratorToggle)
{
    TStdForm f;
    auto* box = f.Add<TCheckBox>(10, 10, 150, 17);
    box->SetCaption(U("&Только ошибки"));
    int clicks = 0;
    box->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    f.Form->Show();
    Click(box->Widget(), QPoint(5, 8));
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(f.Form->ActiveControl(), box);
    // A press released outside is no click.
    Mouse(box->Widget(), QEvent::MouseButtonPress, QPoint(5, 8));
    EXPECT_TRUE(box->Pressed());
    Mouse(box->Widget(), QEvent::MouseMove, QPoint(300, 8));
    EXPECT_FALSE(box->Pressed());
    Mouse(box->Widget(), QEvent::MouseButtonRelease, QPoint(300, 8));
    EXPECT_TRUE(box->Checked());
    f.Key(Qt::Key_Space, Qt::NoModifier, U(" "));
    EXPECT_FALSE(box->Checked());
    f.Key(0x422, Qt::AltModifier, U("т"));
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks, 3);
    // Disabled: no mouse toggling.
    box->SetEnabled(false);
    Click(box->Widget(), QPoint(5, 8));
    EXPECT_TRUE(box->Checked());
}

TEST(CheckBox, GrayedStepsAndButtonMessages)
{
    TStdForm f;
    auto* box = f.Add<TCheckBox>(10, 10, 150, 17);
    box->SetAllowGrayed(true);
    const TCheckBoxState cycle[] = {cbGrayed, cbChecked, cbUnchecked, cbGrayed};
    for (TCheckBoxState expected : cycle) {
        box->Toggle();
        EXPECT_EQ(box->State(), expected);
    }
    EXPECT_EQ(box->Perform(BM_GETCHECK), LRESULT(BST_INDETERMINATE));
    box->Perform(BM_SETCHECK, BST_CHECKED);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(box->Perform(BM_GETCHECK), LRESULT(BST_CHECKED));
    int clicks = 0;
    box->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    box->SetChecked(true);   // no change, no click
    box->SetChecked(false);
    box->Perform(BM_CLICK);
    EXPECT_EQ(box->State(), cbGrayed);
    EXPECT_EQ(clicks, 2);
    // The caption travels through WM_SETTEXT / WM_GETTEXT.
    const QString text = U("Сторно");
    box->Perform(WM_SETTEXT, 0, LPARAM(&text));
    QString back;
    EXPECT_EQ(box->Perform(WM_GETTEXT, 3, LPARAM(&back)), 3);
    EXPECT_EQ(back, U("Сто"));
    EXPECT_EQ(box->Caption(), text);
}

// ---------------------------------------------------------------- tab order

TEST(StdControls, TabWalksTheControlsInOrderAndIntoGroupBoxes)
{
    TStdForm f;
    auto* box = f.Add<TCheckBox>(10, 10, 120, 17);
    auto* group = f.Add<TGroupBox>(10, 30, 200, 80);
    auto* inner = f.Add<TCheckBox>(10, 20, 100, 17, group);
    auto* combo = f.Add<TComboBox>(10, 120, 120, 21);
    auto* radio = f.Add<TRadioGroup>(10, 150, 200, 80);
    radio->Items()->Add(U("Все"));
    auto* label = f.Add<TLabel>(220, 10, 50, 13);
    (void)label;
    f.Form->Show();
    box->SetFocus();
    std::vector<TWinControl*> seen;
    for (int i = 0; i < 4; ++i) {
        f.Key(Qt::Key_Tab, Qt::NoModifier, U("\t"));
        seen.push_back(f.Form->ActiveControl());
    }
    EXPECT_EQ(seen, (std::vector<TWinControl*>{inner, combo, radio, box}));
    f.Key(Qt::Key_Backtab, Qt::ShiftModifier, U("\t"));
    EXPECT_EQ(f.Form->ActiveControl(), radio);
}

// ---------------------------------------------------------------- radio group

TEST(RadioGroup, ArrowsWrapClicksChooseAndColumnsRunDownwards)
{
    TStdForm f;
    auto* g = f.Add<TRadioGroup>(10, 10, 300, 120);
    g->SetCaption(U("Ставка"));
    for (const char* s : {"&20%", "&10%", "&0%", "Без НДС"})
        g->Items()->Add(U(s));
    QStringList log;
    g->OnClick = TNotifyEvent([&](TObject*) { log << QString::number(g->ItemIndex()); });
    f.Form->Show();
    g->SetFocus();
    EXPECT_EQ(g->ItemIndex(), -1);
    f.Key(Qt::Key_Down);
    EXPECT_EQ(g->ItemIndex(), 0);   // the first arrow chooses the focused button
    f.Key(Qt::Key_Up);
    EXPECT_EQ(g->ItemIndex(), 3);   // wraps round
    f.Key(Qt::Key_Right);
    EXPECT_EQ(g->ItemIndex(), 0);
    f.Key(Qt::Key_0, Qt::AltModifier, U("0"));
    EXPECT_EQ(g->ItemIndex(), 2);
    EXPECT_EQ(log, (QStringList{"0", "3", "0", "2"}));

    g->SetColumns(2);
    const TRect r0 = g->ButtonRect(0), r1 = g->ButtonRect(1), r2 = g->ButtonRect(2);
    EXPECT_EQ(r1.Left, r0.Left);      // 0 and 1 in the first column
    EXPECT_GT(r1.Top, r0.Top);
    EXPECT_GT(r2.Left, r0.Left);      // 2 starts the second
    EXPECT_EQ(r2.Top, r0.Top);
    const TRect r3 = g->ButtonRect(3);
    Click(g->Widget(), QPoint(r3.Left + 5, (r3.Top + r3.Bottom) / 2));
    EXPECT_EQ(g->ItemIndex(), 3);
    // Shrinking the items forgets a choice past the end.
    g->Items()->Delete(3);
    EXPECT_EQ(g->ItemIndex(), -1);
}

// ---------------------------------------------------------------- combo box

TEST(ComboBox, ListOnlyBoxOpensWithF4AndAltDownAndTakesTheChoiceWithEnter)
{
    TStdForm f;
    auto* c = f.Add<TComboBox>(10, 10, 150, 21);
    c->SetStyle(csDropDownList);
    c->Items()->Assign(Cities());
    QStringList log;
    c->OnChange = TNotifyEvent([&](TObject*) { log << "change " + c->Text(); });
    c->OnSelect = TNotifyEvent([&](TObject*) { log << "select " + c->Text(); });
    c->OnDropDown = TNotifyEvent([&](TObject*) { log << "drop"; });
    c->OnCloseUp = TNotifyEvent([&](TObject*) { log << "close"; });
    f.Form->Show();
    c->SetFocus();
    f.Key(Qt::Key_F4);
    ASSERT_TRUE(c->DroppedDown());
    EXPECT_EQ(c->Perform(CB_GETDROPPEDSTATE), 1);
    f.Key(Qt::Key_Down);
    f.Key(Qt::Key_Down);
    EXPECT_EQ(c->HighlightIndex(), 1);
    EXPECT_EQ(c->ItemIndex(), -1);   // only the highlight moves while open
    f.Key(Qt::Key_Return, Qt::NoModifier, U("\r"));
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->ItemIndex(), 1);
    EXPECT_EQ(c->Text(), U("Витебск"));
    // Esc closes without taking the highlight.
    f.Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(c->DroppedDown());
    f.Key(Qt::Key_End);
    f.Key(Qt::Key_Escape, Qt::NoModifier, U("\x1b"));
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->ItemIndex(), 1);
    // Closed, an arrow picks the next item at once.
    f.Key(Qt::Key_Down);
    EXPECT_EQ(c->Text(), U("Гомель"));
    EXPECT_EQ(log, (QStringList{"drop", "select " + U("Витебск"), "close", "drop", "close", "select " + U("Гомель")}));
}

TEST(ComboBox, EscAndEnterBelongToTheOpenListOnly)
{
    TStdForm f;
    auto* c = f.Add<TComboBox>(10, 10, 150, 21);
    c->Items()->Assign(Cities());
    f.Form->Show();
    c->SetFocus();
    EXPECT_EQ(c->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);   // closed: the form's keys
    c->SetDroppedDown(true);
    EXPECT_NE(c->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
    f.Key(Qt::Key_Escape, Qt::NoModifier, U("\x1b"));
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
}

TEST(ComboBox, ListOnlyBoxTypesAheadAndRepeatsALetter)
{
    TStdForm f;
    auto* c = f.Add<TComboBox>(10, 10, 150, 21);
    c->SetStyle(csDropDownList);
    c->Items()->Assign(Cities());
    f.Form->Show();
    c->SetFocus();
    f.Type(U("мог"));
    EXPECT_EQ(c->Text(), U("Могилёв"));
    // A letter that goes on with nothing starts over; the same letter steps through its items.
    f.Type(U("б"));
    EXPECT_EQ(c->Text(), U("Барановичи"));
    f.Type(U("б"));
    EXPECT_EQ(c->Text(), U("Бобруйск"));
    f.Type(U("б"));
    EXPECT_EQ(c->Text(), U("Борисов"));
    f.Type(U("б"));
    EXPECT_EQ(c->Text(), U("Брест"));
    // A text that is no item clears the list-only box.
    c->SetText(U("Лида"));
    EXPECT_EQ(c->ItemIndex(), -1);
    EXPECT_EQ(c->Text(), QString());
}

TEST(ComboBox, TypingCompletesFromTheItemsAndBackspaceTakesTheCompletionAway)
{
    TStdForm f;
    auto* c = f.Add<TComboBox>(10, 10, 150, 21);
    c->Items()->Assign(Cities());
    int changes = 0;
    c->OnChange = TNotifyEvent([&](TObject*) { ++changes; });
    f.Form->Show();
    c->SetFocus();
    f.Type(U("го"));
    EXPECT_EQ(c->Text(), U("гомель"));   // typed letters kept, the rest from the item
    EXPECT_EQ(c->SelStart(), 2);
    EXPECT_EQ(c->SelLength(), 4);
    EXPECT_EQ(c->ItemIndex(), 2);
    f.Key(Qt::Key_Backspace, Qt::NoModifier, U("\b"));
    EXPECT_EQ(c->Text(), U("го"));
    EXPECT_EQ(c->ItemIndex(), -1);
    f.Type(U("р"));   // no completion: nothing starts so
    EXPECT_EQ(c->Text(), U("гор"));
    c->SetText(QString());
    f.Type(U("гр"));
    EXPECT_EQ(c->Text(), U("гродно"));
    EXPECT_EQ(c->ItemIndex(), 3);
    EXPECT_EQ(changes, 6);
    // Without completion the text is what was typed.
    c->SetAutoComplete(false);
    c->SetText(QString());
    f.Type(U("ми"));
    EXPECT_EQ(c->Text(), U("ми"));
    EXPECT_EQ(c->ItemIndex(), -1);
    // Editing keys.
    f.Key(Qt::Key_Home);
    f.Key(Qt::Key_Delete);
    EXPECT_EQ(c->Text(), U("и"));
}

TEST(ComboBox, MouseOpensChoosesAndAPressOnTheButtonClosesWithoutReopening)
{
    TStdForm f;
    auto* c = f.Add<TComboBox>(10, 10, 150, 21);
    c->SetStyle(csDropDownList);
    c->Items()->Assign(Cities());
    c->SetDropDownCount(4);
    f.Form->Show();
    const QPoint button(c->Width() - 8, 10);
    Click(c->Widget(), button);
    ASSERT_TRUE(c->DroppedDown());
    TComboListWindow* list = c->ListWindow();
    EXPECT_EQ(list->Rows(), 4);
    EXPECT_EQ(list->Height(), 4 * list->ItemHeight() + 2);
    // The list hangs below the box, as wide as it.
    EXPECT_EQ(list->Widget()->geometry().top(), c->Widget()->mapToGlobal(QPoint(0, c->Height())).y());
    EXPECT_EQ(list->Width(), c->Width());
    // A press on the box's button while open closes it for good.
    Click(c->Widget(), button);
    EXPECT_FALSE(c->DroppedDown());
    Click(c->Widget(), button);
    ASSERT_TRUE(c->DroppedDown());
    // Hovering moves the highlight; the wheel scrolls; releasing on an item takes it.
    const int h = list->ItemHeight();
    Mouse(list->Widget(), QEvent::MouseMove, QPoint(20, 2 * h + 3), Qt::NoButton);
    EXPECT_EQ(list->Highlight(), 2);
    QWheelEvent wheel(QPointF(20, 5), list->Widget()->mapToGlobal(QPointF(20, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list->Widget(), &wheel);
    EXPECT_EQ(list->TopIndex(), 3);
    Click(list->Widget(), QPoint(20, 3 * h + 3));
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->ItemIndex(), 6);
    EXPECT_EQ(c->Text(), U("Мозырь"));
    // Focus going elsewhere closes the list without a choice.
    auto* other = f.Add<TCheckBox>(10, 60, 100, 17);
    c->Perform(CB_SHOWDROPDOWN, 1);
    ASSERT_TRUE(c->DroppedDown());
    other->SetFocus();
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->ItemIndex(), 6);
}

TEST(ComboBox, ItemMessagesAndItemChanges)
{
    TStdForm f;
    auto* c = f.Add<TComboBox>(10, 10, 150, 21);
    c->Items()->Assign(Cities());
    EXPECT_EQ(c->Perform(CB_GETCOUNT), 10);
    EXPECT_EQ(c->Perform(CB_SETCURSEL, 4), 4);
    EXPECT_EQ(c->Text(), U("Минск"));
    EXPECT_EQ(c->Perform(CB_GETCURSEL), 4);
    const QString prefix = U("гр");
    EXPECT_EQ(c->Perform(CB_FINDSTRING, WPARAM(-1), LPARAM(&prefix)), 3);
    EXPECT_EQ(c->Perform(CB_SETCURSEL, 99), CB_ERR);
    EXPECT_EQ(c->ItemIndex(), -1);
    // A text set from outside finds its item.
    const QString text = U("Брест");
    c->Perform(WM_SETTEXT, 0, LPARAM(&text));
    EXPECT_EQ(c->ItemIndex(), 0);
    c->Items()->Clear();
    EXPECT_EQ(c->ItemIndex(), -1);
    EXPECT_EQ(c->Perform(CB_SETCURSEL, 0), CB_ERR);
}

// ---------------------------------------------------------------- list box

TEST(ListBox, KeysMoveTheCurrentItemAndKeepItInView)
{
    TStdForm f;
    auto* l = f.Add<TListBox>(10, 10, 150, 80);
    l->Items()->Assign(Cities());
    QStringList log;
    l->OnClick = TNotifyEvent([&](TObject*) { log << QString::number(l->ItemIndex()); });
    f.Form->Show();
    l->SetFocus();
    const int rows = l->VisibleRows();
    ASSERT_LT(rows, 10);
    EXPECT_TRUE(l->ScrollBar()->Visible());
    f.Key(Qt::Key_Down);
    EXPECT_EQ(l->ItemIndex(), 0);
    f.Key(Qt::Key_End);
    EXPECT_EQ(l->ItemIndex(), 9);
    EXPECT_EQ(l->TopIndex(), 10 - rows);
    EXPECT_EQ(l->ScrollBar()->Position(), 10 - rows);
    f.Key(Qt::Key_Home);
    EXPECT_EQ(l->TopIndex(), 0);
    f.Key(Qt::Key_PageDown);
    EXPECT_EQ(l->ItemIndex(), rows - 1);
    f.Key(Qt::Key_Up);
    f.Key(Qt::Key_Home);
    f.Key(Qt::Key_Up);   // already first: no click
    EXPECT_EQ(log, (QStringList{"0", "9", "0", QString::number(rows - 1), QString::number(rows - 2), "0"}));
    // Type-ahead: a prefix, then the same letter steps.
    f.Type(U("гр"));
    EXPECT_EQ(l->ItemIndex(), 3);
    f.Type(U("м"));
    EXPECT_EQ(l->ItemIndex(), 4);
    f.Type(U("м"));
    EXPECT_EQ(l->ItemIndex(), 5);
    f.Type(U("ж"));   // nothing starts with it: stays
    EXPECT_EQ(l->ItemIndex(), 5);
}

TEST(ListBox, ExtendedMultiSelectWithShiftAndCtrl)
{
    TStdForm f;
    auto* l = f.Add<TListBox>(10, 10, 150, 200);
    l->Items()->Assign(Cities());
    l->SetMultiSelect(true);
    f.Form->Show();
    const int h = l->ItemHeight();
    auto row = [&](int i) { return QPoint(20, 2 + i * h + h / 2); };
    Click(l->Widget(), row(1));
    Click(l->Widget(), row(3), Qt::ShiftModifier);
    EXPECT_EQ(l->SelCount(), 3);
    EXPECT_TRUE(l->Selected(2));
    Click(l->Widget(), row(2), Qt::ControlModifier);
    EXPECT_FALSE(l->Selected(2));
    EXPECT_EQ(l->SelCount(), 2);
    EXPECT_EQ(l->ItemIndex(), 2);
    // Shift+arrows extend from the anchor, a plain arrow selects one item.
    f.Key(Qt::Key_Down, Qt::ShiftModifier);
    f.Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(l->SelCount(), 3);
    EXPECT_TRUE(l->Selected(4));
    f.Key(Qt::Key_Down);
    EXPECT_EQ(l->SelCount(), 1);
    EXPECT_TRUE(l->Selected(5));
    // Ctrl moves alone, Ctrl+Space toggles.
    f.Key(Qt::Key_Down, Qt::ControlModifier);
    f.Key(Qt::Key_Space, Qt::ControlModifier, U(" "));
    EXPECT_EQ(l->SelCount(), 2);
    EXPECT_TRUE(l->Selected(6));
    EXPECT_EQ(l->Perform(LB_GETSELCOUNT), 2);
    l->Perform(LB_SETSEL, 0, LPARAM(-1));
    EXPECT_EQ(l->SelCount(), 0);
    EXPECT_THROW(l->Selected(10), EListError);
}

TEST(ListBox, ObjectsRideWithSortedItemsAndDoubleClicks)
{
    TStdForm f;
    auto* l = f.Add<TListBox>(10, 10, 150, 200);
    TStringList owners;
    l->Items()->AddObject(U("Минск"), &owners);
    l->Items()->AddInteger(U("Брест"), 300);   // an integer above 255 stays an integer
    l->SetSorted(true);
    EXPECT_EQ(l->Items()->Strings(0), U("Брест"));
    EXPECT_EQ(l->Items()->Integers(0), 300);
    EXPECT_FALSE(l->Items()->HoldsObject(0));
    EXPECT_EQ(l->Items()->Objects(1), &owners);
    int dbl = 0;
    l->OnDblClick = TNotifyEvent([&](TObject*) { ++dbl; });
    f.Form->Show();
    const int h = l->ItemHeight();
    const QPoint p(20, 2 + h + h / 2);
    Click(l->Widget(), p);
    Mouse(l->Widget(), QEvent::MouseButtonDblClick, p);
    Mouse(l->Widget(), QEvent::MouseButtonRelease, p);
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(l->ItemIndex(), 1);
    // Item messages; a click below the items changes nothing.
    EXPECT_EQ(l->Perform(LB_GETCOUNT), 2);
    EXPECT_EQ(l->Perform(LB_GETCURSEL), 1);
    const QString m = U("м");
    EXPECT_EQ(l->Perform(LB_SELECTSTRING, WPARAM(-1), LPARAM(&m)), 1);
    const QString none = U("я");
    EXPECT_EQ(l->Perform(LB_FINDSTRING, WPARAM(-1), LPARAM(&none)), LB_ERR);
    Click(l->Widget(), QPoint(20, 150));
    EXPECT_EQ(l->ItemIndex(), 1);
    l->Items()->Delete(1);
    EXPECT_EQ(l->ItemIndex(), -1);
    EXPECT_EQ(l->Perform(LB_GETCURSEL), LB_ERR);
}

// ---------------------------------------------------------------- image

TEST(Image, PlacementOfThePicture)
{
    TStdForm f;
    auto* img = f.Add<TImage>(0, 0, 100, 50);
    TBitmap bmp(40, 20);
    img->Picture()->SetGraphic(&bmp);
    struct Case {
        bool Stretch, Proportional, Center;
        int W, H;   // the image's size
        TRect Expected;
    };
    const Case cases[] = {
        {false, false, false, 40, 20, TRect(0, 0, 40, 20)},
        {false, false, true, 40, 20, TRect(30, 15, 70, 35)},
        {true, false, false, 40, 20, TRect(0, 0, 100, 50)},
        {true, true, false, 40, 20, TRect(0, 0, 100, 50)},     // 2.5x both ways
        {true, true, true, 40, 40, TRect(25, 0, 75, 50)},      // height binds
        {false, true, false, 40, 40, TRect(0, 0, 40, 40)},     // fits: own size
        {false, true, true, 200, 50, TRect(0, 12, 100, 37)},   // too wide: scaled down
    };
    for (const Case& c : cases) {
        TBitmap b(c.W, c.H);
        img->Picture()->SetGraphic(&b);
        img->SetStretch(c.Stretch);
        img->SetProportional(c.Proportional);
        img->SetCenter(c.Center);
        const TRect r = img->DestRect();
        EXPECT_EQ(r, c.Expected) << c.Stretch << c.Proportional << c.Center << " " << c.W << "x" << c.H;
    }
    // An empty client or picture places nothing (no division by zero).
    img->SetBounds(0, 0, 0, 0);
    img->SetProportional(true);
    img->SetStretch(true);
    EXPECT_TRUE(IsRectEmpty(img->DestRect()));
    img->Picture()->SetGraphic(nullptr);
    EXPECT_TRUE(IsRectEmpty(img->DestRect()));
    // AutoSize takes the picture's size.
    img->SetAutoSize(true);
    TBitmap b(33, 22);
    img->Picture()->SetGraphic(&b);
    EXPECT_EQ(img->Width(), 33);
    EXPECT_EQ(img->Height(), 22);
}

TEST(Image, TransparentColourShowsTheParent)
{
    TStdForm f(100, 60);
    f.Form->SetColor(clYellow);
    auto* img = f.Add<TImage>(10, 10, 20, 20);
    TBitmap bmp(20, 20);
    bmp.Canvas()->Brush()->SetColor(clLime);   // the bottom-left pixel: transparent colour
    bmp.Canvas()->FillRect(TRect(0, 0, 20, 20));
    bmp.Canvas()->Brush()->SetColor(clBlue);
    bmp.Canvas()->FillRect(TRect(5, 5, 15, 15));
    img->Picture()->SetGraphic(&bmp);
    f.Form->Show();
    QImage shot = f.Shot();
    EXPECT_EQ(vcltest::Rgb(shot, 11, 11), 0x00FF00u);
    img->SetTransparent(true);
    shot = f.Shot();
    EXPECT_EQ(vcltest::Rgb(shot, 11, 11), 0xFFFF00u);
    EXPECT_EQ(vcltest::Rgb(shot, 20, 20), 0x0000FFu);
}

// ---------------------------------------------------------------- splitter

namespace {
struct TSplitForm : TStdForm {
    TPanel* Left;
    TSplitter* Split;
    TPanel* Rest;
    TSplitForm() : TStdForm(400, 200)
    {
        Left = Add<TPanel>(0, 0, 100, 200);
        Left->SetAlign(alLeft);
        Split = Add<TSplitter>(100, 0, 3, 200);
        Split->SetAlign(alLeft);
        Rest = Add<TPanel>(200, 0, 100, 200);
        Rest->SetAlign(alClient);
        Form->Show();
    }
    // A drag on the splitter from its middle by dx, in the form's coordinates.
    void Drag(int dx, const std::function<void()>& midway = nullptr)
    {
        const QPoint start(Split->Left() + 1, 100);
        Mouse(Form->Widget(), QEvent::MouseButtonPress, start);
        Mouse(Form->Widget(), QEvent::MouseMove, start + QPoint(dx / 2, 0));
        Mouse(Form->Widget(), QEvent::MouseMove, start + QPoint(dx, 0));
        if (midway)
            midway();
        Mouse(Form->Widget(), QEvent::MouseButtonRelease, start + QPoint(dx, 0));
    }
};
}  // namespace

TEST(Splitter, DragResizesTheNeighbourWithinTheMinimum)
{
    TSplitForm f;
    EXPECT_EQ(f.Split->FindNeighbour(), f.Left);
    int moved = 0;
    f.Split->OnMoved = TNotifyEvent([&](TObject*) { ++moved; });
    f.Split->SetResizeStyle(rsUpdate);
    int midWidth = 0;
    f.Drag(60, [&] { midWidth = f.Left->Width(); });
    EXPECT_EQ(midWidth, 160);   // resized while dragging
    EXPECT_EQ(f.Left->Width(), 160);
    EXPECT_EQ(f.Split->Left(), 160);
    EXPECT_EQ(f.Rest->Left(), 163);
    // Never below MinSize, and the rest keeps MinSize too.
    f.Split->SetMinSize(50);
    f.Drag(-150);
    EXPECT_EQ(f.Left->Width(), 50);
    f.Drag(400);
    EXPECT_EQ(f.Left->Width(), 400 - 3 - 50);
    EXPECT_EQ(moved, 3);
}

TEST(Splitter, LineStyleShowsTheEdgeAndResizesOnRelease)
{
    TSplitForm f;
    f.Split->SetResizeStyle(rsLine);
    int midWidth = 0;
    bool lineShown = false;
    f.Drag(40, [&] {
        midWidth = f.Left->Width();
        for (QWidget* w : f.Form->Widget()->findChildren<QWidget*>())
            if (w->isVisible() && w->geometry() == QRect(140, 0, 3, 200))
                lineShown = true;
    });
    EXPECT_EQ(midWidth, 100);
    EXPECT_TRUE(lineShown);
    EXPECT_EQ(f.Left->Width(), 140);
    // A splitter with nothing beside it does nothing.
    f.Left->SetAlign(alNone);
    f.Left->SetBounds(0, 0, 50, 50);
    EXPECT_EQ(f.Split->FindNeighbour(), nullptr);
}

// ---------------------------------------------------------------- modal form

TEST(StdControls, ModalFormWorkedFromTheKeyboardByTheScriptedUser)
{
    auto form = CreateUnique<TForm>(nullptr);
    form->SetCaption(U("Параметры сверки"));
    form->SetBounds(0, 0, 300, 200);
    auto* label = Create<TLabel>(form.get());
    label->SetParent(form.get());
    label->SetCaption(U("&Филиал"));
    auto* combo = Create<TComboBox>(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(10, 30, 150, 21);
    combo->SetStyle(csDropDownList);
    combo->Items()->Assign(Cities());
    label->SetFocusControl(combo);
    auto* box = Create<TCheckBox>(form.get());
    box->SetParent(form.get());
    box->SetBounds(10, 60, 150, 17);
    box->SetCaption(U("&Только расхождения"));
    auto* ok = Create<TButton>(form.get());
    ok->SetParent(form.get());
    ok->SetBounds(10, 100, 75, 25);
    ok->ModalResult = mrOk;
    ok->Default = true;

    testsupport::TDialogScript user;
    user.Then([&](TDialogCall& call) {
        EXPECT_EQ(call.Form, form.get());
        auto key = [&](int k, Qt::KeyboardModifiers m, const QString& t) {
            QWidget* w = form->ActiveControl() ? form->ActiveControl()->Widget() : form->Widget();
            QKeyEvent press(QEvent::KeyPress, k, m, t);
            QApplication::sendEvent(w, &press);
            QKeyEvent release(QEvent::KeyRelease, k, m, t);
            QApplication::sendEvent(form->ActiveControl() ? form->ActiveControl()->Widget() : w, &release);
        };
        key(0x424, Qt::AltModifier, U("ф"));   // to the combo box
        key(Qt::Key_F4, Qt::NoModifier, QString());
        key(Qt::Key_End, Qt::NoModifier, QString());
        key(Qt::Key_Return, Qt::NoModifier, U("\r"));   // closes the list, not the form
        EXPECT_EQ(form->ModalResult(), mrNone);
        key(Qt::Key_Tab, Qt::NoModifier, U("\t"));
        key(Qt::Key_Space, Qt::NoModifier, U(" "));
        key(Qt::Key_Tab, Qt::NoModifier, U("\t"));
        EXPECT_EQ(form->ActiveControl(), ok);
        Click(ok->Widget(), QPoint(10, 10));
        return 0;
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(combo->Text(), U("Борисов"));
    EXPECT_TRUE(box->Checked());
}

// ---------------------------------------------------------------- faces

TEST(StdControls, FacesShowStateSelectionAndHighlight)
{
    TStdForm f(320, 200);
    f.Form->SetColor(clBtnFace);
    auto* box = f.Add<TCheckBox>(10, 10, 100, 17);
    auto* radio = f.Add<TRadioGroup>(120, 10, 180, 60);
    radio->Items()->Add(U("Да"));
    radio->Items()->Add(U("Нет"));
    auto* list = f.Add<TListBox>(10, 80, 100, 100);
    list->Items()->Assign(Cities());
    auto* combo = f.Add<TComboBox>(120, 80, 150, 21);
    combo->SetStyle(csDropDownList);
    combo->Items()->Assign(Cities());
    f.Form->Show();
    const QImage before = f.Shot();
    box->SetChecked(true);
    radio->SetItemIndex(1);
    list->SetItemIndex(1);
    combo->SetItemIndex(0);
    combo->SetFocus();
    const QImage after = f.Shot();
    // The check mark: dark pixels inside the box that were window-white before.
    const QRect boxRect(box->Left() + 2, box->Top() + 2 + (17 - 13) / 2, 9, 9);
    int darkBefore = 0, darkAfter = 0;
    for (int y = boxRect.top(); y <= boxRect.bottom(); ++y)
        for (int x = boxRect.left(); x <= boxRect.right(); ++x) {
            darkBefore += qGray(before.pixel(x, y)) < 80;
            darkAfter += qGray(after.pixel(x, y)) < 80;
        }
    EXPECT_EQ(darkBefore, 0);
    EXPECT_GT(darkAfter, 5);
    // The radio dot of the second button.
    const TRect r1 = radio->ButtonRect(1);
    const QPoint dot(radio->Left() + r1.Left + 6, radio->Top() + (r1.Top + r1.Bottom) / 2);
    EXPECT_LT(qGray(after.pixel(dot)), 80);
    EXPECT_GT(qGray(before.pixel(dot)), 200);
    // The list's current row and the focused list-only combo are highlighted.
    const uint32_t highlight = vcltest::ToRgb(ColorToRGB(clHighlight));
    const TRect row = list->ItemRect(1);
    EXPECT_EQ(vcltest::Rgb(after, list->Left() + row.Right - 3, list->Top() + row.Top + 2), highlight);
    EXPECT_EQ(vcltest::Rgb(after, combo->Left() + 100, combo->Top() + 10), highlight);
    EXPECT_NE(vcltest::Rgb(before, combo->Left() + 100, combo->Top() + 10), highlight);
}
