#include "TitleFont.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

QString registerTitleFont()
{
    static QString family;
    if (!family.isEmpty())
        return family;

    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/Klavika-Bold.otf"));
    if (id < 0)
        return QString();
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        return QString();
    family = families.first();

    // The shipped file declares its own family name; the code asks for the
    // historic names, so substitute rather than rename every call site.
    for (const char *alias : {kTitleFontFamily, "Klavika Bd"})
        QFont::insertSubstitution(QString::fromLatin1(alias), family);
    return family;
}
