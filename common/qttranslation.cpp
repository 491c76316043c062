#include "common/qttranslation.h"
#include "common/lang.h"
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

bool UpdateQtTranslation()
{
    // One translator for the life of the application, installed or not; it
    // goes with the application object.
    static QPointer<QTranslator> russian;
    static bool installed = false;
    if (!QCoreApplication::instance())
        return false;
    if (!russian)
        installed = false;
    if (English) {
        if (installed)
            QCoreApplication::removeTranslator(russian);
        installed = false;
        return true;
    }
    if (!russian) {
        russian = new QTranslator(QCoreApplication::instance());
        if (!russian->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete russian.data();
            return false;
        }
    }
    if (!installed)
        installed = QCoreApplication::installTranslator(russian);
    return installed;
}
