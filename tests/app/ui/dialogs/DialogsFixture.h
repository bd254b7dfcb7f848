// The data module on freshly written demo catalogs, published as the program's CompDM, and a
// scripted user for the dialogs' boxes and record dialogs.
#pragma once

#include "app/engine/DemoData.h"
#include "app/engine/uCompDM.h"
#include "platform/vcl/Forms.h"
#include "support/AppEnvironment.h"
#include "support/ProgramFixture.h"

#include "platform/ado/ADODB.h"
#include "platform/db/DB.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/Menus.h"

#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace dialogtests {

class ListDialogs : public ::testing::Test, protected testsupport::TProgramUnderTest {
protected:
    // Branch: "" for the head body, a branch number for branch mode.
    void Start(const QString& Branch = QString())
    {
        demo::TDemoOptions o;
        o.Size = 2;
        o.Filial = Branch;
        ASSERT_NO_FATAL_FAILURE(WriteCatalogs(o));
        ASSERT_NO_FATAL_FAILURE(StartDataModule());
        ASSERT_EQ(dm->IsFilial, !Branch.isEmpty());
    }
    void SetUp() override { RegisterCompDMResource(); }
    void TearDown() override { CloseProgram(); }

    void Sql(const QString& Text) { dm->SvodMDBConnection->Execute(Text); }
    int Count(const QString& Table)
    {
        TADOQuery* q = Create<TADOQuery>(dm.get());
        q->SetConnection(dm->SvodMDBConnection);
        q->SQL()->SetText(QStringLiteral("SELECT COUNT(*) AS n FROM ") + Table);
        q->Open();
        const int n = q->FieldByName(QStringLiteral("n"))->AsInteger();
        delete q;
        return n;
    }
    // The last box the user was shown: its text and icon.
    QString LastBoxText() const { return user.Calls.empty() ? QString() : user.Calls.back().Text; }
    UINT LastBoxIcon() const { return user.Calls.empty() ? 0 : user.Calls.back().Icon; }

    // Answers the next record dialog by filling its two edits and pressing Save; the box
    // that may follow must be scripted after this.
    template <typename Dialog, typename Second>
    void ThenRecord(const QString& Filial, const QString& Value, Second Dialog::*SecondEdit, QString* CaptionSeen = nullptr,
                    QStringList* EditsSeen = nullptr)
    {
        user.Then([=](TDialogCall& c) {
            auto* f = dynamic_cast<Dialog*>(c.Form);
            EXPECT_NE(f, nullptr);
            if (!f)
                return int(mrCancel);
            if (CaptionSeen)
                *CaptionSeen = c.Caption;
            if (EditsSeen)
                *EditsSeen = QStringList{f->FilialEdit->Text(), (f->*SecondEdit)->Text()};
            f->FilialEdit->SetText(Filial);
            (f->*SecondEdit)->SetText(Value);
            f->SaveBtn->Click();
            return f->ModalResult() == mrNone ? int(mrCancel) : 0;
        });
    }
};

inline bool Enabled(TControl* c) { return c->Enabled(); }
inline bool Enabled(TMenuItem* i) { return i->Enabled(); }

}  // namespace dialogtests
