#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

void UseQtTranslations(bool english) {
    if (!QCoreApplication::instance()) return;  // a run without an application shows no dialog
    static QTranslator* chinese = nullptr;
    if (english) {
        if (chinese) QCoreApplication::removeTranslator(chinese);
        return;
    }
    if (!chinese) {
        chinese = new QTranslator(QCoreApplication::instance());
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!chinese->load(QStringLiteral("qtbase_zh_CN"), folder))
            qWarning(
                "Qt's Chinese texts (qtbase_zh_CN.qm) are not in %s: Qt's dialogs stay English",
                qPrintable(folder));
    }
    // Installing it again moves it to the front, where it already is.
    if (!chinese->isEmpty()) QCoreApplication::installTranslator(chinese);
}
