#include <memory>

#include "app/Ondelar.h"
#include "mara/ventana/comandoMARA.h"
#include "mara/ventana/ventanaRevisionICA.h"

void Ondelar::revisarComponentes() {
    escribirTraza(QStringLiteral("triger revisar componentes"));
    const auto elegida = seleccion();
    if (!elegida || !archivosEEG.rama(elegida->first, elegida->second).descomposicion) {
        pausaDebug("La rama seleccionada no es de componentes de ICA, así que no hay componentes que revisar. "
                   "Aplica antes «aplicar ICA» y elige la rama que añade.");
        return;
    }
    const auto [archivo, rama] = *elegida;
    FuenteRevision fuente;
    // The window's own copy: the branch may leave the store while it is open.
    fuente.activaciones = std::shared_ptr<const EEG>(clonarEEG(archivosEEG.rama(archivo, rama)));
    fuente.numeroRama = archivosEEG.numeroRama(archivo, rama);
    fuente.nombre = QString::fromStdString(archivosEEG.descripcion(archivo, rama));
    fuente.directorioModelos = directorioModelosMara();
    fuente.semilla = semillaMara();
    auto* ventana = new ventanaRevisionICA(this, std::move(fuente));
    ventana->setAttribute(Qt::WA_DeleteOnClose);
    ventana->show();
}
