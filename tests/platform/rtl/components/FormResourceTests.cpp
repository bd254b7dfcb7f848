#include "StreamHelpers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

class TdmSample : public TDataModule {
    DOV_PERSISTENT(TdmSample, TDataModule)
public:
    explicit TdmSample(TComponent* AOwner) : TDataModule(AOwner) {}
    TAllKinds* qryMain = nullptr;
    TPanelLike* pnl = nullptr;
    QStringList CreateSaw;
    void DataModuleCreate(TObject*)
    {
        CreateSaw << QStringLiteral("%1 components, SQL %2").arg(ComponentCount()).arg(qryMain ? qryMain->Text : "-");
    }
};

DOV_PUBLISHED(TdmSample)
{
    P.Field("qryMain", &TdmSample::qryMain);
    P.Field("pnl", &TdmSample::pnl);
    P.Method("DataModuleCreate", &TdmSample::DataModuleCreate);
}

// Stands in for a form that uses the data module's components.
class TfrmUser : public TDataModule {
    DOV_PERSISTENT(TfrmUser, TDataModule)
public:
    explicit TfrmUser(TComponent* AOwner) : TDataModule(AOwner) {}
};
DOV_PUBLISHED(TfrmUser) {}

class TdmBroken : public TDataModule {
    DOV_PERSISTENT(TdmBroken, TDataModule)
public:
    explicit TdmBroken(TComponent* AOwner) : TDataModule(AOwner) {}
};
DOV_PUBLISHED(TdmBroken) {}

class TdmNoResource : public TDataModule {
    DOV_PERSISTENT(TdmNoResource, TDataModule)
public:
    explicit TdmNoResource(TComponent* AOwner) : TDataModule(AOwner) {}
};
DOV_PUBLISHED(TdmNoResource) {}

const char* kSampleForm =
    "object dmSample: TdmSample\n"
    "  OnCreate = DataModuleCreate\n"
    "  Height = 300\n"
    "  Width = 400\n"
    "  object qryMain: TAllKinds\n"
    "    Text = 'select * from invoices'\n"
    "    Link = kid2\n"
    "    Columns = <\n"
    "      item\n"
    "        Title = 'Number'\n"
    "      end>\n"
    "  end\n"
    "  object pnl: TPanelLike\n"
    "    object kid1: TChildLike\n"
    "      Peer = qryMain\n"
    "    end\n"
    "    object kid2: TChildLike\n"
    "      Peer = dmSample\n"
    "    end\n"
    "  end\n"
    "end\n";

TEST(FormResource, DataModuleIsBuiltFromItsResource)
{
    RegisterTestClasses();
    RegisterFormResource(QStringLiteral("TdmSample"), kSampleForm, QStringLiteral("dmSample.form"));
    std::unique_ptr<TdmSample> dm(Create<TdmSample>(nullptr));
    EXPECT_EQ(dm->Name(), QStringLiteral("dmSample"));
    ASSERT_NE(dm->qryMain, nullptr);
    ASSERT_NE(dm->pnl, nullptr);
    EXPECT_EQ(dm->ComponentCount(), 4);
    EXPECT_EQ(dm->qryMain->Text, QStringLiteral("select * from invoices"));
    EXPECT_EQ(dm->qryMain->Columns()->ItemAs<TColumnItem>(0)->Title, QStringLiteral("Number"));
    ASSERT_EQ(dm->pnl->Kids.size(), 2);
    auto* kid1 = static_cast<TChildLike*>(dm->pnl->Kids[0]);
    auto* kid2 = static_cast<TChildLike*>(dm->pnl->Kids[1]);
    EXPECT_EQ(kid1->Owner(), dm.get());
    EXPECT_EQ(kid1->Peer, dm->qryMain);
    EXPECT_EQ(kid2->Peer, dm.get());
    EXPECT_EQ(dm->qryMain->Link(), kid2);
    EXPECT_EQ(dm->qryMain->LoadedSeen, QStringList({"kid2"}));
    EXPECT_EQ(dm->DesignHeight, 300);
    EXPECT_EQ(dm->CreateSaw, QStringList({"4 components, SQL select * from invoices"}));
    EXPECT_FALSE(dm->ComponentState().Contains(csLoading));
    EXPECT_FALSE(dm->ComponentState().Contains(csReading));

    // Another module's resource may refer to this one's components by "module.component".
    RegisterFormResource(QStringLiteral("TfrmUser"),
                         "object frmUser: TfrmUser\n"
                         "  object grid: TAllKinds\n"
                         "    Link = dmSample.qryMain\n"
                         "  end\n"
                         "end\n");
    std::unique_ptr<TfrmUser> form(Create<TfrmUser>(nullptr));
    auto* grid = static_cast<TAllKinds*>(form->FindComponent(QStringLiteral("grid")));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->Link(), dm->qryMain);
    dm.reset();
    EXPECT_EQ(grid->Link(), nullptr);   // freed from under it, and told
}

TEST(FormResource, ErrorsNameTheResourceComponentAndProperty)
{
    RegisterTestClasses();
    struct Case { const char* body; const char* message; };
    const Case cases[] = {
        {"  object q: TNoSuchThing\n  end\n", "broken.form: Error reading q: Class TNoSuchThing not found"},
        {"  object q: TAllKinds\n    Bogus = 1\n  end\n", "broken.form: Error reading q.Bogus: Property Bogus does not exist"},
        {"  object q: TAllKinds\n    Int32 = 'x'\n  end\n", "broken.form: Error reading q.Int32: Invalid property value"},
        {"  object q: TAllKinds\n    Font.Colour = 1\n  end\n", "broken.form: Error reading q.Font.Colour: Property Colour does not exist"},
        {"  object q: TAllKinds\n    Link = nowhere\n  end\n", "broken.form: Error reading q.Link: Component nowhere not found"},
        {"  object q: TAllKinds\n    Columns = <\n      item\n        Width = 'wide'\n      end>\n  end\n",
         "broken.form: Error reading q.Columns[0].Width: Invalid property value"},
        {"  object q: TAllKinds\n  end\n  object Q: TAllKinds\n  end\n",
         "broken.form: Error reading Q: A component named Q already exists"},
        {"  object q: TAllKinds\n    Int32 = )\n  end\n", "broken.form: Invalid property value on line 3"},
    };
    for (const Case& c : cases) {
        RegisterFormResource(QStringLiteral("TdmBroken"),
                             QByteArray("object dmBroken: TdmBroken\n") + c.body + "end\n", QStringLiteral("broken.form"));
        try {
            delete Create<TdmBroken>(nullptr);
            ADD_FAILURE() << c.body;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QString::fromLatin1(c.message));
        }
        // Read into a root that outlives the failure: nothing of the read is left in it.
        auto keepHolder = CreateUnique<TTestRoot>(nullptr);
        TTestRoot& keep = *keepHolder;
        auto* own = Create<TAllKinds>(&keep);
        own->SetName(QStringLiteral("mine"));
        EXPECT_THROW(ReadComponentRes(QByteArray("object dmBroken: TTestRoot\n") + c.body + "end\n", &keep), Exception);
        ASSERT_EQ(keep.ComponentCount(), 1) << c.body;
        EXPECT_EQ(keep.Components(0), own);
        EXPECT_FALSE(keep.ComponentState().Contains(csLoading));
    }
    UnRegisterFormResource(QStringLiteral("TdmBroken"));
}

TEST(FormResource, MissingResourceIsReported)
{
    try {
        delete Create<TdmNoResource>(nullptr);
        ADD_FAILURE();
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Resource TdmNoResource not found"));
    }
    // A bare data module needs none.
    auto plainHolder = CreateUnique<TDataModule>(nullptr);
    TDataModule& plain = *plainHolder;
    plain.LoadFromResource();
    EXPECT_EQ(plain.ComponentCount(), 0);
}

TEST(FormResource, ResourcesAreFoundInQtResourceFolders)
{
    // The same search the program's compiled-in forms go through, here over a real folder.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile f(dir.filePath(QStringLiteral("TdmBroken.form")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("object fromDisk: TdmBroken\n  object q: TAllKinds\n  end\nend\n");
    f.close();
    RegisterTestClasses();
    AddFormResourcePath(dir.path());
    std::unique_ptr<TdmBroken> dm(Create<TdmBroken>(nullptr));
    EXPECT_EQ(dm->Name(), QStringLiteral("fromDisk"));
    EXPECT_NE(dm->FindComponent(QStringLiteral("q")), nullptr);
}

}   // namespace
