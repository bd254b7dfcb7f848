// Themed parts drawn by the application's QStyle.
#include "Themes.h"

#include "platform/winapi/DeviceContext.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOption>

namespace {
bool gStyles = false;
bool gCustom = false;
int gGeneration = 0;
}

bool StyleServicesEnabled() { return gStyles && qobject_cast<QApplication*>(QCoreApplication::instance()); }
void SetStyleServicesEnabled(bool enabled)
{
    if (enabled != gStyles) {
        gStyles = enabled;
        ++gGeneration;
    }
}
bool CustomStyleActiveFlag() { return gCustom; }
void SetCustomStyleActive(bool active)
{
    if (active != gCustom) {
        gCustom = active;
        ++gGeneration;
    }
}
int StyleGeneration() { return gGeneration; }

void DrawThemedPart(HDC dc, TThemedPart part, TThemedPartState state, const TRect& r, int checkState)
{
    if (!dc || !dc->Painter || IsRectEmpty(r) || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QStyle* style = QApplication::style();
    QPainter* p = dc->Painter;
    const QRect rect = dc->DevRect(r);
    QStyle::State st = QStyle::State_None;
    if (state != tpsDisabled)
        st |= QStyle::State_Enabled;
    if (state == tpsHot)
        st |= QStyle::State_MouseOver;
    if (state == tpsPressed)
        st |= QStyle::State_Sunken;
    else
        st |= QStyle::State_Raised;
    switch (part) {
    case tpPushButton:
    case tpToolButton: {
        QStyleOptionButton o;
        o.rect = rect;
        o.state = st;
        if (part == tpToolButton)
            o.features = QStyleOptionButton::Flat;
        style->drawControl(QStyle::CE_PushButtonBevel, &o, p);
        break;
    }
    case tpComboDropDown:
    case tpSpinUp:
    case tpSpinDown: {
        QStyleOption o;
        o.rect = rect;
        o.state = st;
        const QStyle::PrimitiveElement pe = part == tpSpinUp ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown;
        QStyleOptionButton b;
        b.rect = rect;
        b.state = st;
        style->drawControl(QStyle::CE_PushButtonBevel, &b, p);
        style->drawPrimitive(pe, &o, p);
        break;
    }
    case tpCheckBox: {
        QStyleOptionButton o;
        o.rect = rect;
        o.state = st | (checkState == 1 ? QStyle::State_On : checkState == 2 ? QStyle::State_NoChange : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &o, p);
        break;
    }
    case tpTreeOpened:
    case tpTreeClosed: {
        QStyleOption o;
        o.rect = rect;
        o.state = st | QStyle::State_Children | (part == tpTreeOpened ? QStyle::State_Open : QStyle::State_None);
        style->drawPrimitive(QStyle::PE_IndicatorBranch, &o, p);
        break;
    }
    }
    dc->FontApplied = false;   // the style may have changed the painter's font
}
