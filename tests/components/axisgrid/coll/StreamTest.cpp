// Saving a bar collection to a component stream or file and loading it back; streams that
// cannot be read leave the collection as it was.
#include "CollFixtures.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/PopupMenus.h"

#include <QFile>

using BarStreamTest = CollGridTest;

namespace {
QByteArray Saved(TGridAxisBarsEh* bars)
{
    TBytesStream s;
    bars->SaveToStream(&s);
    return s.Bytes();
}

QString AsText(const QByteArray& binary)
{
    TBytesStream in(binary);
    TBytesStream out;
    ObjectBinaryToText(&in, &out);
    return QString::fromUtf8(out.Bytes());
}

QByteArray FromText(const QString& text)
{
    TBytesStream in(text.toUtf8());
    TBytesStream out;
    ObjectTextToBinary(&in, &out);
    return out.Bytes();
}

void Load(TGridAxisBarsEh* bars, const QByteArray& bytes)
{
    TBytesStream s(bytes);
    bars->LoadFromStream(&s);
}
}

// Three customized bars: the first with an own colour and caption, the second with its own
// layout, the third following every default.
class BarStreamFilled : public BarStreamTest {
protected:
    void SetUp() override
    {
        BarStreamTest::SetUp();
        TGridAxisBarsEh* bars = grid->AxisBars();
        bars->SetState(csCustomized);
        bars->Items(0)->SetColor(clRed);
        bars->Items(0)->Title()->SetCaption(QStringLiteral("Код"));
        bars->Items(1)->SetLayout(tlBottom);
    }
};

TEST_P(BarStreamFilled, ASavedCollectionLoadsBackWithItsOwnValuesAndDefaults)
{
    const QByteArray bytes = Saved(grid->AxisBars());
    const QString text = AsText(bytes);
    EXPECT_TRUE(text.startsWith(QStringLiteral("object TColumnsWrapper\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("AxisBars = <"))) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("FieldName = ")), 3) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("Layout = ")), 1) << text.toStdString();   // unassigned ones are not written

    TCollTestGrid* other = NewGrid();
    TGridAxisBarsEh* bars = other->AxisBars();
    other->Layouts = 0;
    Load(bars, bytes);
    EXPECT_EQ(other->Layouts, 1);
    EXPECT_EQ(Snapshot(bars), Snapshot(grid->AxisBars()));
    EXPECT_EQ(bars->State(), csCustomized);
    EXPECT_EQ(bars->Items(0)->Color(), clRed);
    EXPECT_EQ(bars->Items(0)->Title()->Caption(), QStringLiteral("Код"));
    EXPECT_EQ(bars->Items(0)->Field(), data->FieldByName(QStringLiteral("ID")));

    // What followed the defaults still does; own values stay.
    other->AxisBarDefValues()->SetLayout(tlCenter);
    EXPECT_EQ(bars->Items(0)->Layout(), tlCenter);
    EXPECT_EQ(bars->Items(1)->Layout(), tlBottom);
    EXPECT_EQ(bars->Items(2)->Title()->Caption(), QStringLiteral("AMOUNT"));
}

TEST_P(BarStreamFilled, AStreamThatCannotBeReadLeavesTheCollectionAsItWas)
{
    const QByteArray good = Saved(grid->AxisBars());
    const QString text = AsText(good);
    ASSERT_TRUE(text.contains(QStringLiteral("FieldName = 'NAME'"))) << text.toStdString();
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* message;   // a part of the error's text
    };
    QString unknownProp = text;
    unknownProp.replace(QStringLiteral("FieldName = 'NAME'"), QStringLiteral("FieldNameX = 'NAME'"));
    QString unknownClass = text;
    unknownClass.replace(QStringLiteral("object TColumnsWrapper"), QStringLiteral("object TBarsOfAnotherKind"));
    QString otherComponent = text;
    otherComponent.replace(QStringLiteral("object TColumnsWrapper"), QStringLiteral("object TDataSource"));
    const Case cases[] = {
        {"empty", QByteArray(), ""},
        {"inside the signature", good.left(3), ""},
        {"cut in the middle", good.left(good.size() / 2), ""},
        {"last byte missing", good.left(good.size() - 1), ""},
        {"not a component stream", QByteArrayLiteral("bars: ID, NAME"), ""},
        {"unknown property", FromText(unknownProp), "FieldNameX"},
        {"unknown root class", FromText(unknownClass), "TBarsOfAnotherKind"},
        {"a component of another class", FromText(otherComponent), "TDataSource"},
    };

    TCollTestGrid* other = NewGrid();
    TGridAxisBarsEh* bars = other->AxisBars();
    bars->SetState(csCustomized);
    bars->Items(2)->SetIndex(0);
    bars->Items(1)->SetColor(clLime);
    const QString before = Snapshot(bars);
    for (const Case& c : cases) {
        other->Layouts = 0;
        other->Removing.clear();
        try {
            Load(bars, c.bytes);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const EFilerError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.message))) << c.what << ": " << e.Message().toStdString();
        }
        EXPECT_EQ(Snapshot(bars), before) << c.what;
        EXPECT_EQ(other->Layouts, 0) << c.what;
        EXPECT_TRUE(other->Removing.empty()) << c.what;
        EXPECT_EQ(bars->GetUpdateCount(), 0) << c.what;
        EXPECT_EQ(other->LayoutLock(), 0) << c.what;
    }
    // The same collection still loads a good stream afterwards.
    Load(bars, good);
    EXPECT_EQ(Snapshot(bars), Snapshot(grid->AxisBars()));
}

TEST_P(BarStreamFilled, AFileIsReplacedWholeAndAMissingFileIsAnOpenError)
{
    const QString path = dir.filePath(QStringLiteral("bars.dfm"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    grid->AxisBars()->SaveToFile(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), Saved(grid->AxisBars()));

    TCollTestGrid* other = NewGrid();
    other->AxisBars()->LoadFromFile(path);
    EXPECT_EQ(Snapshot(other->AxisBars()), Snapshot(grid->AxisBars()));

    other->AxisBars()->Items(0)->SetColor(clNavy);
    const QString before = Snapshot(other->AxisBars());
    EXPECT_THROW(other->AxisBars()->LoadFromFile(dir.filePath(QStringLiteral("none.dfm"))), EFOpenError);
    EXPECT_EQ(Snapshot(other->AxisBars()), before);
}

TEST_P(BarStreamFilled, MenusOfTheGridsFormComeBackAndAMissingOneIsAReadError)
{
    for (const char* formName : {"GoodsForm", ""}) {
        owner->SetName(QString::fromUtf8(formName));
        auto* menu = Create<TPopupMenu>(owner);
        menu->SetName(QStringLiteral("BarMenu"));
        grid->AxisBars()->Items(1)->SetPopupMenu(menu);
        grid->AxisBars()->Items(2)->Title()->SetPopupMenu(menu);
        const QByteArray bytes = Saved(grid->AxisBars());

        TCollTestGrid* other = NewGrid();
        Load(other->AxisBars(), bytes);
        EXPECT_EQ(other->AxisBars()->Items(1)->PopupMenu(), menu) << formName;
        EXPECT_EQ(other->AxisBars()->Items(2)->Title()->PopupMenu(), menu) << formName;
        EXPECT_EQ(other->AxisBars()->Items(0)->PopupMenu(), nullptr) << formName;

        // Without the menu the stream cannot be read, and nothing changes.
        delete menu;
        TCollTestGrid* third = NewGrid();
        const QString before = Snapshot(third->AxisBars());
        try {
            Load(third->AxisBars(), bytes);
            ADD_FAILURE() << formName << ": no error";
        } catch (const EReadError& e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("BarMenu"))) << e.Message().toStdString();
        }
        EXPECT_EQ(Snapshot(third->AxisBars()), before) << formName;
    }
}

TEST_P(BarStreamTest, AnEmptyCollectionSavesAndLoadsAsEmpty)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    bars->Clear();
    const QByteArray bytes = Saved(bars);

    TCollTestGrid* other = NewGrid();
    other->AxisBars()->SetState(csCustomized);
    Load(other->AxisBars(), bytes);
    EXPECT_EQ(other->AxisBars()->State(), csDefault);
    other->LayoutChanged();
    EXPECT_EQ(FieldNames(other->AxisBars()), QStringLiteral("ID,NAME,AMOUNT"));
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarStreamTest, ::testing::Values(Regime::MemTable, Regime::AdoQuery), RegimeName);
INSTANTIATE_TEST_SUITE_P(Regimes, BarStreamFilled, ::testing::Values(Regime::MemTable, Regime::AdoQuery), RegimeName);
