#include "common/settingsread.h"
#include "common/numtext.h"
#include <QSettings>
#include <QStringList>
#include <QVariant>

int ReadInteger(QSettings &settings, const QString &key, int fallback)
{
    const QVariant v = settings.value(key);
    switch (v.typeId()) {
    case QMetaType::Int:
        return v.toInt();
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::QString: {
        // Wider numbers through their text, so that one beyond int is refused.
        int value = 0;
        return numtext::TryStrToInt(v.toString(), value) ? value : fallback;
    }
    default:
        // Missing, or a list, a float, a byte array...: not an integer.
        return fallback;
    }
}

QString ReadString(QSettings &settings, const QString &key, const QString &fallback)
{
    const QVariant v = settings.value(key);
    if (!v.isValid())
        return fallback;
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(u',');
    return v.toString();
}
