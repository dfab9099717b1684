#pragma once
#include <QColor>
#include <QMetaObject>
#include <QString>
#include <functional>

class QObject;
class QWidget;

// What a tool's option bar needs of colour swatches and the palette, without
// knowing the panels: a named swatch that keeps its colour in the settings
// under its name, its colour, and the colours the user picks in the palette.
// The palette panel implements it; the window hands it to the tools.
class ToolSwatches
{
public:
    virtual ~ToolSwatches() = default;

    // A swatch for the bar, named `name` (for example "BrushColorSwatch"),
    // already showing its saved colour. Owned by `pParent`.
    virtual QWidget *CreateSwatch(const QString &name, QWidget *pParent) = 0;
    virtual QColor SwatchColor(const QWidget *pSwatch) const = 0;
    // Sets and saves the swatch's colour.
    virtual void SetSwatchColor(QWidget *pSwatch, const QColor &color) = 0;
    // Calls `handler` (in `pReceiver`'s context) with every colour the user
    // picks in the palette, until the connection is broken.
    virtual QMetaObject::Connection OnPaletteColor(QObject *pReceiver, std::function<void(const QColor &)> handler) = 0;
    // Calls `handler` whenever the user clicks the swatch (to make it the
    // one the palette's colours go to).
    virtual QMetaObject::Connection OnSwatchClicked(QWidget *pSwatch, QObject *pReceiver,
                                                    std::function<void()> handler) = 0;
    // Marks the swatch as the one the palette's colours go to.
    virtual void SetSwatchSelected(QWidget *pSwatch, bool bSelected) = 0;
    // Makes a colour the palette's current colour, as if the user chose it
    // there (a colour picked from the canvas).
    virtual void SetPaletteColor(const QColor &color) = 0;
};
