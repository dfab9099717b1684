#pragma once
#include "LayerStyleInterface.h"
#include "QCLKernel.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPoint>
#include <QStringList>

#include <memory>

class LayerStyleDevice;
class LayerStyleMgr;

// What the drop shadow and the outer glow share: the enabled flag, a
// distance, an opacity and a colour; the coloured mask they start from
// (the createMask kernel, or its host reference); and the last picture,
// kept until the layer's pixels or a parameter change.
class LayerStyle : public LayerStyleInterface {
public:
    static constexpr int kMaxDistance = 99;
    static constexpr int kMaxOpacity = 255;
    static constexpr int kDefaultDistance = 3;
    static constexpr int kDefaultOpacity = 128;
    // The tag of a parameter record in the document file.
    static constexpr int kParamsTag = 7004;
    static const char *const kProgramPath;

    ~LayerStyle() override;

    bool isEnabled() const override { return m_bEnabled; }
    void setEnabled(bool bEnabled) override;
    int distance() const { return m_iDistance; }
    void setDistance(int iDistance);
    int opacity() const { return m_iOpacity; }
    void setOpacity(int iOpacity);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    int dataVersion() const override { return 1; }
    bool initialise(ProgramCache *pCache) override;
    QString buildLog() const override { return m_log; }
    bool isInitialised() const { return m_bInitialised; }
    // Initialised, and its kernels (if it has a cache) were made.
    bool isAvailable() const { return m_bInitialised && m_bAvailable; }
    bool usesKernels() const { return m_pDevice != nullptr; }
    // The device buffers its kernels run on; null on the host.
    LayerStyleDevice *device() const { return m_pDevice.get(); }

    QImage render(const QImage &source) override;
    QRect coveredRect() const override { return m_covered; }
    // Where the style reaches for a source of this size, in layer
    // coordinates; invalid when it stays within the layer.
    virtual QRect CoveredFor(const QSize &size) const = 0;

    // The picture for the source, computed once and kept until the source
    // or a parameter changes; *pAt is where its top-left corner goes, in
    // layer coordinates. Null when the style draws nothing.
    const QImage &Picture(const QImage &source, QPoint *pAt);
    bool HasPicture() const { return m_bPictureValid; }
    // The layer's pixels changed in `area` (invalid: anywhere): the kept
    // picture is computed again there only (with what that part depends
    // on), or whole when it was not kept or the part is most of it.
    void SourceChanged(const QRect &area = QRect());
    // Where the style's picture changes (layer coordinates) when the pixels
    // of a layer of this size change in `area`; empty when it draws nothing.
    QRect AffectedBy(const QRect &area, const QSize &size) const;

    int write(QDataStream &stream) const override;
    int read(QDataStream &stream, int iVersion) override;
    // The values of the parameter record, as the file holds them.
    virtual QByteArray EncodeParams() const = 0;
    // Takes the values of a parameter record; false (and no change) when
    // its size or a value is out of range.
    virtual bool DecodeParams(const QByteArray &params) = 0;

    void SetOwner(LayerStyleMgr *pOwner) { m_pOwner = pOwner; }

    // The scale createMask gets for an opacity.
    static float OpacityScale(int iOpacity) { return float(iOpacity / 255.0); }
    // Host reference of createMask: every pixel takes the colour's red,
    // green and blue, and the source alpha times the scale, truncated.
    static QImage MaskReference(const QImage &source, float fScale, const QColor &color);

protected:
    LayerStyle();
    // Every parameter setter ends here: the picture is computed again and
    // the owner hears of it.
    void Changed();
    // How far (in pixels, each way) a picture pixel reaches into the source.
    virtual int Reach() const { return 0; }
    // Where the picture's top-left corner goes, in layer coordinates.
    virtual QPoint PictureAt() const { return QPoint(); }
    virtual bool DrawsNothing() const { return false; }
    // The kernels after createMask, in the order they are made.
    virtual QStringList ExtraKernelNames() const { return {}; }
    virtual void KernelsCreated(const QList<QCLKernel> &) {}
    // The picture from the kernels, read into *pPicture (whose memory is
    // used again when it fits); false when the device failed. A null
    // picture means nothing to draw.
    virtual bool ComputeOnDevice(LayerStyleDevice *pDevice, const QImage &source, QImage *pPicture,
                                 QPoint *pAt) = 0;
    // The same from the host references.
    virtual QImage ComputeReference(const QImage &source, QPoint *pAt) const = 0;
    // Sends the source and runs createMask into work buffer 0.
    bool MaskOnDevice(LayerStyleDevice *pDevice, const QImage &source);
    // Reads a 32-bit little-endian value from a parameter payload.
    static qint32 ParamAt(const QByteArray &params, int iIndex);
    static void AppendParam(QByteArray *pParams, qint32 iValue);
    // The colour's four components after the given values.
    static QByteArray EncodeColor(const QColor &color);
    static bool DecodeColor(const QByteArray &params, int iFirst, QColor *pColor);

    bool m_bEnabled = false;
    int m_iDistance = kDefaultDistance;
    int m_iOpacity = kDefaultOpacity;
    QColor m_color = QColor(0, 0, 0, kDefaultOpacity);

private:
    // Brings the kept picture up to date where the source changed.
    void UpdatePart(const QImage &source);

    LayerStyleMgr *m_pOwner = nullptr;
    bool m_bInitialised = false;
    bool m_bAvailable = false;
    QString m_log;
    QCLKernel m_mask;
    std::shared_ptr<LayerStyleDevice> m_pDevice;
    QImage m_picture;
    QImage m_part; // memory for the pictures of changed parts
    QPoint m_at;
    QRect m_covered;
    QSize m_sourceSize;
    QRect m_dirty; // where the source changed since the picture was made
    bool m_bPictureValid = false;
};
