// A scripted user for modal dialogs and message boxes: answers are taken in the order they were
// queued and every dialog is recorded. A dialog that finds no answer left fails the test and is
// cancelled, so a test never hangs on a box nobody expected.
#pragma once

#include <gtest/gtest.h>

#include "platform/winapi/CommDlg.h"

#include <deque>
#include <functional>
#include <vector>

namespace testsupport {

class TDialogScript {
public:
    using TAnswer = std::function<int(TDialogCall& Call)>;

    TDialogScript()
    {
        FPrevious = SetDialogHook([this](TDialogCall& call) -> std::optional<int> { return Answer(call); });
    }
    ~TDialogScript()
    {
        SetDialogHook(FPrevious);
        if (!FAnswers.empty())
            ADD_FAILURE() << FAnswers.size() << " scripted dialog answer(s) never used";
    }
    TDialogScript(const TDialogScript&) = delete;
    TDialogScript& operator=(const TDialogScript&) = delete;

    // The next dialog gets this result (a box's button, IDOK / IDCANCEL, a modal result).
    TDialogScript& Then(int Result)
    {
        return Then([Result](TDialogCall&) { return Result; });
    }
    // The next dialog is answered by a function that may fill the call's answer fields.
    TDialogScript& Then(TAnswer Answer)
    {
        FAnswers.push_back(std::move(Answer));
        return *this;
    }
    // The next file dialog is confirmed with these files.
    TDialogScript& ThenFiles(const QStringList& Files, int FilterIndex = 0)
    {
        return Then([Files, FilterIndex](TDialogCall& c) {
            c.Files = Files;
            if (FilterIndex > 0)
                c.FilterIndex = FilterIndex;
            return IDOK;
        });
    }

    // Every dialog asked for, as it was asked (before the script answered).
    std::vector<TDialogCall> Calls;

private:
    std::optional<int> Answer(TDialogCall& call)
    {
        Calls.push_back(call);
        int result = IDCANCEL;
        if (FAnswers.empty()) {
            ADD_FAILURE() << "unexpected dialog: " << call.Caption.toStdString() << " / " << call.Text.toStdString();
        } else {
            TAnswer next = std::move(FAnswers.front());
            FAnswers.pop_front();
            result = next(call);
        }
        return result;
    }

    std::deque<TAnswer> FAnswers;
    TDialogHook FPrevious;
};

}  // namespace testsupport
