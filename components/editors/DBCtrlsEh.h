// Data-aware edit controls. Each area of the unit is implemented in its own DBCtrlsEh_<Area>.cpp
// next to this header; DBCtrlsEh_DataLink.cpp holds the field link, the edit image, the
// empty-data text and the value-to-text helpers that every edit control shares.
#pragma once

#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "platform/db/DB.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Variants.h"
#include "platform/winapi/Messages.h"
#include "platform/winapi/Windows.h"

class TWinControl;
class TCustomImageList;
class TFont;
class TCanvas;

// ============================================================================================
// The field link (DBCtrlsEh_DataLink.cpp)
// ============================================================================================

// Binds an edit control to one field, to several fields (MultiFields: FieldName is a
// ";"-separated list) or to nothing: with neither a data source nor a field name the link is
// data independent and holds the control's value itself in DataIndependentValue.
class TFieldDataLinkEh : public TDataLink {
public:
    TFieldDataLinkEh();

    TDataSource* DataSource() const { return GetDataSource(); }
    TDataSource* GetDataSource() const { return TDataLink::DataSource(); }
    void SetDataSource(TDataSource* Value);
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    bool MultiFields() const { return FMultiFields; }
    void SetMultiFields(bool Value);
    TComponent* Control() const { return FControl; }
    void SetControl(TComponent* Value) { FControl = Value; }

    // Data independent, or bound and the dataset open with the field found.
    bool Active() const { return GetActive(); }
    bool GetActive() const;
    bool DataSetActive() const { return GetDataSetActive(); }
    bool GetDataSetActive() const;
    // The field can take a value, or the link holds its own; read-only flags of the link and
    // the control are the control's business.
    bool CanModify() const;
    // The link's own editing flag (the dataset's is TDataLink::Editing).
    bool Editing() const { return FEditing; }
    bool IsModified() const { return FModified; }
    bool DataIndepended() const { return FDataIndepended; }

    TField* Field() const { return GetField(); }
    TField* GetField() const { return FFields.empty() ? nullptr : FFields[0]; }
    int FieldsCount() const { return int(FFields.size()); }
    TField* GetFieldsField(int Index) const;
    const TFieldsArrEh& Fields() const { return FFields; }

    bool Edit();
    void Modified() { FModified = true; }
    void SetModified(bool Value) { FModified = Value; }
    // Makes the control reload its value.
    void Reset() { RecordChanged(nullptr); }
    // Both write at once: into the field (through its text parsing, or AsString for memos),
    // or into DataIndependentValue.
    void SetText(const QString& Text);
    void SetValue(const Variant& Value);

    Variant DataIndependentValue = Variant::Null();

    TNotifyEvent OnDataChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnActiveChange;

protected:
    void ActiveChanged() override;
    void DataEvent(TDataEvent Event, NativeInt Info) override;
    void EditingChanged() override;
    void FocusControl(TField** Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override { HandleRecordChanged(Field); }
    void UpdateData() override;
    virtual void UpdateField();
    virtual bool IsDataIndepended() const;

    void HandleRecordChanged(TField* Field);

    TFieldsArrEh FFields;
    QString FFieldName;
    TComponent* FControl = nullptr;
    bool FMultiFields = false;
    bool FDataIndepended = true;
    bool FEditing = false;
    bool FModified = false;

private:
    void UpdateDataIndepended();
    bool HoldsFreedField() const;
};

// ============================================================================================
// The image at the left of an edit's text (DBCtrlsEh_DataLink.cpp)
// ============================================================================================

// Sent to the edit when the image's size or visibility changes (WParam: the image object):
// the edit recreates its window and so lays out its text again.
inline constexpr UINT CM_EDITIMAGECHANGEDEH = WM_USER + 101;

class TEditImageEh : public TPersistent {
public:
    explicit TEditImageEh(TWinControl* EditControl);
    ~TEditImageEh() override;

    TWinControl* EditControl() const { return FEditControl; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    bool UseImageHeight() const { return FUseImageHeight; }
    void SetUseImageHeight(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);

    void Assign(TPersistent* Source) override;

protected:
    TPersistent* GetOwner() const override;

private:
    TWinControl* FEditControl;
    int FImageIndex = -1;
    TCustomImageList* FImages = nullptr;
    bool FUseImageHeight = true;
    bool FVisible = false;
    int FWidth = 0;

    void SizeChanged();
};

// ============================================================================================
// The grey hint text of an empty edit (DBCtrlsEh_DataLink.cpp)
// ============================================================================================

// What the hint text needs of the edit that shows it; the edit control implements it.
class IEmptyDataInfoHostEh {
public:
    virtual ~IEmptyDataInfoHostEh() = default;
    virtual TWinControl* EmptyDataInfoControl() = 0;
    // The edit's own text alignment.
    virtual TAlignment EmptyDataInfoAlignment() = 0;
    virtual bool IsEmpty() = 0;
    virtual TRect GetEditRect() = 0;
    // Left (X) and top (Y) margins of the text inside the edit rectangle.
    virtual TPoint EditTextMargins() = 0;
    virtual TCanvas* EmptyDataInfoCanvas() = 0;
};

class TControlEmptyDataInfoEh : public TPersistent {
public:
    explicit TControlEmptyDataInfoEh(IEmptyDataInfoHostEh* Control);
    ~TControlEmptyDataInfoEh() override;

    QString Text() const { return FText; }
    void SetText(const QString& Value);
    TFont* Font() const { return FFont; }
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    bool IsFontStored() const { return !FParentFont; }
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    bool AlignmentIsStored() const { return FAlignmentIsStored; }
    void SetAlignmentIsStored(bool Value);

    // Follows the edit's font while ParentFont (size, name and character set only).
    void RefreshDefaultFont();
    bool Showing();
    void PaintEmptyDataInfo();

protected:
    TPersistent* GetOwner() const override;

private:
    TAlignment FAlignment = taLeftJustify;
    bool FAlignmentIsStored = false;
    IEmptyDataInfoHostEh* FControl;
    TFont* FFont;
    bool FParentFont = true;
    QString FText;

    void FontChanged(TObject* Sender);
    void Repaint();
};

// ============================================================================================
// Value-to-text helpers (DBCtrlsEh_DataLink.cpp)
// ============================================================================================

// The value as text; '' for an array or when the conversion fails. Never raises.
QString SafeVarToStr(const Variant& Value);
// A number typed into an edit: only digits, + - E e and the decimal separator are accepted;
// "+" or "-" alone is 0. Texts longer than the conversion takes are refused, not cut.
bool TryTextToFloatEh(const QString& Text, double& Value);
inline constexpr int MaxTextToFloatLengthEh = 127;
// The integer part of a number text grouped by the thousand separator.
QString InsertThousandSeparators(const QString& NumberText, bool UseSeparators);
// ",#." and as many "0" as the currency has decimals.
QString DefaultNumberDisplayFormat();
#include "components/editors/DBCtrlsEh_ButtonsBox.h"
#include "components/editors/DBCtrlsEh_Image.h"
#include "components/editors/DBCtrlsEh_Edit.h"
#include "components/editors/DBCtrlsEh_CheckBox.h"
#include "components/editors/DBCtrlsEh_ComboBox.h"
#include "components/editors/DBCtrlsEh_NumberEdit.h"
#include "components/editors/DBCtrlsEh_RichEdit.h"
#include "components/editors/DBCtrlsEh_DateTime.h"
