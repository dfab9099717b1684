#pragma once
#include <QImage>
#include <QObject>
#include <QString>

class QDataStream;

// One brush of a set: a tip image, a name and nine stroke settings, each a
// current value and a saved default. Dark, opaque tip pixels take the most
// paint (see BrushColorizer). What a stroke does with it is BrushStroke's.
class CQBrush : public QObject
{
    Q_OBJECT
public:
    enum Setting {
        Spacing,          // fraction of the tip width between dabs
        ScatterX,         // pixels
        ScatterY,         // pixels
        HueJitter,        // degrees of hue
        SaturationJitter, // 0..255
        LightnessJitter,  // 0..255
        OpacityJitter,    // 0..255
        AngleJitter,      // degrees of rotation
        SizeJitter,       // fraction of the size
        SettingCount
    };

    explicit CQBrush(QObject *pParent = nullptr);

    // The settings key in a brush-set file, for example "Spacing".
    static QString SettingKey(Setting eSetting);
    // The setting a key names, or -1.
    static int SettingIndex(const QString &key);
    // What a brush starts with, and the largest value a setting may take.
    static double InitialValue(Setting eSetting);
    static double MaximumValue(Setting eSetting);

    QString Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }

    // The tip as set or loaded, ARGB32.
    const QImage &Tip() const { return m_tip; }
    void SetImage(const QImage &tip);

    // Values are kept within 0 and the setting's maximum; not-a-number
    // gives the initial value.
    double Value(Setting eSetting) const { return m_values[eSetting]; }
    void SetValue(Setting eSetting, double dValue);
    // A saved default below 0 means none was saved.
    double SavedDefault(Setting eSetting) const { return m_defaults[eSetting]; }
    void SetSavedDefault(Setting eSetting, double dValue);

    // Every value becomes its saved default (or its initial value when none
    // was saved).
    void ResetToDefaults();
    // Every saved default becomes the current value.
    void MakeDefault();

    // The brush record of a brush-set file (name, tip, the nine settings);
    // the stream is at version 12, so the tip goes as a marker and a PNG.
    // False when the tip is null or cannot be encoded. Reading is
    // BrushSetFile's.
    bool Write(QDataStream &stream) const;

private:
    QString m_name;
    QImage m_tip;
    double m_values[SettingCount];
    double m_defaults[SettingCount];
};
