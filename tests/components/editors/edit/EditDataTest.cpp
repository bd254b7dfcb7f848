// The data-aware edit's value and text flow: what it shows focused and unfocused, what typing
// and assigning write through the link, the input the field refuses, read-only data, and the
// keys the edit handles itself.
#include "support/AppEnvironment.h"
#include "support/EditorFixtures.h"
#include "support/ErrorCapture.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Forms.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

using namespace testsupport;

namespace {

class EditDataTest : public EditorOnForm<TDBEditEh> {
public:
    TMemTableEh* t = nullptr;

    void SetUp() override
    {
        t = Create<TMemTableEh>(form.get());
        t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 12);
        t->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
        t->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
        t->FieldDefs()->Add(QStringLiteral("Note"), ftMemo);
        t->FieldDefs()->Add(QStringLiteral("Code"), ftWideString, 5);
        t->CreateDataSet();
        t->AppendRecord({Variant(QStringLiteral("Рога")), Variant(12.5), Variant(3),
                         Variant(QStringLiteral("строка 1\nстрока 2")), Variant(QStringLiteral("A1"))});
        t->AppendRecord({Variant(QStringLiteral("Копыта")), Variant(7.25), Variant(4), Variant(QString()),
                         Variant(QStringLiteral("B2"))});
        t->First();
        src = Create<TDataSource>(form.get());
        src->SetDataSet(t);
        ShowEditors(QStringLiteral("SumEdit"));
    }

    void Key(Word key, TShiftState shift = {}, QChar ch = QChar())
    {
        edit->HandleKeyPress(key, ch, shift);
    }
};

TEST_F(EditDataTest, DataIndependentEditHoldsItsOwnValue)
{
    Focus(edit);
    Type(QStringLiteral("42,5"));
    EXPECT_EQ(edit->Text(), QStringLiteral("42,5"));
    Focus(other);   // leaving writes the text into the link's own value
    EXPECT_EQ(edit->DataLink()->DataIndependentValue.AsString(), QStringLiteral("42,5"));
    EXPECT_EQ(edit->Value().AsString(), QStringLiteral("42,5"));

    edit->SetValue(Variant(7));
    EXPECT_EQ(edit->Text(), QStringLiteral("7"));
    EXPECT_EQ(edit->DataLink()->DataIndependentValue.AsString(), QStringLiteral("7"));
}

TEST_F(EditDataTest, FocusSwitchesBetweenDisplayTextAndEditText)
{
    t->FieldByName(QStringLiteral("Sum"))->OnGetText = TFieldGetTextEvent([](TField* f, QString& s, bool display) {
        s = (display ? QStringLiteral("%1 руб.") : QStringLiteral("%1")).arg(f->AsFloat());
    });
    Bind(QStringLiteral("Sum"));
    EXPECT_EQ(edit->Text(), QStringLiteral("12.5 руб."));
    Focus(edit);
    EXPECT_EQ(edit->Text(), QStringLiteral("12.5"));
    Focus(other);
    EXPECT_EQ(edit->Text(), QStringLiteral("12.5 руб."));
}

TEST_F(EditDataTest, TextAndValueAreWrittenThroughTheLinkAtOnce)
{
    Bind(QStringLiteral("Sum"));
    edit->SetText(QStringLiteral("3,75"));
    EXPECT_EQ(t->State(), dsEdit);
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 3.75);
    EXPECT_FALSE(edit->Modified);

    edit->SetValue(Variant(9.5));
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 9.5);
    // The value is the text; it is the field that holds the number.
    EXPECT_EQ(edit->Value().VarType(), varUString);
    t->Post();
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 9.5);
}

TEST_F(EditDataTest, TypingEditsTheRecordAndLeavingWritesTheField)
{
    Bind(QStringLiteral("Name"));
    Focus(edit);
    EXPECT_EQ(t->State(), dsBrowse);
    Key(VK_END);
    Type(QStringLiteral("!"));
    EXPECT_EQ(t->State(), dsEdit);
    EXPECT_EQ(edit->Text(), QStringLiteral("Рога!"));
    EXPECT_EQ(t->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Рога"));
    Focus(other);
    EXPECT_EQ(t->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Рога!"));
    t->Post();
    t->Next();
    EXPECT_EQ(edit->Text(), QStringLiteral("Копыта"));
}

// Text the field refuses: the field's conversion error, the field keeps its value and the
// control shows the field's value again.
TEST_F(EditDataTest, RefusedTextRaisesTheFieldsErrorAndShowsTheFieldAgain)
{
    struct Case {
        const char* field;
        const char* text;
        const char* kept;
    };
    const Case cases[] = {
        {"Sum", "двенадцать", "12.5"},
        {"Qty", "3,5", "3"},
        {"Qty", "99999999999", "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Bind(QString::fromUtf8(c.field));
        TField* f = t->FieldByName(QString::fromUtf8(c.field));
        const QString before = f->AsString();
        const QString err = ErrorOf([&] { edit->SetText(QString::fromUtf8(c.text)); });
        EXPECT_NE(err, QStringLiteral("<no error>"));
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.text))) << err.toStdString();
        EXPECT_EQ(f->AsString(), before);
        EXPECT_EQ(edit->Text(), f->DisplayText());
        t->Cancel();
    }
}

TEST_F(EditDataTest, ReadOnlyDataIsNeitherEditedNorWritten)
{
    struct Case {
        const char* name;
        std::function<void(EditDataTest&)> make;
    };
    const Case cases[] = {
        {"control", [](EditDataTest& s) { s.edit->SetReadOnly(true); }},
        {"field", [](EditDataTest& s) { s.t->FieldByName(QStringLiteral("Name"))->SetReadOnly(true); }},
        {"dataset", [](EditDataTest& s) { s.t->SetReadOnly(true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit->SetReadOnly(false);
        t->SetReadOnly(false);
        t->FieldByName(QStringLiteral("Name"))->SetReadOnly(false);
        Bind(QStringLiteral("Name"));
        c.make(*this);
        Focus(edit);
        Key(VK_END);
        Type(QStringLiteral("x"));
        Key(VK_BACK, {}, QChar(8));
        Key(VK_DELETE);
        EXPECT_EQ(edit->Text(), QStringLiteral("Рога"));
        EXPECT_EQ(t->State(), dsBrowse);
        EXPECT_FALSE(edit->EditCanModify());
        Focus(other);
        EXPECT_EQ(t->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Рога"));
    }
}

TEST_F(EditDataTest, CharactersTheFieldRefusesAreNotTyped)
{
    Bind(QStringLiteral("Qty"));
    Focus(edit);
    Key(VK_END);
    Type(QStringLiteral("a7"));
    EXPECT_EQ(edit->Text(), QStringLiteral("37"));
}

TEST_F(EditDataTest, EscTakesTheFieldsValueBackAndSelectsIt)
{
    Bind(QStringLiteral("Name"));
    Focus(edit);
    Key(VK_END);
    Type(QStringLiteral("xyz"));
    Key(VK_ESCAPE, {}, QChar(27));
    EXPECT_EQ(edit->Text(), QStringLiteral("Рога"));
    EXPECT_EQ(edit->SelLength(), 4);
}

TEST_F(EditDataTest, EnterAndTabAreCharactersOnlyWhenWanted)
{
    edit->SetWordWrap(true);
    Focus(edit);
    Type(QStringLiteral("ab"));
    edit->Perform(WM_CHAR, 13, 0);
    edit->Perform(WM_CHAR, 10, 0);
    EXPECT_EQ(edit->Text(), QStringLiteral("ab"));
    EXPECT_EQ(edit->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
    edit->SetWantReturns(true);
    EXPECT_NE(edit->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
    EXPECT_EQ(edit->Perform(WM_GETDLGCODE) & DLGC_WANTTAB, 0);
    edit->SetWantTabs(true);
    EXPECT_NE(edit->Perform(WM_GETDLGCODE) & DLGC_WANTTAB, 0);
}

TEST_F(EditDataTest, MaxLengthFollowsTheStringFieldSize)
{
    Bind(QStringLiteral("Name"));
    EXPECT_EQ(edit->MaxLength(), 12);
    edit->SetDataField(QStringLiteral("Code"));
    EXPECT_EQ(edit->MaxLength(), 5);
    // A length the user set stays.
    edit->SetMaxLength(3);
    edit->SetDataField(QStringLiteral("Name"));
    EXPECT_EQ(edit->MaxLength(), 3);
}

TEST_F(EditDataTest, MemoFieldIsShownAndWrittenAsItStands)
{
    Bind(QStringLiteral("Note"));
    EXPECT_EQ(edit->Text(), QStringLiteral("строка 1\nстрока 2"));
    edit->SetText(QStringLiteral("одна"));
    EXPECT_EQ(t->FieldByName(QStringLiteral("Note"))->AsString(), QStringLiteral("одна"));
}

TEST_F(EditDataTest, OnUpdateDataCanTakeOverTheWrite)
{
    Bind(QStringLiteral("Name"));
    int calls = 0;
    struct Handler {
        TDBEditEh* edit;
        int* calls;
        void Run(TObject*, bool& handled)
        {
            ++*calls;
            // Assigning the text here must not come back into the write.
            edit->SetText(QStringLiteral("Своё"));
            handled = true;
        }
    } h{edit, &calls};
    edit->OnUpdateData = TUpdateDataEventEh(&h, &Handler::Run);
    edit->SetText(QStringLiteral("Чужое"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(t->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Рога"));
    EXPECT_EQ(edit->Text(), QStringLiteral("Своё"));
    EXPECT_FALSE(edit->Modified);
}

TEST_F(EditDataTest, MultiFieldLinkShowsAndWritesItsFirstField)
{
    edit->DataLink()->SetMultiFields(true);
    Bind(QStringLiteral("Name;Code"));
    ASSERT_EQ(edit->DataLink()->FieldsCount(), 2);
    EXPECT_EQ(edit->Field()->FieldName(), QStringLiteral("Name"));
    EXPECT_EQ(edit->Text(), QStringLiteral("Рога"));
    edit->SetText(QStringLiteral("Рожки"));
    EXPECT_EQ(t->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Рожки"));
    EXPECT_EQ(t->FieldByName(QStringLiteral("Code"))->AsString(), QStringLiteral("A1"));
}

TEST_F(EditDataTest, DataSourceRemovedUnbindsTheEdit)
{
    Bind(QStringLiteral("Name"));
    delete src;
    src = nullptr;
    EXPECT_EQ(edit->DataSource(), nullptr);
    EXPECT_EQ(edit->Text(), QString());
}

TEST_F(EditDataTest, LeavingWithRefusedTextKeepsTheFocusInTheEdit)
{
    Bind(QStringLiteral("Qty"));
    Focus(edit);
    Key(VK_END);
    Type(QStringLiteral("2"));
    t->FieldByName(QStringLiteral("Qty"))->OnValidate = TFieldNotifyEvent([](TField*) {
        throw Exception(QStringLiteral("Количество не больше 10"));
    });
    // The error reaches the application's box when the window system moves the focus, and
    // the caller when code does.
    std::vector<QString> errors;
    struct Sink {
        std::vector<QString>* errors;
        void Run(TObject*, Exception* e) { errors->push_back(e->Message()); }
    } sink{&errors};
    Application->OnException = TExceptionEvent(&sink, &Sink::Run);
    auto restore = Finally([] { Application->OnException = TExceptionEvent(); });
    const QString raised = ErrorOf([&] { Focus(other); });
    errors.push_back(raised);
    for (const QString& e : errors) {
        if (e != QStringLiteral("<no error>")) {
            EXPECT_EQ(e, QStringLiteral("Количество не больше 10"));
        }
    }
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->Text(), QStringLiteral("32"));
    EXPECT_EQ(edit->SelLength(), 2);
    EXPECT_EQ(t->FieldByName(QStringLiteral("Qty"))->AsInteger(), 3);
}

}  // namespace

namespace {

TEST_F(EditDataTest, PostingTheDatasetWritesTheTypedText)
{
    Bind(QStringLiteral("Name"));
    Focus(edit);
    edit->SelectAll();
    Type(QStringLiteral("Рожки"));
    EXPECT_EQ(edit->Text(), QStringLiteral("Рожки"));
    t->Post();
    EXPECT_EQ(t->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Рожки"));
    EXPECT_EQ(edit->Text(), QStringLiteral("Рожки"));
    EXPECT_FALSE(edit->Modified);
}

}  // namespace
