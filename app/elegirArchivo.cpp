#include "app/elegirArchivo.h"

#include <QFile>

#include "app/interaccion.h"

std::string elegirArchivo(const QString& descripcion, const QString& patrones) {
    const std::optional<QString> ruta = interaccion::elegirArchivoAbrir(
        QStringLiteral("Seleccione el archivo de bioseñales"), descripcion + QStringLiteral(" (") + patrones + ')');
    if (!ruta || ruta->isEmpty()) throw EleccionCancelada();
    return QFile::encodeName(*ruta).toStdString();
}
