// Owners and guards of device contexts: a paint that fails leaves no context behind and no
// state changed on the context it drew on.
#pragma once

#include "WinGdi.h"

#include <memory>

// Contexts created and not yet deleted (a leak check for paints that fail).
int LiveDCCount();

// A context this code created, deleted when the owner goes (however the scope ends).
struct TDCDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using TOwnedDC = std::unique_ptr<HDC__, TDCDeleter>;

// The context's state saved now and restored when the scope ends, so a drawing step that
// fails leaves the context as it found it.
class [[nodiscard]] TSaveDCGuard {
public:
    explicit TSaveDCGuard(HDC dc) : FDC(dc), FSaved(SaveDC(dc)) {}
    TSaveDCGuard(const TSaveDCGuard&) = delete;
    TSaveDCGuard& operator=(const TSaveDCGuard&) = delete;
    ~TSaveDCGuard() { RestoreDC(FDC, FSaved); }

private:
    HDC FDC;
    int FSaved;
};
