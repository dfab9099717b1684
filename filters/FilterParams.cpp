#include "FilterParams.h"

QString FilterParam::range() const
{
    return QStringLiteral("%1%2 to %3").arg(count() > 1 ? QStringLiteral("each ") : QString()).arg(minimum).arg(maximum);
}

QString FilterParam::describe() const
{
    if (count() == 1)
        return QStringLiteral("%1 (%2)").arg(key, range());
    const QString parts = count() == 3 ? QStringLiteral("R,G,B") : QStringLiteral("START,SPAN");
    return QStringLiteral("%1=%2 (%3)").arg(key, parts, range());
}

QList<int> FilterValues::list(const QString &key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd()) {
        qWarning("filter table: key \"%s\" is not among the values (%s)", qPrintable(key),
                  qPrintable(keys().join(QLatin1Char(','))));
        Q_ASSERT_X(false, "FilterValues", "unknown parameter key");
        return {};
    }
    return *it;
}

int FilterValues::value(const QString &key) const
{
    const QList<int> values = list(key);
    return values.isEmpty() ? 0 : values.first();
}

FilterValues FilterValues::defaults(const FilterParams &params)
{
    FilterValues values;
    for (const FilterParam &p : params)
        if (!p.optional)
            values.set(p.key, p.defaults);
    return values;
}

namespace {

QString keyList(const FilterParams &params)
{
    QStringList parts;
    for (const FilterParam &p : params)
        parts << p.describe() + (p.optional ? QStringLiteral(" (optional)") : QString());
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral("; "));
}

} // namespace

bool FilterValues::parse(const FilterParams &params, const QStringList &arguments, FilterValues *pValues,
                         QString *pError)
{
    auto fail = [pError](const QString &message) {
        if (pError)
            *pError = message;
        return false;
    };
    FilterValues values;
    for (const QString &argument : arguments) {
        const qsizetype eq = argument.indexOf(QLatin1Char('='));
        const QString key = eq < 0 ? argument : argument.left(eq);
        const FilterParam *pParam = nullptr;
        for (const FilterParam &p : params)
            if (p.key == key)
                pParam = &p;
        if (!pParam)
            return fail(QStringLiteral("unknown key \"%1\" (keys: %2)").arg(key, keyList(params)));
        if (eq < 0)
            return fail(QStringLiteral("%1 needs a value: %2").arg(key, pParam->describe()));
        if (values.has(key))
            return fail(QStringLiteral("%1 is given twice").arg(key));
        const QStringList parts = argument.mid(eq + 1).split(QLatin1Char(','));
        if (parts.size() != pParam->count())
            return fail(QStringLiteral("%1 takes %2 values: %3").arg(key).arg(pParam->count()).arg(pParam->describe()));
        QList<int> numbers;
        for (const QString &part : parts) {
            bool ok = false;
            const int n = part.trimmed().toInt(&ok);
            if (!ok || n < pParam->minimum || n > pParam->maximum)
                return fail(QStringLiteral("%1=%2 is out of range (%3)").arg(key, argument.mid(eq + 1), pParam->range()));
            numbers << n;
        }
        values.set(key, numbers);
    }
    for (const FilterParam &p : params)
        if (!p.optional && !values.has(p.key))
            return fail(QStringLiteral("missing %1").arg(p.describe()));
    if (pValues)
        *pValues = values;
    return true;
}
