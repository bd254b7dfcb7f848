// Colour properties written by name in a form resource ("clCream", "clWindow") read as the
// colour, in the text and in the binary form alike.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/rtl/Filer.h"

namespace {

TPanel* ReadPanel(TForm* form, const QString& colour, const QString& fontColour)
{
    RegisterClasses<TPanel>();
    const QString text = QStringLiteral("object ColourForm: TForm\n"
                                        "  object Box: TPanel\n"
                                        "    Color = %1\n"
                                        "    Font.Color = %2\n"
                                        "    ParentColor = False\n"
                                        "  end\n"
                                        "end\n")
                             .arg(colour, fontColour);
    ReadComponentRes(text.toUtf8(), form);
    return dynamic_cast<TPanel*>(form->FindComponent("Box"));
}

}  // namespace

TEST(ColourNames, IntegerColourPropertiesReadNamesAndNumbers)
{
    struct Case { const char* colour; TColor expected; };
    const Case cases[] = {
        {"clCream", clCream}, {"clWindow", clWindow}, {"clbtnface", clBtnFace},
        {"clNone", clNone}, {"15793151", TColor(15793151)}, {"-2147483643", clWindow},
    };
    for (const Case& c : cases) {
        auto form = CreateUnique<TForm>(nullptr);
        TPanel* box = ReadPanel(form.get(), QString::fromLatin1(c.colour), QStringLiteral("clRed"));
        ASSERT_NE(box, nullptr) << c.colour;
        EXPECT_EQ(box->Color(), c.expected) << c.colour;
        EXPECT_EQ(box->Font()->GetColor(), clRed) << c.colour;
    }
}

TEST(ColourNames, ANameThatIsNoColourIsAReadError)
{
    for (const char* bad : {"clNoSuchColour", "alClient"}) {
        auto form = CreateUnique<TForm>(nullptr);
        EXPECT_THROW(ReadPanel(form.get(), QString::fromLatin1(bad), QStringLiteral("clRed")), EReadError) << bad;
    }
    // A name still means nothing to a property that is no number.
    RegisterClasses<TPanel>();
    auto form = CreateUnique<TForm>(nullptr);
    EXPECT_THROW(ReadComponentRes(QByteArray("object F: TForm\n  Caption = clRed\nend\n"), form.get()), EReadError);
}

TEST(ColourNames, TheValueIsWrittenAsANumberAndReadsBack)
{
    auto form = CreateUnique<TForm>(nullptr);
    ReadPanel(form.get(), QStringLiteral("clCream"), QStringLiteral("clHighlight"));
    const QByteArray written = ComponentToBinary(form.get());
    auto again = CreateUnique<TForm>(nullptr);
    ReadComponentRes(written, again.get());
    auto* box = dynamic_cast<TPanel*>(again->FindComponent("Box"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Font()->GetColor(), clHighlight);
}
