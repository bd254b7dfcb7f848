// Common controls: page control with tab sheets, status bar and progress bar.
#pragma once

#include "Controls.h"

#include <memory>
#include <vector>

class TPageControl;

// One page of a page control; its controls are its children.
class TTabSheet : public TCustomControl {
    DOV_PERSISTENT(TTabSheet, TCustomControl)
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* v);
    int PageIndex() const;
    bool TabVisible = true;

private:
    TPageControl* FPageControl = nullptr;
    friend class TPageControl;
};

class TPageControl : public TCustomControl {
    DOV_PERSISTENT(TPageControl, TCustomControl)
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;
    int PageCount() const { return int(FPages.size()); }
    TTabSheet* Pages(int Index) const { return FPages.at(size_t(Index)); }
    TTabSheet* ActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* v);
    int ActivePageIndex() const;
    void SetActivePageIndex(int v);
    TNotifyEvent OnChange;

protected:
    void Paint() override;

private:
    void InsertPage(TTabSheet* p);
    void RemovePage(TTabSheet* p);
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    friend class TTabSheet;
};

class TStatusPanel {
public:
    QString Text;
    int Width = 50;
};

class TStatusPanels {
public:
    TStatusPanel* Add();
    int Count() const { return int(FItems.size()); }
    TStatusPanel* Items(int Index) const { return FItems.at(size_t(Index)).get(); }
    TStatusPanel* operator[](int Index) const { return Items(Index); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TStatusPanel>> FItems;
};

// With SimplePanel the bar shows SimpleText alone, else its panels.
class TStatusBar : public TCustomControl {
    DOV_PERSISTENT(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;
    QString SimpleText() const { return FSimpleText; }
    void SetSimpleText(const QString& v);
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool v);
    TStatusPanels* Panels() { return &FPanels; }

protected:
    void Paint() override;

private:
    QString FSimpleText;
    bool FSimplePanel = false;
    TStatusPanels FPanels;
};

enum TProgressBarStyle { pbstNormal, pbstMarquee };
DOV_ENUM_INFO(TProgressBarStyle, pbstNormal, pbstMarquee)

class TProgressBar : public TCustomControl {
    DOV_PERSISTENT(TProgressBar, TCustomControl)
public:
    explicit TProgressBar(TComponent* AOwner);
    ~TProgressBar() override;
    TProgressBarStyle Style() const { return FStyle; }
    void SetStyle(TProgressBarStyle v);
    int Min = 0;
    int Max = 100;
    int Position() const { return FPosition; }
    void SetPosition(int v);
    int MarqueeInterval = 10;

protected:
    void Paint() override;

private:
    TProgressBarStyle FStyle = pbstNormal;
    int FPosition = 0;
};
