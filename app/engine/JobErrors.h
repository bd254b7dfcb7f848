// What the engine's jobs make of an error: its text for the job's error box, whatever was
// thrown, and the commit step of the copying steps.
#pragma once

#include "platform/rtl/SysUtils.h"

#include <exception>
#include <functional>

// The text of the exception being handled (call it inside a catch block): the runtime's
// message, a standard exception's own text, or a fixed text for anything else.
QString CurrentErrorText();

// The rows a copying step wrote could not be committed.
DOV_DECLARE_EXCEPTION(ECommitError, Exception);

// Runs Work in one transaction of Connection, so row-by-row inserts are not each a commit.
// What was written stays even when Work fails: the transaction is committed and Work's error
// goes on. A commit that fails is never answered by a rollback, which would take back every
// row copied so far; it becomes the error (naming Work's error too, when there was one), and
// the transaction it leaves open is carried on, and committed, by the next step.
template <typename TConnection>
void CommitWhatWasWritten(TConnection& Connection, const std::function<void()>& Work)
{
    const auto commit = [&Connection](const QString& workError) {
        try {
            Connection.CommitTrans();
        } catch (...) {
            throw ECommitError(QStringLiteral("Скопированные записи не зафиксированы, с текстом: ") + CurrentErrorText() +
                               (workError.isEmpty() ? QString() : QStringLiteral("\r\n") + workError));
        }
    };
    if (!Connection.InTransaction())
        Connection.BeginTrans();
    try {
        Work();
    } catch (...) {
        commit(CurrentErrorText());
        throw;
    }
    commit(QString());
}
