// Column footers of the data grid: the single footer of a column and its collection of further footers.
#pragma once

#include "platform/rtl/System.h"

#include <QString>
#include <functional>

// One footer cell of a grid column. Value is the text it shows (static text footers); a
// change is reported to the owning column so it can lay out and repaint its footer. Set it
// on the UI thread only.
class TColumnFooterEh : public TObject {
public:
    QString Value() const { return FValue; }
    void SetValue(const QString& AValue)
    {
        if (FValue == AValue)
            return;
        FValue = AValue;
        if (OnChanged)
            OnChanged(this);
    }

    // Whoever owns the footer listens here.
    std::function<void(TColumnFooterEh*)> OnChanged;

private:
    QString FValue;
};
