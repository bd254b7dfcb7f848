// The data-aware image control: its picture and the blob field, bad data, the clipboard,
// placement, zoom and pan, the popup menu, the edit button and the picture editor.
#include "components/editors/PictureEditFormsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/PopupMenus.h"
#include "platform/vcl/StdCtrls.h"
#include "support/AppEnvironment.h"
#include "support/DialogScript.h"
#include "platform/rtl/Filer.h"

#include <QBuffer>
#include <climits>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Encode(const QImage& img, const char* format)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format);
    return bytes;
}

QImage Solid(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// The box of pixels that are not the background colour.
QRect Ink(const QImage& img, QRgb background)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF))
                r |= QRect(x, y, 1, 1);
    return r;
}

class ImageControlTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TMemTableEh* table = nullptr;
    TDataSource* source = nullptr;
    TDBImageEh* image = nullptr;
    QByteArray png = Encode(Solid(20, 10, Qt::red), "PNG");

    void SetUp() override
    {
        table = Create<TMemTableEh>(form.get());
        table->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
        table->FieldDefs()->Add(QStringLiteral("Photo"), ftBlob);
        table->CreateDataSet();
        table->AppendRecord({Variant(1), Variant::Null()});
        table->AppendRecord({Variant(2), Variant::Null()});
        table->First();
        SetBlob(png);
        source = Create<TDataSource>(form.get());
        source->SetDataSet(table);
        form->SetBounds(0, 0, 300, 300);
        image = Create<TDBImageEh>(form.get());
        image->SetName(QStringLiteral("PhotoImage"));
        image->SetParent(form.get());
        image->SetBorderStyle(bsNone);
        image->SetColor(clWhite);
        image->SetDataSource(source);
        image->SetDataField(QStringLiteral("Photo"));
    }

    TBlobField* Photo() const { return static_cast<TBlobField*>(table->FieldByName(QStringLiteral("Photo"))); }

    void SetBlob(const QByteArray& bytes)
    {
        table->Edit();
        Photo()->SetAsBytes(bytes);
        table->Post();
    }

    QImage Render()
    {
        TBitmap bmp(image->Width(), image->Height());
        image->PaintTo(bmp.Canvas(), 0, 0);
        return bmp.Image().convertToFormat(QImage::Format_RGB32);
    }

    QStringList MenuCaptions()
    {
        QStringList out;
        TMenuItem* root = image->GetPopupMenu()->Items();
        for (int i = 0; i < root->Count(); ++i)
            out << root->Items(i)->Caption;
        return out;
    }
};

}  // namespace

TEST_F(ImageControlTest, ShowsTheFieldsPictureAndWritesChangesBack)
{
    ASSERT_TRUE(image->PictureLoaded());
    EXPECT_TRUE(dynamic_cast<TPngImage*>(image->Picture()->Graphic()));
    EXPECT_EQ(image->Picture()->Width(), 20);
    EXPECT_EQ(table->State(), dsBrowse);   // loading is no change

    // A picture stored with its class name loads as well.
    TPicture stored;
    stored.SetGraphic(image->Picture()->Graphic());
    table->Next();
    table->Edit();
    Photo()->Assign(&stored);
    table->Post();
    EXPECT_EQ(Photo()->AsBytes(), QByteArray("\x09TPngImage") + png);
    EXPECT_TRUE(dynamic_cast<TPngImage*>(image->Picture()->Graphic()));
    EXPECT_EQ(image->Picture()->Height(), 10);

    // Deleting through the menu edits the record; posting writes the empty picture.
    image->MenuItemDelete(nullptr);
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_FALSE(image->Picture()->HasImage());
    table->Post();
    EXPECT_TRUE(Photo()->IsNull());
    table->First();
    EXPECT_EQ(Photo()->AsBytes(), png);   // the other record kept its own
}

TEST_F(ImageControlTest, LoadAndSaveGoThroughTheFileDialogs)
{
    QTemporaryDir dir;
    const QString jpg = dir.filePath("in.jpg");
    Solid(8, 8, Qt::blue).save(jpg, "JPG");
    testsupport::TDialogScript script;
    script.ThenFiles({jpg});
    image->MenuItemLoad(nullptr);
    ASSERT_EQ(script.Calls.size(), 1u);
    EXPECT_EQ(script.Calls[0].Caption, QStringLiteral("Load Picture"));
    EXPECT_EQ(table->State(), dsEdit);
    table->Post();
    QFile f(jpg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(Photo()->AsBytes(), f.readAll());   // the file's own data, not re-encoded
    EXPECT_TRUE(dynamic_cast<TJPEGImage*>(image->Picture()->Graphic()));

    const QString out = dir.filePath("out");
    script.Then([&](TDialogCall& c) {
        EXPECT_EQ(c.Caption, QStringLiteral("Save Picture As"));
        EXPECT_EQ(c.DefaultExt, QStringLiteral("jpg"));
        EXPECT_TRUE(c.Filter.startsWith(QStringLiteral("All (*.jpg;*.jpeg)")));
        c.Files = QStringList{out + QStringLiteral(".jpg")};
        return IDOK;
    });
    image->MenuItemSave(nullptr);
    EXPECT_EQ(QImage(out + QStringLiteral(".jpg")).size(), QSize(8, 8));

    // A cancelled load changes nothing.
    script.Then(IDCANCEL);
    image->MenuItemLoad(nullptr);
    EXPECT_EQ(table->State(), dsBrowse);

    // A file that is no picture is refused with a clear error; picture and field stay.
    const QByteArray before = Photo()->AsBytes();
    const QString bad = dir.filePath("bad.png");
    QFile badFile(bad);
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write("not a picture");
    badFile.close();
    script.ThenFiles({bad});
    EXPECT_THROW(image->MenuItemLoad(nullptr), EInvalidGraphic);
    EXPECT_EQ(image->Picture()->Width(), 8);
    table->Cancel();
    EXPECT_EQ(Photo()->AsBytes(), before);
}

TEST_F(ImageControlTest, BadBlobsGiveAnEmptyPictureAndLeaveTheFieldAlone)
{
    const QByteArray jpg = Encode(Solid(30, 30, Qt::green), "JPG");
    struct Case {
        const char* Name;
        QByteArray Data;
    };
    const Case cases[] = {
        {"plain text", QByteArray("Счёт-фактура №12").append('\0')},
        {"PNG cut short", png.left(png.size() / 2)},
        {"JPEG cut short", jpg.left(jpg.size() - 40)},
        {"class name then garbage", QByteArray("\x09TPngImage") + QByteArray(30, 'x')},
        {"class name only", QByteArray("\x07TBitmap")},
        {"header then garbage", QByteArray("\x01\x00\x00\x01\x04\x00\x00\x00zzzz", 12)},
        {"BMP signature only", QByteArray("BM")},
    };
    image->SetPicturePlacement(ipStretchEh);
    image->SetBounds(0, 0, 50, 40);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetBlob(c.Data);
        EXPECT_TRUE(image->PictureLoaded());
        EXPECT_FALSE(image->Picture()->HasImage());
        EXPECT_EQ(Ink(Render(), qRgb(255, 255, 255)), QRect());
        EXPECT_EQ(table->State(), dsBrowse);
        EXPECT_EQ(Photo()->AsBytes(), c.Data);
        // Leaving or re-reading the record does not write the empty picture back.
        image->DataLink()->UpdateRecord();
        EXPECT_EQ(Photo()->AsBytes(), c.Data);
    }
}

TEST_F(ImageControlTest, PlacementsDrawWhereTheyShould)
{
    image->SetBounds(0, 0, 100, 100);
    struct Case {
        TImagePlacementEh Placement;
        int Zoom;
        QRect Expected;
    };
    const Case cases[] = {
        {ipCenterCenterEh, 100, QRect(40, 45, 20, 10)},
        {ipReduceFitEh, 100, QRect(40, 45, 20, 10)},   // small pictures are not enlarged
        {ipStretchEh, 100, QRect(0, 0, 100, 100)},
        {ipFitEh, 100, QRect(0, 25, 100, 50)},          // proportional
        {ipTopLeftEh, 100, QRect(0, 0, 20, 10)},
        // Right and bottom of the centred box doubled from the origin, the picture fitted in.
        {ipReduceFitEh, 200, QRect(40, 57, 60, 40)},
        {ipStretchEh, 0, QRect()},                          // zoomed to nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.Placement) << " at " << c.Zoom);
        image->SetPicturePlacement(c.Placement);
        image->SetZoom(c.Zoom);
        EXPECT_EQ(Ink(Render(), qRgb(255, 255, 255)), c.Expected);
    }
    // An empty client area draws nothing and divides by nothing.
    image->SetZoom(100);
    image->SetBounds(0, 0, 0, 0);
    TBitmap bmp(10, 10);
    image->PaintTo(bmp.Canvas(), 0, 0);
}

TEST_F(ImageControlTest, WheelZoomsInStepsAndDragPans)
{
    EXPECT_EQ(image->ScaleRect(TRect(10, 20, 30, 41), 150), TRect(10, 20, 45, 61));
    // A deep zoom of a large rectangle stays in range instead of wrapping around.
    EXPECT_EQ(image->ScaleRect(TRect(0, 0, 3000000, -3000000), 100000), TRect(0, 0, INT_MAX, INT_MIN));
    image->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(5, 5));
    EXPECT_EQ(image->Zoom(), 110);
    EXPECT_TRUE(image->ZoomIsTemporary());
    for (int i = 0; i < 15; ++i)
        image->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, uint16_t(-120)), MAKELPARAM(5, 5));
    EXPECT_EQ(image->Zoom(), 0);
    image->SetZoom(-5);
    EXPECT_EQ(image->Zoom(), 0);

    image->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    image->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(25, 4));
    EXPECT_EQ(image->ImagePos(), TPoint(15, -6));
    image->Perform(WM_LBUTTONUP, 0, MAKELPARAM(25, 4));
    image->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    EXPECT_EQ(image->ImagePos(), TPoint(15, -6));   // no button, no pan

    // "Default Pos (Enter)" brings both back.
    TMenuItem* root = image->GetPopupMenu()->Items();
    root->Items(root->Count() - 1)->Click();
    EXPECT_EQ(image->Zoom(), 100);
    EXPECT_EQ(image->ImagePos(), TPoint(0, 0));
}

TEST_F(ImageControlTest, ClipboardCutCopyPasteAndReadOnly)
{
    Clipboard()->Clear();
    image->HandleKeyPress(VK_INSERT, QChar(), TShiftState{ssCtrl});
    ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    TBitmap copied;
    copied.Assign(Clipboard());
    EXPECT_EQ(copied.Width(), 20);

    // Read-only: the keys and messages that would change the picture do nothing.
    image->SetReadOnly(true);
    image->HandleKeyPress('X', QChar(24), TShiftState{ssCtrl});
    image->Perform(WM_CUT);
    image->HandleKeyPress(VK_INSERT, QChar(), TShiftState{ssShift});
    EXPECT_TRUE(image->Picture()->HasImage());
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(MenuCaptions(), (QStringList{"Copy", "-", "Save...", "-", "Default Pos (Enter)"}));

    image->SetReadOnly(false);
    EXPECT_EQ(MenuCaptions(),
              (QStringList{"Cut", "Copy", "Paste", "Delete", "-", "Load...", "Save...", "-", "Default Pos (Enter)"}));
    image->HandleKeyPress('X', QChar(24), TShiftState{ssCtrl});
    EXPECT_FALSE(image->Picture()->HasImage());
    EXPECT_EQ(table->State(), dsEdit);
    table->Post();
    EXPECT_TRUE(Photo()->IsNull());
    EXPECT_EQ(MenuCaptions(), (QStringList{"Cut", "Copy", "Paste", "Delete", "-", "Load...", "-", "Default Pos (Enter)"}));

    Clipboard()->Assign(&copied);
    image->HandleKeyPress('V', QChar(22), TShiftState{ssCtrl});
    EXPECT_EQ(image->Picture()->Width(), 20);
    table->Post();
    EXPECT_EQ(Photo()->AsBytes().left(2), QByteArray("BM"));
    table->Next();
    table->First();
    EXPECT_EQ(image->Picture()->Width(), 20);
}

TEST_F(ImageControlTest, WithoutAutoDisplayTheNameShowsUntilEnter)
{
    image->SetAutoDisplay(false);
    table->Next();
    table->First();
    EXPECT_FALSE(image->PictureLoaded());
    image->SetBounds(0, 0, 120, 40);
    const QRect text = Ink(Render(), qRgb(255, 255, 255));
    EXPECT_FALSE(text.isEmpty());
    EXPECT_NEAR(text.center().x(), 60, 3);   // "(Photo)" centred
    image->HandleKeyPress(VK_RETURN, QChar(13), TShiftState{});
    EXPECT_TRUE(image->PictureLoaded());
    EXPECT_EQ(image->Picture()->Width(), 20);
}

namespace {
int editorCalls = 0;
bool PaintItBlue(TPicture* Picture)
{
    ++editorCalls;
    TBitmap b;
    b.SetImage(Solid(3, 3, Qt::blue));
    Picture->Assign(&b);
    return true;
}
}

TEST_F(ImageControlTest, EllipsisButtonEditsThePictureThroughTheHook)
{
    const TEditPictureProcEh saved = EditPictureHook;
    EditPictureHook = PaintItBlue;
    image->EditButton()->SetStyle(ebsEllipsisEh);
    image->EditButton()->SetVisible(true);
    image->HandleNeeded();
    image->UpdateEditButtonState();
    ASSERT_TRUE(image->EditButton()->DefaultAction());
    image->EditButtonClick(image->EditButtonControl());
    EditPictureHook = saved;
    EXPECT_EQ(editorCalls, 1);
    EXPECT_EQ(image->Picture()->Width(), 3);
    table->Post();
    EXPECT_EQ(Photo()->AsBytes().left(2), QByteArray("BM"));

    // Read-only: the editor may run, the field stays.
    const QByteArray before = Photo()->AsBytes();
    image->SetReadOnly(true);
    EditPictureHook = PaintItBlue;
    image->EditButtonClick(image->EditButtonControl());
    EditPictureHook = saved;
    EXPECT_EQ(Photo()->AsBytes(), before);
    EXPECT_EQ(table->State(), dsBrowse);
}

TEST(PictureEditor, CancelKeepsThePictureAndOkTakesTheEdit)
{
    TPicture pic;
    TBitmap b;
    b.SetImage(Solid(6, 4, Qt::red));
    pic.Assign(&b);
    testsupport::TDialogScript script;
    script.Then([](TDialogCall& c) {
        auto* dlg = static_cast<TPictureEditorDialog*>(c.Form);
        EXPECT_EQ(dlg->Image->Picture()->Width(), 6);
        dlg->ClearClick(nullptr);
        return mrCancel;
    });
    EXPECT_FALSE(EditPictureHook(&pic));
    EXPECT_EQ(pic.Width(), 6);

    script.Then([](TDialogCall& c) {
        auto* dlg = static_cast<TPictureEditorDialog*>(c.Form);
        EXPECT_EQ(c.Caption, QStringLiteral("Picture Editor"));
        EXPECT_TRUE(dlg->Save->Enabled());
        dlg->bZoomInClick(nullptr);
        EXPECT_EQ(dlg->Image->Zoom(), 110);
        dlg->bResetClick(nullptr);
        EXPECT_EQ(dlg->Image->Zoom(), 100);
        dlg->ClearClick(nullptr);
        EXPECT_FALSE(dlg->Save->Enabled());
        EXPECT_FALSE(dlg->Clear->Enabled());
        return mrOk;
    });
    EXPECT_TRUE(EditPictureHook(&pic));
    EXPECT_FALSE(pic.HasImage());

    // The shared dialog belongs to the application; free it while the window system is there.
    for (int i = Application->ComponentCount() - 1; i >= 0; --i)
        if (dynamic_cast<TPictureEditorDialog*>(Application->Components(i)))
            delete Application->Components(i);
    // The hook makes a new one when asked again.
    script.Then(mrCancel);
    EXPECT_FALSE(EditPictureHook(&pic));
    for (int i = Application->ComponentCount() - 1; i >= 0; --i)
        if (dynamic_cast<TPictureEditorDialog*>(Application->Components(i)))
            delete Application->Components(i);
}

TEST(PictureEditor, TheMaskEnablesTheOperations)
{
    auto dlg = CreateUnique<TPictureEditorDialog>(nullptr);
    TPicture pic;
    TBitmap b;
    b.SetImage(Solid(2, 2, Qt::red));
    pic.Assign(&b);
    struct Case {
        uint8_t Mask;
        QString Enabled;
    };
    const Case cases[] = {
        {0, QStringLiteral("OK Cancel")},
        {peoAllEh, QStringLiteral("OK Cancel Load Save Clear Cut Copy Paste ZoomIn ZoomOut Reset")},
        {peoZoomEh, QStringLiteral("OK Cancel ZoomIn ZoomOut Reset")},
        {peoResetEh | peoCopyEh, QStringLiteral("OK Cancel Copy Reset")},
    };
    for (const Case& c : cases) {
        testsupport::TDialogScript script;
        QString seen;
        script.Then([&](TDialogCall&) {
            const std::pair<TButton*, const char*> buttons[] = {
                {dlg->OKButton, "OK"}, {dlg->CancelButton, "Cancel"}, {dlg->Load, "Load"}, {dlg->Save, "Save"},
                {dlg->Clear, "Clear"}, {dlg->bCut, "Cut"}, {dlg->bCopy, "Copy"}, {dlg->bPaste, "Paste"},
                {dlg->bZoomIn, "ZoomIn"}, {dlg->bZoomOut, "ZoomOut"}, {dlg->bReset, "Reset"}};
            QStringList on;
            for (auto [button, name] : buttons)
                if (button->Enabled())
                    on << QString::fromLatin1(name);
            seen = on.join(u' ');
            return mrCancel;
        });
        EXPECT_FALSE(dlg->Edit(&pic, c.Mask));
        EXPECT_EQ(seen, c.Enabled) << int(c.Mask);
    }
}

TEST(PictureEditor, LaysItselfOutFromItsFormResource)
{
    auto dlg = CreateUnique<TPictureEditorDialog>(nullptr);
    EXPECT_EQ(dlg->Text(), QStringLiteral("Picture Editor"));
    EXPECT_EQ(dlg->BorderStyle(), bsDialog);
    EXPECT_EQ(dlg->Position, poScreenCenter);
    EXPECT_EQ(dlg->ClientWidth(), 392);
    EXPECT_EQ(dlg->ClientHeight(), 321);
    ASSERT_TRUE(dlg->OKButton && dlg->CancelButton && dlg->GroupBox1 && dlg->ImageShape && dlg->bReset);
    EXPECT_TRUE(dlg->OKButton->Default);
    EXPECT_EQ(dlg->OKButton->ModalResult, mrOk);
    EXPECT_TRUE(dlg->CancelButton->Cancel);
    EXPECT_EQ(dlg->CancelButton->ModalResult, mrCancel);
    EXPECT_EQ(dlg->Load->Parent(), dlg->GroupBox1);
    EXPECT_EQ(dlg->bReset->BoundsRect(), TRect(308, 236, 383, 259));
    EXPECT_EQ(dlg->Clear->Caption(), QStringLiteral("&Clear"));
    // The image stands where the shape is, with its anchors.
    ASSERT_TRUE(dlg->Image);
    EXPECT_EQ(dlg->Image->Parent(), dlg->GroupBox1);
    EXPECT_EQ(dlg->Image->BoundsRect(), TRect(8, 8, 282, 262));
    EXPECT_EQ(dlg->Image->Anchors(), (TAnchors{akLeft, akTop, akRight, akBottom}));
    EXPECT_TRUE(dlg->SaveDialog->Options().Contains(ofOverwritePrompt));
    EXPECT_TRUE(dlg->SaveDialog->Filter().startsWith(QStringLiteral("All (*.bmp;*.ico;*.emf;*.wmf)|")));
    // The handlers are bound by name: Clear empties the picture.
    TBitmap b;
    b.SetImage(Solid(2, 2, Qt::red));
    dlg->Image->Picture()->Assign(&b);
    dlg->Clear->Click();
    EXPECT_FALSE(dlg->Image->Picture()->HasImage());
}

TEST(ImageStreaming, OwnPictureGoesWithTheFormAndABoundOneDoesNot)
{
    RegisterClasses<TForm, TDBImageEh>();
    auto form = CreateUnique<TForm>(nullptr);
    form->SetName(QStringLiteral("PhotoForm"));
    auto* image = Create<TDBImageEh>(form.get());
    image->SetName(QStringLiteral("Logo"));
    image->SetParent(form.get());
    TPngImage png;
    TMemoryStream s;
    {
        QImage img(5, 3, QImage::Format_RGB32);
        img.fill(Qt::red);
        s.WriteBytes(Encode(img, "PNG"));
        s.SetPosition(0);
    }
    png.LoadFromStream(&s);
    image->Picture()->Assign(&png);
    image->SetPicturePlacement(ipStretchEh);
    const QString text = ComponentToText(form.get());
    EXPECT_TRUE(text.contains(QStringLiteral("Picture.Data = {"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("PicturePlacement = ipStretchEh")));

    auto back = CreateUnique<TForm>(nullptr);
    ReadComponentRes(ComponentToBinary(form.get()), back.get());
    auto* read = dynamic_cast<TDBImageEh*>(back->FindComponent(QStringLiteral("Logo")));
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(dynamic_cast<TPngImage*>(read->Picture()->Graphic()));
    EXPECT_EQ(read->Picture()->Width(), 5);
    EXPECT_EQ(read->PicturePlacement(), ipStretchEh);

    // Bound to a field, the picture is the field's business.
    auto* table = Create<TMemTableEh>(form.get());
    table->FieldDefs()->Add(QStringLiteral("Photo"), ftBlob);
    table->CreateDataSet();
    auto* source = Create<TDataSource>(form.get());
    source->SetDataSet(table);
    image->SetDataSource(source);
    image->SetDataField(QStringLiteral("Photo"));
    EXPECT_FALSE(ComponentToText(form.get()).contains(QStringLiteral("Picture.Data")));
}

TEST_F(ImageControlTest, TheLabelShowsTheFieldsName)
{
    table->FieldByName(QStringLiteral("Photo"))->SetDisplayLabel(QStringLiteral("Фото"));
    EXPECT_EQ(image->GetControlLabelCaption(), QStringLiteral("Фото"));
    image->ControlLabel()->SetVisible(true);
    image->ControlLabel()->UpdateCaption();
    EXPECT_EQ(image->ControlLabel()->Caption(), QStringLiteral("Фото"));
    EXPECT_EQ(image->ControlLabel()->Parent(), form.get());
    image->SetDataField(QString());
    EXPECT_EQ(image->GetControlLabelCaption(), QStringLiteral("PhotoImage"));
}
