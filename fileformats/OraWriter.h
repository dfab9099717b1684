#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

class Document;

// Writes a document as an OpenRaster archive that other editors open as
// layers: the mimetype, stack.xml (top layer first), one PNG per layer, the
// flattened picture exactly as export draws it, and a thumbnail. Text
// layers are stored as their pixels with the rich text in our namespace;
// a layer's enabled styles are drawn into a marked layer just below it, and
// its style records are kept, so Chromaquill reads both back as they were.
namespace OraWriter {

// The archive; empty on failure with the reason in *pError. *pNotes gets
// one line per layer that other programs will show differently.
QByteArray Write(const Document &document, QStringList *pNotes, QString *pError);

// Writes the archive atomically; no file changes on failure.
bool Save(const QString &path, const Document &document, QString *pError, QStringList *pNotes = nullptr);

} // namespace OraWriter
