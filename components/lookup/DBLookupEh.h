// The lookup combo box: an edit whose text is the list field of a row of the list source,
// chosen by its key. This first form has no drop-down list: the user types the list text
// (or a program sets the key), and the key follows the row whose list text matches.
#pragma once

#include "components/editors/DBCtrlsEh.h"
#include "platform/rtl/Variants.h"

class TDataSource;

class TDBLookupComboboxEh : public TCustomDBEditEh {
    DOV_PERSISTENT(TDBLookupComboboxEh, TCustomDBEditEh)
public:
    explicit TDBLookupComboboxEh(TComponent* AOwner);
    ~TDBLookupComboboxEh() override;

    QString KeyField() const { return FKeyField; }
    void SetKeyField(const QString& Value);
    QString ListField() const { return FListField; }
    void SetListField(const QString& Value);
    TDataSource* ListSource() const { return FListSource; }
    void SetListSource(TDataSource* Value);

    // The key of the chosen row; Null when the text names no row of the list.
    Variant KeyValue() const { return FKeyValue; }
    // Shows the list text of the row with this key (an empty text when there is none).
    void SetKeyValue(const Variant& Value);

    TNotifyEvent OnKeyValueChanged;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Change() override;

private:
    QString FKeyField;
    QString FListField;
    TDataSource* FListSource = nullptr;
    Variant FKeyValue;
    bool FSettingKey = false;
    void KeyFromText();
    void SetKeyInternal(const Variant& Value);
};
