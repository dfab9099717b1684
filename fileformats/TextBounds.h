#pragma once
#include <QString>

// What a text layer may hold. The text engine reads and lays out long lists
// in time that grows with the square of their length (and large tables
// slowly), so a layer from a file past one of these bounds is refused rather
// than laid out for minutes (or cut short without a word). Each bound is far
// above what a person types into a text on a picture.
namespace TextBounds {

constexpr int kMaxBlocks = 20000;     // paragraphs, list items, cells, lines of preformatted text
constexpr int kMaxListItems = 2048;
constexpr int kMaxTableCells = 4096;
constexpr int kMaxElements = 50000;   // start tags of every kind

// Whether sanitised HTML (see HtmlSanitizer) stays within the bounds; when
// not, *pWhat names what there is too much of, with the bound.
bool Fits(const QString &cleanHtml, QString *pWhat);

} // namespace TextBounds
