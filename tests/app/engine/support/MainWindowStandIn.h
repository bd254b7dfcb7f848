// A small main window for the engine's job tests: the controls a job borrows, plus a few
// that must stay usable while it runs. Real offscreen widgets, owned by the form.
#pragma once

#include <gtest/gtest.h>

#include "support/AppEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <memory>

#include "app/engine/uBaseCompThread.h"
#include "platform/rtl/Threads.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

namespace enginetest {

class TMainWindowStandIn : public TForm {
public:
    explicit TMainWindowStandIn(TComponent* AOwner = nullptr) : TForm(AOwner)
    {
        SetBounds(0, 0, 1087, 669);
        TopPanel = Make<TPanel>(this);
        TopPanel->SetAlign(alTop);
        TopPanel->SetHeight(73);
        SearchBtn = Make<TButton>(TopPanel);
        SearchBtn->SetCaption(QStringLiteral("Поиск"));
        UpdateBtn = Make<TButton>(TopPanel);
        UpdateBtn->SetCaption(QStringLiteral("Обновить"));
        UpdateBtn->SetEnabled(false);
        LoadExcelFileBtn = Make<TButton>(TopPanel);
        LoadExcelFileBtn->SetCaption(QStringLiteral("Загрузить файлы КК"));
        MainProgressBar = Make<TProgressBar>(TopPanel);
        MainStatusBar = Make<TStatusBar>(this);
        MainStatusBar->SetSimplePanel(true);
        InstrumentsPanel = Make<TPanel>(this);
        InstrumentsPanel->SetAlign(alBottom);
        InstrumentsPanel->SetHeight(42);
        MainPageControl = Make<TPageControl>(this);
        MainPageControl->SetAlign(alClient);
        for (int i = 0; i < 4; ++i) {
            auto* sheet = Create<TTabSheet>(this);
            sheet->SetPageControl(MainPageControl);
        }
        FiltersPanel = Make<TPanel>(this);

        MainMenu = Create<TMainMenu>(this);
        StateMMBtn = Item(MainMenu->Items(), QStringLiteral("Сверка"));
        SaveStateMMBtn = Item(StateMMBtn, QStringLiteral("Сохранить сверку"));
        LoadStateMMBtn = Item(StateMMBtn, QStringLiteral("Загрузить сверку"));
        ExportMMBtn = Item(MainMenu->Items(), QStringLiteral("Экспорт"));
        SettingsMMBtn = Item(MainMenu->Items(), QStringLiteral("Настройки"));
        Item(SettingsMMBtn, QStringLiteral("Фильтры"));
        HandleNeeded();
    }

    TPanel* TopPanel;
    TButton* SearchBtn;
    TButton* UpdateBtn;
    TButton* LoadExcelFileBtn;
    TProgressBar* MainProgressBar;
    TStatusBar* MainStatusBar;
    TPanel* InstrumentsPanel;
    TPageControl* MainPageControl;
    TPanel* FiltersPanel;
    TMainMenu* MainMenu;
    TMenuItem *StateMMBtn, *SaveStateMMBtn, *LoadStateMMBtn, *ExportMMBtn, *SettingsMMBtn;

private:
    template <typename T> T* Make(TWinControl* parent)
    {
        T* c = Create<T>(this);
        c->SetParent(parent);
        return c;
    }
    TMenuItem* Item(TMenuItem* parent, const QString& caption)
    {
        auto* i = Create<TMenuItem>(this);
        i->Caption = caption;
        parent->Add(i);
        return i;
    }
};

// Runs the UI side (synchronize requests and Qt events) until done() or the time is up.
template <typename F> bool PumpUntil(F done, int timeoutMs = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        CheckSynchronize(5);
        QCoreApplication::processEvents();
    }
    return true;
}

// Answers every job box and keeps what it was asked, in order.
struct TBoxRecorder {
    struct Box {
        QString Text, Caption;
        UINT Flags;
        bool OnUIThread;
    };
    std::vector<Box> Boxes;
    TBoxRecorder()
    {
        TBaseCompThread::MessageBoxRoutine = [this](const QString& t, const QString& c, UINT f) {
            Boxes.push_back({t, c, f, IsUIThread()});
            return IDOK;
        };
    }
    ~TBoxRecorder() { TBaseCompThread::MessageBoxRoutine = nullptr; }
};

}  // namespace enginetest
