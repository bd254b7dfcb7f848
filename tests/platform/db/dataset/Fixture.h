// A dataset of ten people for the framework's tests, and an event log that records what
// a data link and the dataset's events see.
#pragma once

#include "support/ArrayDataSet.h"

#include <QStringList>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace dbtest {

// Id (integer), Name (string 20), Amount (currency), Born (date), Active (Boolean).
// Rows: Id 1..10, names Ann, Bob, Cid, Dan, Eve, Fay, Gus, Hal, Ivy, Jon; Amount = Id * 10.5;
// Born 01.01.1990 + Id days; Active for odd Ids.
std::unique_ptr<TArrayDataSet> MakePeople(TComponent* owner = nullptr, bool open = true);

// Names of the rows a link's window shows, read through SetActiveRecord.
QStringList WindowNames(class TDataLink& link, TField* name);

class LogLink : public TDataLink {
public:
    QStringList Log;
    int Scrolled = 0;

protected:
    void ActiveChanged() override { Log << QStringLiteral("active:%1").arg(Active()); }
    void DataSetChanged() override { Log << "changed"; }
    void DataSetScrolled(int Distance) override
    {
        Scrolled += Distance;
        Log << QStringLiteral("scrolled:%1").arg(Distance);
    }
    void LayoutChanged() override { Log << "layout"; }
    void RecordChanged(TField* Field) override { Log << (Field ? "record:" + Field->FieldName() : QStringLiteral("record")); }
    void EditingChanged() override { Log << QStringLiteral("editing:%1").arg(Editing()); }
    void UpdateData() override { Log << "updatedata"; }
    void DisabledStateChanged(bool Disabled) override { Log << QStringLiteral("disabled:%1").arg(Disabled); }
};

}  // namespace dbtest
