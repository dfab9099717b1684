#pragma once
#include <QWidget>

class ChildWindow;

// The "width x height" read-out that floats over the document while a
// selection or crop box is drawn, centred above a canvas point.
class SizeReadout : public QWidget {
    Q_OBJECT
public:
    SizeReadout(const QString &text, ChildWindow *pWindow);

    QString text() const { return m_text; }
    void SetText(const QString &text);
    // Centres the read-out horizontally above the canvas point.
    void PlaceAbove(const QPointF &canvasPoint);

protected:
    void paintEvent(QPaintEvent *pEvent) override;

private:
    ChildWindow *m_pWindow;
    QString m_text;
    QFont m_font;
};
