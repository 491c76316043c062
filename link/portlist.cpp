#include "link/portlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

bool NaturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype si = i, sj = j;
            while (i < a.size() && a[i].isDigit())
                ++i;
            while (j < b.size() && b[j].isDigit())
                ++j;
            QStringView da = QStringView(a).mid(si, i - si), db = QStringView(b).mid(sj, j - sj);
            while (da.size() > 1 && da[0] == u'0')
                da = da.mid(1);
            while (db.size() > 1 && db[0] == u'0')
                db = db.mid(1);
            if (da.size() != db.size())
                return da.size() < db.size();
            if (int c = da.compare(db); c != 0)
                return c < 0;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

QStringList SerialPortNames(const QString &sysClassTty, const QString &devDir)
{
    QStringList names;
    const QDir dir(sysClassTty);
    const QStringList entries = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString &entry : entries) {
        const QString base = dir.filePath(entry);
        if (!QFileInfo::exists(base + QStringLiteral("/device")))
            continue;
        QFile type(base + QStringLiteral("/type"));
        if (type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0")
            continue;
        names << devDir + u'/' + entry;
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}
