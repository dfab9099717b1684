#include "CQBrush.h"

#include <QDataStream>
#include <QImageWriter>
#include <algorithm>
#include <cmath>

namespace {

struct SettingInfo {
    const char *key;
    double initial;
    double maximum;
};

// In file order. The maxima are the ranges the brush panel offers.
constexpr SettingInfo kSettings[CQBrush::SettingCount] = {
    {"Spacing", 0.25, 3.0},
    {"ScatterX", 0.0, 1000.0},
    {"ScatterY", 0.0, 1000.0},
    {"HueJitter", 0.0, 360.0},
    {"SaturationJitter", 0.0, 255.0},
    {"LightnessJitter", 0.0, 255.0},
    {"OpacityJitter", 0.0, 255.0},
    {"AngleJitter", 0.0, 360.0},
    {"SizeJitter", 0.0, 3.0},
};

} // namespace

CQBrush::CQBrush(QObject *pParent) : QObject(pParent)
{
    for (int i = 0; i < SettingCount; ++i) {
        m_values[i] = kSettings[i].initial;
        m_defaults[i] = -1.0;
    }
}

QString CQBrush::SettingKey(Setting eSetting)
{
    return QLatin1String(kSettings[eSetting].key);
}

int CQBrush::SettingIndex(const QString &key)
{
    for (int i = 0; i < SettingCount; ++i)
        if (key == QLatin1String(kSettings[i].key))
            return i;
    return -1;
}

double CQBrush::InitialValue(Setting eSetting)
{
    return kSettings[eSetting].initial;
}

double CQBrush::MaximumValue(Setting eSetting)
{
    return kSettings[eSetting].maximum;
}

void CQBrush::SetImage(const QImage &tip)
{
    m_tip = tip.convertToFormat(QImage::Format_ARGB32);
}

void CQBrush::SetValue(Setting eSetting, double dValue)
{
    m_values[eSetting] = std::isnan(dValue) ? kSettings[eSetting].initial
                                            : std::clamp(dValue, 0.0, kSettings[eSetting].maximum);
}

void CQBrush::SetSavedDefault(Setting eSetting, double dValue)
{
    m_defaults[eSetting] = (std::isnan(dValue) || dValue < 0) ? -1.0
                                                              : std::min(dValue, kSettings[eSetting].maximum);
}

void CQBrush::ResetToDefaults()
{
    for (int i = 0; i < SettingCount; ++i)
        m_values[i] = m_defaults[i] < 0 ? kSettings[i].initial : m_defaults[i];
}

void CQBrush::MakeDefault()
{
    for (int i = 0; i < SettingCount; ++i)
        m_defaults[i] = m_values[i];
}

bool CQBrush::Write(QDataStream &stream) const
{
    if (m_tip.isNull())
        return false;
    // What streaming the image does at version 12, with the encoder's answer kept.
    stream << m_name << qint32(1);
    QImageWriter writer(stream.device(), "png");
    if (!writer.write(m_tip))
        return false;
    stream << qint32(SettingCount);
    for (int i = 0; i < SettingCount; ++i)
        stream << SettingKey(Setting(i)) << m_defaults[i] << m_values[i];
    return stream.status() == QDataStream::Ok;
}
