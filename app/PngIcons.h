#pragma once
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QList>

// A PNG picture among the program's own resources, read by the program's
// own decoder: Qt's image reader, on its first use, looks through every
// image plug-in and loads them all to ask whether they read the file.
QImage readPngResource(const QString &path);

// Icons from PNG files, read (as above) when first drawn rather than when
// made: the window's many entries then cost nothing at start-up (Qt's own
// icons read every file at once). Once read, the pictures are a plain
// QIcon's: sizes, modes and the greyed disabled look are Qt's.
class PngIconEngine : public QIconEngine {
public:
    void addFile(const QString &fileName, const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    void addPixmap(const QPixmap &pixmap, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter *pPainter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    bool isNull() override { return m_files.isEmpty() && m_icon.isNull(); }
    QIconEngine *clone() const override { return new PngIconEngine(*this); }
    QString key() const override { return QStringLiteral("PngIconEngine"); }

private:
    struct File {
        QString path;
        QIcon::Mode mode;
        QIcon::State state;
    };
    const QIcon &loaded();

    QList<File> m_files; // not read yet
    QIcon m_icon;
};
