// The date/time edit: a value kept as Null or a date-time, typed through a mask built from an
// edit format (D M Y H N S letters), completed from today on exit, stepped element by element
// and picked from a drop-down month calendar.
#pragma once

#include "components/editors/DBCtrlsEh.h"

enum TDateTimeKindEh { dtkDateEh, dtkTimeEh, dtkDateTimeEh, dtkCustomEh };
DOV_ENUM_INFO(TDateTimeKindEh, dtkDateEh, dtkTimeEh, dtkDateTimeEh, dtkCustomEh)

// Where one element lies in the masked text: Pos is 1-based, -1 when absent.
struct TElementMaskPosEh {
    int Pos = -1;
    int Length = -1;
    bool Present = false;
};

struct TDateTimeElementsMaskPosEh {
    TElementMaskPosEh Year, Month, Day, Hour, Min, Sec;
};

// The six parts of a typed text; -1 where absent or unreadable.
struct TDateTimePartsEh {
    int Year = -1, Month = -1, Day = -1, Hour = -1, Min = -1, Sec = -1;
    bool AllAbsent() const { return Year < 0 && Month < 0 && Day < 0 && Hour < 0 && Min < 0 && Sec < 0; }
};

// The edit mask for an edit format ("!" body ";1; "); fills the element positions. Raises
// Exception for a wrong element length, a repeated element or a run too long.
QString ParseEditFormat(const QString& EditFormat, TDateTimeElementsMaskPosEh& MaskPos);
// The same format in the platform's date-time formatting language.
QString EditFormatToDateTimeFormat(const QString& EditFormat);
// One character per text position: the element letter, "/" or ":", else a space.
QString EditFormatToStepTemplate(const QString& EditFormat);
// The date edit format for the locale's date order ("DD/MM/YYYY", "MM/DD/YY" ...).
QString DefaultDateEditFormat(bool FourDigitYear);
// The locale's short date format has a year of three or more letters.
bool LocaleHasFourDigitYear();

// Years below 100 get the century that puts them within 60 years before and 40 after
// CurrentYear (0 for this year).
int ExpandTwoDigitYear(int Year, int CurrentYear = 0);
// Reads the present elements of Text; True when every present element gave a number.
bool ParseTextByMask(const QString& Text, const TDateTimeElementsMaskPosEh& MaskPos, TDateTimePartsEh& Parts);
// Builds a value from the parts, keeping the components of Value (the previous value) that
// the mask has no element for. Complete fills absent parts from today and clamps the others.
// False (Value Null) when the parts form no valid date or time.
bool ComposeDateTimeValue(TDateTimePartsEh Parts, const TDateTimeElementsMaskPosEh& MaskPos, Variant& Value,
                          bool Complete);
// The six parts of a value (all -1 for Null).
TDateTimePartsEh DecomposeDateTimeValue(const Variant& Value);
// A date the platform can show: year 1 to 9999.
bool IsDateTimeInRangeEh(double Value);

// The element of Template at 1-based position P (a separator moves P one right): its letter,
// 1-based start S and run length R. False when there is no element there.
bool FindDateTimeElement(const QString& Template, int P, QChar& Letter, int& S, int& R);
// Text with the element at (S, R) stepped up or down, wrapping within the element's range.
QString StepDateTimeElementText(const QString& Text, QChar Letter, int S, int R, bool Up);

class TPopupMonthCalendarEh;

using TCloseUpEventEh = Delegate<void(TObject* Sender, bool Accept)>;

class TCustomDBDateTimeEditEh : public TCustomDBEditEh {
    DOV_PERSISTENT(TCustomDBDateTimeEditEh, TCustomDBEditEh)
public:
    explicit TCustomDBDateTimeEditEh(TComponent* AOwner);
    ~TCustomDBDateTimeEditEh() override;
    void AfterConstruction() override;

    TDateTimeKindEh Kind() const { return FKind; }
    void SetKind(TDateTimeKindEh Value);
    bool IsKindStored() const { return FKind != dtkCustomEh; }
    QString EditFormat() const { return FEditFormat; }
    void SetEditFormat(const QString& Value);
    bool IsEditFormatStored() const { return FKind == dtkCustomEh; }
    // The edit format in the platform's date-time formatting language.
    QString DateTimeFormat() const { return FDateTimeFormat; }
    const TDateTimeElementsMaskPosEh& DateTimeMaskPos() const { return FDateTimeMaskPos; }
    bool FourDigitYear() const { return FFourDigitYear; }

    virtual void DropDown();
    void CloseUp(bool Accept) override;
    virtual void UpdateMask();
    void ValidateEdit() override;
    bool IsEmpty() override;
    bool CalendarVisible() const { return FCalendarVisible; }
    // The drop-down calendar; nil until it first drops down.
    TPopupMonthCalendarEh* DropDownCalendar() const;

    TCloseUpEventEh OnCloseUp;
    TNotifyEvent OnDropDown;

protected:
    virtual void UpdateFourDigitYear();
    // Steps the element at the caret (the day, month, year, hour, minute or second).
    void StepDateTimeElement(bool Up);

    TEditButtonEh* CreateEditButton() override;
    QString GetDisplayTextForPaintCopy() override;
    Variant InternalGetValue() override { return FValue; }
    void UpdateState() override;
    void DataChanged() override;
    void DropDownButtonDown(TEditButtonControlEh* ButtonControl) override;
    void EditButtonDownDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                     bool TopButton, bool& AutoRepeat, bool& Handled) override;
    void EditButtonClickDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                      bool& Handled) override;
    void EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) override;
    void FilterMRUItem(const QString& AText, bool& Accept) override;
    void InternalSetText(const QString& AText) override;
    void InternalSetValue(const Variant& AValue) override;
    void UpdateFieldFromText() override;
    void SetValueAndPost(const Variant& Value) override;
    void Change() override;

    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void CMMouseWheel(TMessage& M) override;
    void CMWantSpecialKey(TMessage& M) override;
    void CMEnter(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void CMCancelMode(TMessage& M) override;

    // The text, set without reading it back.
    void SetTextInternally(const QString& AText);
    // May the user change the value now (stepping, the wheel, the calendar).
    bool CanStep();
    bool IsCalendarWindow(TControl* Control) const;

    bool FCalendarVisible = false;
    TWinControl* FDropDownCalendar = nullptr;
    bool FEditValidating = false;
    bool FInternalTextSetting = false;
    TDateTimeKindEh FKind = dtkDateEh;
    Variant FValue = Variant::Null();
    QString FEditFormat;
    QString FDateTimeFormat;
    QString FStepTemplate;
    TDateTimeElementsMaskPosEh FDateTimeMaskPos;
    bool FFourDigitYear = false;
};

class TDBDateTimeEditEh : public TCustomDBDateTimeEditEh {
    DOV_PERSISTENT(TDBDateTimeEditEh, TCustomDBDateTimeEditEh)
public:
    explicit TDBDateTimeEditEh(TComponent* AOwner);
};
