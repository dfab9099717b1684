#pragma once
#include <QString>

// Rich text from a file or the clipboard goes through here before the text
// engine sees it. The result keeps what a text layer's own HTML uses
// (paragraphs, spans, fonts, colours, lists, shallow tables, styles) and
// drops the rest:
//  - elements that fetch something (img, link, object, base, ...) and
//    attributes that name a source (src, href, background);
//  - style rules that load or embed (url(), @import, escapes, content) and
//    sizes so large that laying the text out would take minutes or memory;
//  - nesting deeper than kMaxDepth elements, or kMaxTableDepth tables, which
//    is flattened to its text (deep tables make layout time explode).
// Every element is closed; the work is linear in the length.
namespace HtmlSanitizer {

constexpr qsizetype kMaxLength = qsizetype(1) << 20; // characters
constexpr int kMaxDepth = 32;
constexpr int kMaxTableDepth = 3;
constexpr int kMaxNumber = 4096; // the largest number a size may give

// False, leaving *pOut alone, when html is longer than kMaxLength.
bool Clean(const QString &html, QString *pOut);

} // namespace HtmlSanitizer
