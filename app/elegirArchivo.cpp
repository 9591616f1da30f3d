#include "app/elegirArchivo.h"

#include <QFile>
#include <QFileInfo>

#include "app/interaccion.h"

std::string elegirArchivo(const QString& titulo, const QString& descripcion, const QString& patrones,
                          QString& carpeta) {
    const std::optional<QString> ruta =
        interaccion::elegirArchivoAbrir(titulo, descripcion + QStringLiteral(" (") + patrones + ')', carpeta);
    if (!ruta || ruta->isEmpty()) throw EleccionCancelada();
    carpeta = QFileInfo(*ruta).absolutePath();
    return QFile::encodeName(*ruta).toStdString();
}
