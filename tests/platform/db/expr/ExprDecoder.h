// Reads compiled filter expressions back: a canonical text form of the node tree, for
// checking what the compiler wrote, and a small evaluator over one record of named values.
#pragma once

#include "platform/db/DBCommon.h"
#include "platform/rtl/Variants.h"

#include <QHash>
#include <QString>

namespace exprtest {

// Throws std::runtime_error when the block is inconsistent (bad header, offsets out of range,
// nodes not reached from the root).
QString Dump(const QByteArray& data);

// Field values by upper-cased name; the case flag of "=" on texts follows the compiled node.
using Record = QHash<QString, Variant>;
Variant Eval(const QByteArray& data, const Record& rec);

}  // namespace exprtest
