#pragma once
// A filter's parameters declared once: key, allowed range, default, and how
// its dialog shows them. The dialog is built from the table (or, for a form
// that is more than a list of values, finds its controls by the table's
// names) and `cqtool filter` checks its arguments against it.
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <utility>

struct FilterParam {
    enum Control {
        Slider,   // a slider and a spin box kept equal
        Dial,     // a wrapping dial and a spin box kept equal
        CheckBox, // 0 or 1
        Custom,   // a hand-made form shows it its own way
        Hidden,   // not in the dialog (`cqtool filter` only)
    };

    QString key;
    int minimum = 0;
    int maximum = 0;
    // One entry per value the key carries (three for "R,G,B", two for
    // "START,SPAN"); the size says how many values the key takes.
    QList<int> defaults;
    // The text beside the control.
    QString label;
    Control control = Slider;
    // The stem of the controls' object names ("<stem>Slider", "<stem>Dial",
    // "<stem>SpinBox", "<stem>CheckBox", "<stem>Label"); the key when empty.
    QString name;
    // An optional key may be absent (a switched-off part of the dialog).
    bool optional = false;
    // Icons beside the label and at the low and high ends of the slider.
    QString icon;
    QString lowIcon;
    QString highIcon;
    // How far the result at a pixel reaches for input pixels, in pixels per
    // unit of this value (0: the value does not widen it). A preview in
    // parts computes a filter's earlier passes over each part grown by the
    // sum over the table (KernelFilter::Margin).
    int reach = 0;

    // The row with `perUnit` as its reach, for declaring it in the table.
    FilterParam &&reaching(int perUnit) &&
    {
        reach = perUnit;
        return std::move(*this);
    }

    QString stem() const { return name.isEmpty() ? key : name; }

    int count() const { return int(defaults.size()); }
    // "3 to 175", "each -200 to 200".
    QString range() const;
    // "radius (3 to 175)", "red=R,G,B (each -200 to 200)".
    QString describe() const;
};

using FilterParams = QList<FilterParam>;

// Parameter values by key; every value is an integer (switches are 0 or 1,
// angles whole degrees). An absent optional key is simply not there; asking
// value() or list() for a key that is not there is a programming error
// (an assertion in debug builds, a warning otherwise), so optional
// keys are asked has() first.
class FilterValues
{
public:
    bool has(const QString &key) const { return m_values.contains(key); }
    int value(const QString &key) const;
    QList<int> list(const QString &key) const;
    void set(const QString &key, int value) { m_values.insert(key, {value}); }
    void set(const QString &key, const QList<int> &values) { m_values.insert(key, values); }
    void remove(const QString &key) { m_values.remove(key); }
    bool isEmpty() const { return m_values.isEmpty(); }
    QStringList keys() const { return m_values.keys(); }

    bool operator==(const FilterValues &other) const { return m_values == other.m_values; }
    bool operator!=(const FilterValues &other) const { return !(*this == other); }

    // The defaults of every key that is not optional.
    static FilterValues defaults(const FilterParams &params);

    // Reads "KEY=VALUE" arguments (VALUE "N" or "N,N,..."). Every required
    // key must be given; no key may be unknown, repeated or out of range.
    // On failure returns false with one line in *pError naming the key and
    // its range.
    static bool parse(const FilterParams &params, const QStringList &arguments, FilterValues *pValues,
                      QString *pError);

private:
    QMap<QString, QList<int>> m_values;
};
