#pragma once
// Why a file could not be read, in two parts: a sentence a user can act on,
// and the technical detail (which record, which offset) for the message
// box's details. Command-line tools print both.
#include <QString>

namespace FileProblem {

// "The file is damaged or incomplete." with `detail` behind it.
QString Damaged(const QString &detail);
// The part of a reason to show, and its detail (empty when it has none).
QString Summary(const QString &reason);
QString Detail(const QString &reason);

} // namespace FileProblem
