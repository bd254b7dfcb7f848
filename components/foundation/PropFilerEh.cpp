#include "PropFilerEh.h"

#include "platform/winapi/Windows.h"

#include <QWidget>

namespace {

struct TInterceptorEntry {
    const TClassInfo* Target;
    TStoragePropertyInterceptorClass Interceptor;
};

// Filled at start-up with the form entry; lives to the end of the program.
std::vector<TInterceptorEntry>& Registry()
{
    static std::vector<TInterceptorEntry> registry = [] {
        std::vector<TInterceptorEntry> r;
        r.push_back({&TCustomForm::StaticClassInfo(), &TFormStoragePropertyInterceptor::CreateFor});
        return r;
    }();
    return registry;
}

}  // namespace

void UnregisterStoragePropertyInterceptor(const TClassInfo* TargetClass, TStoragePropertyInterceptorClass InterceptorClass)
{
    auto& r = Registry();
    std::erase_if(r, [&](const TInterceptorEntry& e) { return e.Target == TargetClass && e.Interceptor == InterceptorClass; });
}

void RegisterStoragePropertyInterceptor(const TClassInfo* TargetClass, TStoragePropertyInterceptorClass InterceptorClass)
{
    auto& r = Registry();
    std::erase_if(r, [&](const TInterceptorEntry& e) { return e.Target == TargetClass; });
    r.push_back({TargetClass, InterceptorClass});
}

TStoragePropertyInterceptorClass StoragePropertyInterceptorFor(const TClassInfo* TargetClass)
{
    for (const TInterceptorEntry& e : Registry())
        if (e.Target == TargetClass)
            return e.Interceptor;
    return nullptr;
}

int StoragePropertyInterceptorCount()
{
    return int(Registry().size());
}

DOV_PUBLISHED(TStoragePropertyInterceptor) {}

// The stored values a reader writes into the interceptor by name.
DOV_PUBLISHED(TFormStoragePropertyInterceptor)
{
    P.Prop("Left", &TFormStoragePropertyInterceptor::Left, &TFormStoragePropertyInterceptor::SetLeft);
    P.Prop("Top", &TFormStoragePropertyInterceptor::Top, &TFormStoragePropertyInterceptor::SetTop);
    P.Prop("Width", &TFormStoragePropertyInterceptor::Width, &TFormStoragePropertyInterceptor::SetWidth);
    P.Prop("Height", &TFormStoragePropertyInterceptor::Height, &TFormStoragePropertyInterceptor::SetHeight);
    P.Prop("WindowState", &TFormStoragePropertyInterceptor::WindowState,
           &TFormStoragePropertyInterceptor::SetWindowState);
    P.Prop("PixelsPerInch", &TFormStoragePropertyInterceptor::PixelsPerInch,
           &TFormStoragePropertyInterceptor::SetPixelsPerInch);
}

TStoragePropertyInterceptor* TStoragePropertyInterceptor::CreateFor(TPersistent* ATarget)
{
    return new TStoragePropertyInterceptor(ATarget);
}

TRect GetFormNormalPlacement(TCustomForm* Form)
{
    // A maximized or minimized window remembers where it restores to; its bounds are not that.
    if (Form->WindowState() != wsNormal && Form->HandleAllocated()) {
        const QRect g = Form->Widget()->normalGeometry();
        if (g.isValid())
            return TRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
    }
    return TRect(Form->Left(), Form->Top(), Form->Left() + Form->Width(), Form->Top() + Form->Height());
}

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TPersistent* ATarget)
    : TStoragePropertyInterceptor(ATarget)
{
    if (TCustomForm* f = Form()) {
        const TRect r = GetFormNormalPlacement(f);
        FLeft = r.Left;
        FTop = r.Top;
        FWidth = r.Width();
        FHeight = r.Height();
        FPixelsPerInch = Screen ? Screen->PixelsPerInch : 96;
        FWindowState = f->WindowState();
        FActiveControl = f->ActiveControl();
    }
}

TStoragePropertyInterceptor* TFormStoragePropertyInterceptor::CreateFor(TPersistent* ATarget)
{
    return new TFormStoragePropertyInterceptor(ATarget);
}

int TFormStoragePropertyInterceptor::Left() const
{
    return Form() ? GetFormNormalPlacement(Form()).Left : 0;
}

int TFormStoragePropertyInterceptor::Top() const
{
    return Form() ? GetFormNormalPlacement(Form()).Top : 0;
}

int TFormStoragePropertyInterceptor::Width() const
{
    return Form() ? GetFormNormalPlacement(Form()).Width() : 0;
}

int TFormStoragePropertyInterceptor::Height() const
{
    return Form() ? GetFormNormalPlacement(Form()).Height() : 0;
}

void TFormStoragePropertyInterceptor::Readed()
{
    const int now = Screen ? Screen->PixelsPerInch : 96;
    // A stored resolution of 0 (a damaged store) is taken as the current one.
    const int stored = FPixelsPerInch > 0 ? FPixelsPerInch : now;
    FHeight = MulDiv(FHeight, now, stored);
    FLeft = MulDiv(FLeft, now, stored);
    FTop = MulDiv(FTop, now, stored);
    FWidth = MulDiv(FWidth, now, stored);
    TCustomForm* f = Form();
    if (!f)
        return;
    // The rectangle first, so that it is what a maximized or minimized form restores to.
    f->SetBounds(FLeft, FTop, FWidth, FHeight);
    f->SetWindowState(FWindowState);
    // A stored control that cannot take the focus now (a hidden form, a disabled control)
    // is left out rather than failing the whole restore.
    if (FActiveControl && FActiveControl->CanFocus())
        f->SetActiveControl(FActiveControl);
    if ((f->Position == poScreenCenter || f->Position == poDesktopCenter) &&
        !f->ComponentState().Contains(csDesigning) && FPosPresent)
        f->Position = poDesigned;
}
