// Typing and pasting into the in-place editor: completion from the pick list and the lookup
// list, list-limited cells, numbers, and text the field refuses.
#include "InplaceFixture.h"
#include "support/ErrorCapture.h"

namespace {

class TypingTest : public InplaceTest {
protected:
    // Goods with Name, Qty, Price, Kind and KindId bars; Kind offers a pick list.
    TDBAxisGridInplaceEdit* EditKind(const QStringList& Items)
    {
        MakeGrid({QStringLiteral("Name"), QStringLiteral("Qty"), QStringLiteral("Price"), QStringLiteral("Kind"),
                  QStringLiteral("KindId")});
        Bar(3)->PickList()->Assign(StringsOf(Items));
        return EditBar(3);
    }
    TStringList* StringsOf(const QStringList& Items)
    {
        strings.Clear();
        for (const QString& s : Items)
            strings.Add(s);
        return &strings;
    }
    void MakeLookup()
    {
        TDBLookupDataEh* l = Bar(4)->LookupParams();
        l->SetKeyFieldNames(QStringLiteral("KindId"));
        l->SetLookupDataSet(kinds);
        l->SetLookupKeyFieldNames(QStringLiteral("Code"));
        l->SetLookupDisplayFieldName(QStringLiteral("Title"));
    }
    static QString Selected(TDBAxisGridInplaceEdit* e) { return e->SelText(); }

    TStringList strings;
};

}  // namespace

TEST_P(TypingTest, PickListCompletesToTheFirstMatchingItemWithTheRestSelected)
{
    TDBAxisGridInplaceEdit* e = EditKind({QStringLiteral("wool"), QStringLiteral("Wood"), QStringLiteral("Metal")});
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->EditStyle(), esPickList);
    e->SelectAll();
    Type(e, QStringLiteral("W"));
    // A match of the exact case wins over an earlier item that matches only ignoring case.
    EXPECT_EQ(e->Text(), QStringLiteral("Wood"));
    EXPECT_EQ(e->SelStart(), 1);
    EXPECT_EQ(Selected(e), QStringLiteral("ood"));
    EXPECT_EQ(grid->EditText(), QStringLiteral("Wood"));
    EXPECT_EQ(goods->State(), dsEdit);

    // Not in the list and not limited: the typed text stays, caret at its end.
    Type(e, QStringLiteral("x"));
    EXPECT_EQ(e->Text(), QStringLiteral("Wx"));
    EXPECT_EQ(e->SelStart(), 2);
    EXPECT_EQ(e->SelLength(), 0);
    EXPECT_EQ(grid->EditText(), QStringLiteral("Wx"));
}

TEST_P(TypingTest, CaseIsIgnoredOnlyWhenNothingMatchesWithIt)
{
    TDBAxisGridInplaceEdit* e = EditKind({QStringLiteral("Metal"), QStringLiteral("wool")});
    ASSERT_NE(e, nullptr);
    e->SelectAll();
    Type(e, QStringLiteral("W"));
    EXPECT_EQ(e->Text(), QStringLiteral("wool"));

    Bar(3)->SetCaseInsensitiveTextSearch(false);
    e->SelectAll();
    Type(e, QStringLiteral("M"));
    EXPECT_EQ(e->Text(), QStringLiteral("Metal"));
    e->SelectAll();
    Type(e, QStringLiteral("W"));
    EXPECT_EQ(e->Text(), QStringLiteral("W"));
}

TEST_P(TypingTest, ListLimitedCellSwallowsCharactersThatMatchNoItem)
{
    TDBAxisGridInplaceEdit* e = EditKind({QStringLiteral("Metal"), QStringLiteral("Wood")});
    ASSERT_NE(e, nullptr);
    Bar(3)->SetLimitTextToListValues(true);
    e->SelectAll();
    Type(e, QStringLiteral("Me"));
    EXPECT_EQ(e->Text(), QStringLiteral("Metal"));
    EXPECT_EQ(Selected(e), QStringLiteral("tal"));
    Type(e, QStringLiteral("z"));
    EXPECT_EQ(e->Text(), QStringLiteral("Metal"));
    EXPECT_EQ(Selected(e), QStringLiteral("tal"));
    EXPECT_EQ(grid->EditText(), QStringLiteral("Metal"));
}

TEST_P(TypingTest, BackspaceInListLimitedCellMovesTheCaretAndDeletesNothing)
{
    TDBAxisGridInplaceEdit* e = EditKind({QStringLiteral("Metal"), QStringLiteral("Wood")});
    ASSERT_NE(e, nullptr);
    Bar(3)->SetLimitTextToListValues(true);
    e->SetSelStart(3);
    e->SetSelLength(0);
    Press(e, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
    EXPECT_EQ(e->Text(), QStringLiteral("Metal"));
    EXPECT_EQ(e->SelStart() + e->SelLength(), 2);
}

TEST_P(TypingTest, CommaAndPointBothTypeTheDecimalSeparatorOnNumbers)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Price")});
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    e->SelectAll();
    Type(e, QStringLiteral("1.5"));
    EXPECT_EQ(e->Text(), QStringLiteral("1") + FormatSettings.DecimalSeparator + QStringLiteral("5"));
    e->SelectAll();
    Type(e, QStringLiteral("2,5"));
    EXPECT_EQ(e->Text(), QStringLiteral("2") + FormatSettings.DecimalSeparator + QStringLiteral("5"));
    // A text field keeps its characters.
    TDBAxisGridInplaceEdit* n = EditBar(0);
    n->SelectAll();
    Type(n, QStringLiteral("a.b,c"));
    EXPECT_EQ(n->Text(), QStringLiteral("a.b,c"));
}

TEST_P(TypingTest, CharactersTheFieldRefusesAreNotTyped)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Qty")});
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Text(), QStringLiteral("5"));
    e->SelectAll();
    Type(e, QStringLiteral("1x2"));
    EXPECT_EQ(e->Text(), QStringLiteral("12"));
    EXPECT_EQ(goods->FieldByName(QStringLiteral("Qty"))->AsInteger(), 5);
}

TEST_P(TypingTest, PasteIntoAPlainCellKeepsOnlyWhatTheFieldAcceptsAndRespectsTheLength)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Qty")});
    TDBAxisGridInplaceEdit* q = EditBar(1);
    ASSERT_NE(q, nullptr);
    q->SelectAll();
    Paste(q, QStringLiteral("1a2b3"));
    EXPECT_EQ(q->Text(), QStringLiteral("123"));
    EXPECT_EQ(q->SelStart(), 3);
    EXPECT_EQ(grid->EditText(), QStringLiteral("123"));

    // Name holds 20 characters: the pasted part is cut to what still fits.
    TDBAxisGridInplaceEdit* n = EditBar(0);
    ASSERT_EQ(n->MaxLength(), 20);
    n->SetSelStart(1);
    n->SetSelLength(0);
    Paste(n, QStringLiteral("0123456789ABCDEFGHIJ"));
    EXPECT_EQ(n->Text().size(), 20);
    EXPECT_TRUE(n->Text().startsWith(QStringLiteral("Г0123456789ABC")));
    EXPECT_TRUE(n->Text().endsWith(QStringLiteral("возди")));
    EXPECT_EQ(n->SelStart(), 15);
}

TEST_P(TypingTest, PasteIntoAListLimitedCellTakesOnlyListItems)
{
    TDBAxisGridInplaceEdit* e = EditKind({QStringLiteral("Metal"), QStringLiteral("Wood")});
    ASSERT_NE(e, nullptr);
    Bar(3)->SetLimitTextToListValues(true);
    e->SelectAll();
    Paste(e, QStringLiteral("Wo"));
    EXPECT_EQ(e->Text(), QStringLiteral("Wood"));
    EXPECT_EQ(Selected(e), QStringLiteral("od"));
    EXPECT_EQ(grid->EditText(), QStringLiteral("Wood"));

    e->SelectAll();
    Paste(e, QStringLiteral("Stone"));
    EXPECT_EQ(e->Text(), QStringLiteral("Wood"));
    EXPECT_EQ(grid->EditText(), QStringLiteral("Wood"));

    // A clipboard without text leaves the cell as it was.
    QGuiApplication::clipboard()->clear();
    e->SelectAll();
    testsupport::Key(e, Qt::Key_V, Qt::ControlModifier, QString(QChar(22)));
    EXPECT_EQ(e->Text(), QStringLiteral("Wood"));
}

TEST_P(TypingTest, CutAndClearOfPartOfAListLimitedTextDoNothing)
{
    TDBAxisGridInplaceEdit* e = EditKind({QStringLiteral("Metal"), QStringLiteral("Wood")});
    ASSERT_NE(e, nullptr);
    Bar(3)->SetLimitTextToListValues(true);
    e->SetSelStart(1);
    e->SetSelLength(2);
    e->Perform(WM_CUT, 0, 0);
    EXPECT_EQ(e->Text(), QStringLiteral("Metal"));
    e->Perform(WM_CLEAR, 0, 0);
    EXPECT_EQ(e->Text(), QStringLiteral("Metal"));
    e->SelectAll();
    e->Perform(WM_CLEAR, 0, 0);
    EXPECT_EQ(e->Text(), QString());
}

TEST_P(TypingTest, LookupCellCompletesFromTheListDatasetAndCarriesItsKey)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Qty"), QStringLiteral("Price"), QStringLiteral("Kind"),
              QStringLiteral("KindId")});
    MakeLookup();
    TDBAxisGridInplaceEdit* e = EditBar(4);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->EditStyle(), esLookupDataList);
    EXPECT_EQ(e->Text(), QStringLiteral("Металл"));
    e->SelectAll();
    Type(e, QStringLiteral("д"));
    EXPECT_EQ(e->Text(), QStringLiteral("Дерево"));
    EXPECT_EQ(Selected(e), QStringLiteral("ерево"));
    EXPECT_EQ(grid->EditKeyValue().AsInteger(), 2);

    // Pasting goes through the same search.
    e->SelectAll();
    Paste(e, QStringLiteral("Меб"));
    EXPECT_EQ(e->Text(), QStringLiteral("Мебель"));
    EXPECT_EQ(grid->EditKeyValue().AsInteger(), 3);

    // Delete with the whole text selected empties the cell and its key.
    e->SelectAll();
    Press(e, Qt::Key_Delete);
    EXPECT_EQ(e->Text(), QString());
    EXPECT_TRUE(grid->EditKeyValue().IsNull());
    EXPECT_EQ(grid->EditText(), QString());
}

TEST_P(TypingTest, LookupCellLimitedToTheListDropsUnknownText)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Qty"), QStringLiteral("Price"), QStringLiteral("Kind"),
              QStringLiteral("KindId")});
    MakeLookup();
    TDBAxisGridInplaceEdit* e = EditBar(4);
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(Bar(4)->LimitTextToListValues());
    e->SelectAll();
    Type(e, QStringLiteral("ж"));
    EXPECT_EQ(e->Text(), QStringLiteral("Металл"));
    e->SelectAll();
    Paste(e, QStringLiteral("Стекло"));
    EXPECT_EQ(e->Text(), QStringLiteral("Металл"));

    // Without the limit the text is taken with no key.
    Bar(4)->SetLimitTextToListValues(false);
    e->SelectAll();
    Type(e, QStringLiteral("ж"));
    EXPECT_EQ(e->Text(), QStringLiteral("ж"));
    EXPECT_TRUE(grid->EditKeyValue().IsNull());
}

TEST_P(TypingTest, ClosedDatasetWhileEditingChangesNothing)
{
    TDBAxisGridInplaceEdit* e = EditKind({QStringLiteral("Metal"), QStringLiteral("Wood")});
    ASSERT_NE(e, nullptr);
    goods->Close();
    testsupport::Pump();
    if (e->Visible()) {
        e->SelectAll();
        Type(e, QStringLiteral("W"));
        Paste(e, QStringLiteral("Wood"));
    }
    EXPECT_FALSE(goods->Active());
}

INSTANTIATE_TEST_SUITE_P(Data, TypingTest, ::testing::Values(TDataKind::MemTable, TDataKind::Query), DataKindName);

namespace {
class CellParamsTest : public InplaceTest {};
}

// The bar's read-only state reaches the editor; a cell event that overrides it takes over
// and the editor's own setting is no longer consulted.
TEST_P(CellParamsTest, ReadOnlyComesFromTheBarUnlessACellEventChangesIt)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Qty")});
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->ReadOnlyStored());
    EXPECT_FALSE(e->ReadOnly());

    auto* bar = static_cast<TInplaceTestBar*>(Bar(0));
    bar->OnCellParams = [](bool EditMode, TAxisColCellParamsEh* P) {
        if (EditMode) {
            P->FReadOnly = !P->FReadOnly;
            P->FBackground = clYellow;
            P->FText = QStringLiteral("shown");
        }
    };
    TDBAxisGridInplaceEdit* n = EditBar(0);
    ASSERT_NE(n, nullptr);
    EXPECT_FALSE(n->ReadOnlyStored());
    EXPECT_EQ(n->Color(), clYellow);
    EXPECT_EQ(n->Text(), QStringLiteral("shown"));
}

// Text the field cannot convert is not written: the record keeps its value.
TEST_P(CellParamsTest, TextTheFieldRefusesOnWritingLeavesTheRecordAsItWas)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Made")});
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    e->SelectAll();
    Type(e, QStringLiteral("99.99.9999"));
    EXPECT_EQ(grid->EditText(), QStringLiteral("99.99.9999"));
    EXPECT_NE(ErrorOf([&] { grid->UpdateData(); }), QStringLiteral("<no error>"));
    EXPECT_TRUE(goods->FieldByName(QStringLiteral("Made"))->IsNull());
    EXPECT_EQ(goods->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Гвозди"));
}

INSTANTIATE_TEST_SUITE_P(Data, CellParamsTest, ::testing::Values(TDataKind::MemTable, TDataKind::Query), DataKindName);
