#include "app/Ondelar.h"

#include <exception>
#include <memory>
#include <string>

#include "averaging/erp.h"
#include "averaging/ventana/vistaERP.h"

void Ondelar::verERP() {
    escribirTraza(QStringLiteral("triger ERP"));
    const auto elegida = seleccion();
    if (!elegida) {
        pausaDebug("No hay ninguna rama elegida. Carga un registro con eventos y promédialo para ver sus ERP.");
        return;
    }
    const auto [archivo, indice] = *elegida;
    const EEG& rama = archivosEEG.rama(archivo, indice);
    if (!esPromedio(rama)) {
        pausaDebug(rama.epocas ? "La rama seleccionada está en épocas sin promediar. Aplica antes el promediado "
                                 "por tipo y elige la rama promediada para ver sus ERP."
                               : "La rama seleccionada no está promediada, así que no tiene ERP que ver. Aplica antes "
                                 "«aplicar promediado» y elige la rama promediada.");
        return;
    }
    auto ventana = std::make_unique<vistaERP>();
    ventana->setAttribute(Qt::WA_DeleteOnClose);
    try {
        ventana->mostrar(rama, QString::fromStdString(archivosEEG.descripcion(archivo, indice)));
    } catch (const std::exception& e) {
        pausaDebug(std::string("No se pudieron mostrar los ERP de la rama seleccionada: ") + e.what());
        return;
    }
    ventana->show();
    ventana.release();  // a top-level window that deletes itself when closed
}
