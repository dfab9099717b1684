#pragma once
#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QTimer>
#include <QWidget>

// The small colour square used wherever a colour is chosen. A named swatch
// keeps its colour in the settings under its object name, so it shows the
// same colour from run to run. Colours arrive by drag and drop, the
// clipboard, the context menu, the palette, or SetColor.
class QSettings;

class ColorSwatch : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ Color WRITE SetColor)
public:
    explicit ColorSwatch(QWidget *pParent = nullptr);
    // A named swatch showing its saved colour at once (from `settings`, when
    // many are made together).
    ColorSwatch(const QString &name, QWidget *pParent);
    ColorSwatch(const QString &name, const QSettings &settings, QWidget *pParent);

    QColor Color() const { return m_color; }
    // Takes the saved colour, if the settings hold one, without emitting.
    void Restore();
    void Restore(const QSettings &settings);
    // SetColor() keeping the colour in the given settings: many swatches
    // set together are written out once.
    void SetColorIn(QSettings &settings, const QColor &color);

    void SetOpaqueOnly(bool bOpaque) { m_bOpaqueOnly = bOpaque; }
    bool IsOpaqueOnly() const { return m_bOpaqueOnly; }
    // A selected swatch shows marching ants round its edge.
    void SetSelected(bool bSelected);
    bool IsSelected() const { return m_bSelected; }

    QSize sizeHint() const override { return QSize(16, 16); }

    // The four-line tool tip: HTML, RGB, HSL and CMYK values, shown on hover.
    static QString ToolTipFor(const QColor &color);

Q_SIGNALS:
    void ColorDrop(ColorSwatch *pDest, ColorSwatch *pSrc);
    void Selected(ColorSwatch *pSwatch);
    void DoubleClicked(ColorSwatch *pSwatch);
    void ColorChanged(ColorSwatch *pSwatch);

public Q_SLOTS:
    // Stores the colour (opaque when the swatch is opaque-only), saves it
    // under the object name, refreshes the tool tip and emits ColorChanged.
    void SetColor(const QColor &color);
    void MarchingAntsTimer();
    void OnClearSwatch();
    void OnInvertColor();
    void OnCopyHTML();
    void OnCopyColor();
    void OnPasteColor();

protected:
    void paintEvent(QPaintEvent *pEvent) override;
    void mousePressEvent(QMouseEvent *pEvent) override;
    void mouseMoveEvent(QMouseEvent *pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent *pEvent) override;
    bool event(QEvent *pEvent) override;
    void contextMenuEvent(QContextMenuEvent *pEvent) override;
    void dragEnterEvent(QDragEnterEvent *pEvent) override;
    void dropEvent(QDropEvent *pEvent) override;

private:
    void SetColorSilently(const QColor &color);

    QColor m_color;
    QTimer m_antsTimer;
    bool m_bSelected = false;
    bool m_bAntsPhase = false;
    bool m_bOpaqueOnly = false;
    QPoint m_pressPos;
    QPixmap m_dragPixmap;
};
