// The edit controls' field link: one field, several fields, no field at all, and the dataset
// or field going away under it.
#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// What a control sees of its link.
struct Control {
    int dataChanges = 0;
    int editingChanges = 0;
    int updates = 0;
    int activeChanges = 0;
    void DataChange(TObject*) { ++dataChanges; }
    void EditingChange(TObject*) { ++editingChanges; }
    void UpdateData(TObject*) { ++updates; }
    void ActiveChange(TObject*) { ++activeChanges; }

    void Attach(TFieldDataLinkEh& link)
    {
        link.OnDataChange = TNotifyEvent(this, &Control::DataChange);
        link.OnEditingChange = TNotifyEvent(this, &Control::EditingChange);
        link.OnUpdateData = TNotifyEvent(this, &Control::UpdateData);
        link.OnActiveChange = TNotifyEvent(this, &Control::ActiveChange);
    }
};

class FieldDataLinkTest : public ::testing::Test {
protected:
    std::unique_ptr<TComponent> owner = CreateUnique<TComponent>(nullptr);
    TMemTableEh* t = nullptr;
    TDataSource* src = nullptr;
    TFieldDataLinkEh link;
    Control control;

    void SetUp() override
    {
        t = Create<TMemTableEh>(owner.get());
        t->SetName(QStringLiteral("Invoices"));
        t->FieldDefs()->Add(QStringLiteral("A"), ftInteger);
        t->FieldDefs()->Add(QStringLiteral("B"), ftInteger);
        t->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
        t->FieldDefs()->Add(QStringLiteral("Note"), ftMemo);
        t->CreateDataSet();
        t->AppendRecord({Variant(1), Variant(10), Variant(1.5), Variant(QStringLiteral("первая"))});
        t->AppendRecord({Variant(2), Variant(20), Variant(2.5), Variant(QStringLiteral("вторая"))});
        t->First();
        src = Create<TDataSource>(owner.get());
        src->SetDataSet(t);
        control.Attach(link);
    }

    void Bind(const QString& names, bool multi = false)
    {
        link.SetMultiFields(multi);
        link.SetDataSource(src);
        link.SetFieldName(names);
    }
};

TEST_F(FieldDataLinkTest, DataIndependentLinkHoldsTheValueItself)
{
    EXPECT_TRUE(link.DataIndepended());
    EXPECT_TRUE(link.Active());
    EXPECT_TRUE(link.CanModify());
    EXPECT_TRUE(link.VisualControl());
    EXPECT_TRUE(link.DataIndependentValue.IsNull());
    EXPECT_EQ(link.Field(), nullptr);

    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(control.editingChanges, 1);
    EXPECT_TRUE(link.Edit());   // already editing: no second notice
    EXPECT_EQ(control.editingChanges, 1);

    link.SetText(QStringLiteral("12,5"));
    EXPECT_EQ(link.DataIndependentValue.AsString(), QStringLiteral("12,5"));
    EXPECT_EQ(control.dataChanges, 1);
    link.SetValue(Variant(7));
    EXPECT_EQ(link.DataIndependentValue.AsInteger(), 7);
    EXPECT_EQ(control.dataChanges, 2);

    // the control writes back only what it changed; the editing flag ends without a notice
    link.UpdateRecord();
    EXPECT_EQ(control.updates, 0);
    EXPECT_FALSE(link.Editing());
    link.Edit();
    link.Modified();
    link.UpdateRecord();
    EXPECT_EQ(control.updates, 1);
    EXPECT_FALSE(link.IsModified());
    EXPECT_FALSE(link.Editing());
    EXPECT_EQ(control.editingChanges, 2);
}

TEST_F(FieldDataLinkTest, ReadOnlyDataIndependentLinkDoesNotEdit)
{
    link.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(control.editingChanges, 0);
}

TEST_F(FieldDataLinkTest, GivingADataSourceBindsTheLinkAndDropsTheHeldValue)
{
    link.SetValue(Variant(5));
    link.SetDataSource(src);
    EXPECT_FALSE(link.DataIndepended());
    EXPECT_TRUE(link.DataIndependentValue.IsNull());
    EXPECT_FALSE(link.Active());   // no field named yet
    link.SetFieldName(QStringLiteral("A"));
    EXPECT_TRUE(link.Active());
    EXPECT_EQ(link.Field(), t->FieldByName(QStringLiteral("A")));

    // taking both away makes it hold its own value again, and the control reloads
    const int before = control.dataChanges;
    link.SetFieldName(QString());
    link.SetDataSource(nullptr);
    EXPECT_TRUE(link.DataIndepended());
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_GT(control.dataChanges, before);
}

TEST_F(FieldDataLinkTest, TextAndValueGoIntoTheFieldAtOnce)
{
    Bind(QStringLiteral("Sum"));
    int setTextCalls = 0;
    TField* sum = t->FieldByName(QStringLiteral("Sum"));
    sum->OnSetText = TFieldSetTextEvent([&](TField* f, const QString& text) {
        ++setTextCalls;
        f->SetAsString(text);
    });
    ASSERT_TRUE(link.Edit());
    EXPECT_EQ(t->State(), dsEdit);
    link.SetText(QStringLiteral("12,25"));
    EXPECT_EQ(setTextCalls, 1);
    EXPECT_DOUBLE_EQ(sum->AsFloat(), 12.25);   // before any post
    link.SetValue(Variant(3.75));
    EXPECT_DOUBLE_EQ(sum->AsFloat(), 3.75);
    t->Post();
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 3.75);
}

TEST_F(FieldDataLinkTest, MemoTakesTheTextAsItStandsWithoutItsTextHandler)
{
    Bind(QStringLiteral("Note"));
    TField* note = t->FieldByName(QStringLiteral("Note"));
    ASSERT_NE(dynamic_cast<TMemoField*>(note), nullptr);
    int setTextCalls = 0;
    note->OnSetText = TFieldSetTextEvent([&](TField*, const QString&) { ++setTextCalls; });
    link.Edit();
    link.SetText(QStringLiteral("строка 1\r\nстрока 2"));
    EXPECT_EQ(setTextCalls, 0);
    EXPECT_EQ(note->AsString(), QStringLiteral("строка 1\r\nстрока 2"));
}

TEST_F(FieldDataLinkTest, SeveralFieldsTakeNullOrTheElementsOfAnArray)
{
    Bind(QStringLiteral("A; B"), true);
    ASSERT_EQ(link.FieldsCount(), 2);
    EXPECT_EQ(link.GetFieldsField(0), t->FieldByName(QStringLiteral("A")));
    EXPECT_EQ(link.GetFieldsField(1), t->FieldByName(QStringLiteral("B")));
    EXPECT_EQ(link.GetFieldsField(2), nullptr);
    link.Edit();
    link.SetValue(Variant::Null());
    EXPECT_TRUE(t->FieldByName(QStringLiteral("A"))->IsNull());
    EXPECT_TRUE(t->FieldByName(QStringLiteral("B"))->IsNull());
    link.SetValue(VarArrayOf({Variant(1), Variant(2)}));
    EXPECT_EQ(t->FieldByName(QStringLiteral("A"))->AsInteger(), 1);
    EXPECT_EQ(t->FieldByName(QStringLiteral("B"))->AsInteger(), 2);
    EXPECT_THROW(link.SetValue(VarArrayOf({Variant(9)})), Exception);
    EXPECT_THROW(link.SetValue(Variant(9)), Exception);

    // switching MultiFields off reads the whole text as one name
    EXPECT_THROW(link.SetMultiFields(false), EDatabaseError);
}

TEST_F(FieldDataLinkTest, ChangesOfOtherFieldsDoNotReachTheControl)
{
    Bind(QStringLiteral("A"));
    link.Edit();
    const int before = control.dataChanges;
    t->FieldByName(QStringLiteral("B"))->SetValue(Variant(99));
    EXPECT_EQ(control.dataChanges, before);
    link.Modified();
    t->FieldByName(QStringLiteral("A"))->SetValue(Variant(42));
    EXPECT_EQ(control.dataChanges, before + 1);
    EXPECT_FALSE(link.IsModified());
}

TEST_F(FieldDataLinkTest, ReadOnlyFieldOrDataSetCannotBeModified)
{
    Bind(QStringLiteral("A"));
    EXPECT_TRUE(link.CanModify());
    t->FieldByName(QStringLiteral("A"))->SetReadOnly(true);
    EXPECT_FALSE(link.CanModify());
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(t->State(), dsBrowse);
    t->FieldByName(QStringLiteral("A"))->SetReadOnly(false);

    t->SetReadOnly(true);
    EXPECT_FALSE(link.CanModify());
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(t->State(), dsBrowse);
}

TEST_F(FieldDataLinkTest, EditingFollowsTheDataSetAndModifiedValuesAreWrittenOnPost)
{
    Bind(QStringLiteral("A"));
    EXPECT_TRUE(link.Edit());
    EXPECT_TRUE(link.Editing());
    EXPECT_EQ(control.editingChanges, 1);
    link.Modified();
    t->Post();   // asks the links for pending values first
    EXPECT_EQ(control.updates, 1);
    EXPECT_FALSE(link.Editing());
    EXPECT_EQ(control.editingChanges, 2);
    // nothing modified: nothing asked
    link.Edit();
    t->Post();
    EXPECT_EQ(control.updates, 1);
}

TEST_F(FieldDataLinkTest, ClosingOrDisablingTheDataSetLeavesNoFieldAndReopeningBindsAgain)
{
    Bind(QStringLiteral("A"));
    const int activeBefore = control.activeChanges;
    t->Close();
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_FALSE(link.Active());
    EXPECT_FALSE(link.DataSetActive());
    EXPECT_EQ(control.activeChanges, activeBefore + 1);
    t->Open();
    EXPECT_EQ(link.Field(), t->FieldByName(QStringLiteral("A")));
    EXPECT_TRUE(link.Active());

    t->DisableControls();
    EXPECT_EQ(link.FieldsCount(), 0);
    t->EnableControls();
    EXPECT_EQ(link.Field(), t->FieldByName(QStringLiteral("A")));
}

TEST_F(FieldDataLinkTest, FreedFieldIsDroppedFromTheLink)
{
    Bind(QStringLiteral("A;B"), true);
    ASSERT_EQ(link.FieldsCount(), 2);
    const int before = control.dataChanges;
    delete t->FieldByName(QStringLiteral("B"));
    EXPECT_EQ(link.FieldsCount(), 0);
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_GT(control.dataChanges, before);
    EXPECT_FALSE(link.CanModify());
}

TEST_F(FieldDataLinkTest, UnknownFieldNameRaisesAndLeavesNoFieldBound)
{
    Bind(QStringLiteral("A"));
    ASSERT_NE(link.Field(), nullptr);
    TComponent* edit = Create<TComponent>(owner.get());
    edit->SetName(QStringLiteral("SumEdit"));
    link.SetControl(edit);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { link.SetFieldName(QStringLiteral("Missing")); }),
              QStringLiteral("SumEdit: Field 'Missing' not found"));
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_EQ(link.FieldsCount(), 0);

    link.SetFieldName(QString());
    link.SetMultiFields(true);
    link.SetFieldName(QStringLiteral("A;B"));
    ASSERT_EQ(link.FieldsCount(), 2);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { link.SetFieldName(QStringLiteral("A;Nope")); }),
              QStringLiteral("SumEdit: Field 'Nope' not found"));
    EXPECT_EQ(link.FieldsCount(), 0);
}

}  // namespace
