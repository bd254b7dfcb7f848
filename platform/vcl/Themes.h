// The visual-style switch: with styles on, themed parts are drawn by the widget style
// (QStyle); with styles off (the default, and always in tests) everything is classic.
#pragma once

#include "platform/winapi/WinGdi.h"

bool StyleServicesEnabled();
void SetStyleServicesEnabled(bool enabled);
// A custom application style (never active unless switched on).
bool CustomStyleActiveFlag();
void SetCustomStyleActive(bool active);
// Bumped on every switch; painters compare it to drop cached images.
int StyleGeneration();

enum TThemedPart { tpPushButton, tpToolButton, tpComboDropDown, tpSpinUp, tpSpinDown, tpCheckBox, tpTreeOpened, tpTreeClosed };
enum TThemedPartState { tpsNormal, tpsHot, tpsPressed, tpsDisabled };
// checkState: 0 unchecked, 1 checked, 2 mixed (check boxes only).
void DrawThemedPart(HDC dc, TThemedPart part, TThemedPartState state, const TRect& r, int checkState = 0);
