#include "Fixture.h"

#include "platform/rtl/Filer.h"

#include <gtest/gtest.h>

namespace {

// A form holding a dataset with persistent fields, as form resources declare them.
class TPeopleForm : public TComponent {
    DOV_PERSISTENT(TPeopleForm, TComponent)
public:
    explicit TPeopleForm(TComponent* AOwner) : TComponent(AOwner) {}
    // Like a data module: owned components that have no parent of their own.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->HasParent())
                Proc(Components(i));
    }
    TArrayDataSet* People = nullptr;
    TStringField* PeopleName = nullptr;
    TCurrencyField* PeopleAmount = nullptr;
};

}  // namespace

DOV_PUBLISHED(TPeopleForm)
{
    P.Field("People", &TPeopleForm::People);
    P.Field("PeopleName", &TPeopleForm::PeopleName);
    P.Field("PeopleAmount", &TPeopleForm::PeopleAmount);
}

namespace {

const char* kForm = R"(object PeopleForm: TPeopleForm
  object People: TArrayDataSet
    object PeopleName: TStringField
      DisplayLabel = 'Имя'
      FieldName = 'Name'
      Size = 30
    end
    object PeopleAmount: TCurrencyField
      FieldName = 'Amount'
      DisplayFormat = '0.00'
      currency = False
    end
  end
end
)";

TEST(FormResources, PersistentFieldsAreReadAsChildrenOfTheirDataSet)
{
    RegisterClasses<TArrayDataSet, TPeopleForm>();
    auto formHolder = CreateUnique<TPeopleForm>(nullptr);
    TPeopleForm& form = *formHolder;
    ReadComponentRes(QByteArray(kForm), &form);
    ASSERT_NE(form.People, nullptr);
    ASSERT_NE(form.PeopleName, nullptr);
    EXPECT_EQ(form.PeopleName->Owner(), &form);
    EXPECT_EQ(form.PeopleName->DataSet(), form.People);
    EXPECT_EQ(form.People->FieldCount(), 2);
    EXPECT_EQ(form.PeopleName->DisplayLabel(), QString::fromUtf8("Имя"));
    EXPECT_EQ(form.PeopleName->Size(), 30);

    auto source = dbtest::MakePeople(nullptr, false);  // the rows and definitions to show
    for (int i = 0; i < source->FieldDefs()->Count(); ++i)
        form.People->FieldDefs()->Add(source->FieldDefs()->Items(i)->Name(), source->FieldDefs()->Items(i)->DataType(),
                                      source->FieldDefs()->Items(i)->Size());
    for (int i = 0; i < source->RowCount(); ++i)
        form.People->AddRow(source->Row(i));
    form.People->Open();
    EXPECT_FALSE(form.People->DefaultFields());
    EXPECT_EQ(form.PeopleName->AsString(), "Ann");
    EXPECT_EQ(form.PeopleAmount->DisplayText(), "10,50");
    form.People->Close();

    const QString text = ComponentToText(&form);
    EXPECT_TRUE(text.contains("object PeopleName: TStringField")) << text.toStdString();
    EXPECT_TRUE(text.contains("FieldName = 'Amount'")) << text.toStdString();
    EXPECT_FALSE(text.contains("Visible")) << text.toStdString();  // defaults are not written

    // and back: a second form read from the written text has the same fields
    auto copyHolder = CreateUnique<TPeopleForm>(nullptr);
    TPeopleForm& copy = *copyHolder;
    ReadComponentRes(ComponentToBinary(&form), &copy);
    ASSERT_NE(copy.PeopleAmount, nullptr);
    EXPECT_EQ(copy.PeopleAmount->DataSet(), copy.People);
    EXPECT_EQ(copy.PeopleAmount->DisplayFormat(), "0.00");
}

}  // namespace
