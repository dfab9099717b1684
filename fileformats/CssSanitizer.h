#pragma once
#include <QString>

// Style sheets from rich text that came from outside: declarations that
// could load something (url(), @import, escapes, image and content
// properties) or that give sizes past a sane limit are dropped, and so are
// comments, at-rules and selectors with unusual characters.
namespace CssSanitizer {

// The declarations of a style attribute, "name:value;" each, that are safe.
QString CleanDeclarations(const QString &declarations);

// The rules of a style element, each with its declarations cleaned.
QString CleanSheet(const QString &sheet);

} // namespace CssSanitizer
