#pragma once
#include <QColor>
#include <QPointer>
#include <QString>

class QComboBox;
class QLabel;
class QObject;
class QWidget;
class ToolSwatches;

// The option boxes the shape tools share: line styles and caps shown as
// drawn samples (the pen style or cap as each entry's data), the widths
// 1 to 15 and 20 to 100 by 5, and a named colour swatch inside its label.
namespace PenOptions {

QComboBox *MakeStyleBox();
QComboBox *MakeCapBox();
// Current entry: "3".
QComboBox *MakeWidthBox();
// The label (with the given text, also its size) holding a swatch of
// that name showing its saved colour; null swatch where there are no
// swatches. The swatch is returned through ppSwatch.
QLabel *MakeSwatchLabel(ToolSwatches *pSwatches, const QString &labelText, const QString &swatchName,
                        const QString &iconText, QWidget **ppSwatch);

// Makes `pSwatch` the one the palette's colours go to, in place of `rCurrent`.
void SelectSwatch(ToolSwatches *pSwatches, QPointer<QWidget> &rCurrent, QWidget *pSwatch);

} // namespace PenOptions
