#pragma once
#include "DocumentData.h"

#include <QString>
#include <QStringList>

class Document;
class Layer;
struct DocumentEnv;

// Connects the plain data of a native file to a live Document: what a
// document holds, captured for writing, and a document built from what was
// read. No window is involved, so the tool and the tests use it headless.
class DocumentBuilder {
public:
    // Every layer that is not deleted, in stacking order, raster pixels
    // encoded as PNG (in parallel), and the paths.
    static DocumentData Capture(const Document &document);
    // The same without encoding: raster layers hold their images (shared
    // with the layers, so this is cheap) and no PNG yet.
    static DocumentData Gather(const Document &document);
    // Encodes the PNG of every raster layer that has none; any thread.
    static void EncodePixels(DocumentData &data);
    static QList<PathData> CapturePaths(const Document &document);
    // A new document holding the data. Layers are created in stacking order,
    // attributes applied, paths added, and the "open file" command pushed so
    // that Undo never removes what was read; the document starts unmodified.
    // *pLayers gets the layer made of each of data's layers, in data's order.
    static Document *Build(const DocumentData &data, const DocumentEnv &env, QList<Layer *> *pLayers = nullptr);

    // File level: serialise and write atomically; read, parse and build.
    // A path ending in .ora is written as OpenRaster, and *pNotes gets what
    // other programs will show differently; reading goes by the contents
    // (DocumentFile::ReadFile), and *pNotes gets what the reader changed.
    static bool Save(const QString &path, const Document &document, QString *pError, QStringList *pNotes = nullptr);
    static Document *Load(const QString &path, const DocumentEnv &env, QString *pError, QStringList *pNotes = nullptr);
};
