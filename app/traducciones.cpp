#include "app/traducciones.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool instalarTraduccionesQt(QCoreApplication& aplicacion) {
    // Parented to the application, so it lives as long as it is installed.
    auto* traductor = new QTranslator(&aplicacion);
    if (!traductor->load(QStringLiteral("qtbase_es"), QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        delete traductor;
        return false;
    }
    aplicacion.installTranslator(traductor);
    return true;
}
