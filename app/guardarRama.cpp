#include <QStatusBar>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "io/guardarRama.h"

void Ondelar::guardarRamaSeleccionada() {
    const EEG* rama = nullptr;
    try {
        rama = &eegSeleccionado();
    } catch (const std::exception&) {
        pausaDebug("No hay ningún eeg seleccionado que guardar.");
        return;
    }
    // The save dialog asks before overwriting an existing file.
    const auto ruta = interaccion::elegirArchivoGuardar(
        QStringLiteral("Guardar la rama seleccionada"),
        QStringLiteral("GDF (*.gdf);;CSV (*.csv);;Matriz de Armadillo (*.bin)"));
    if (!ruta) return;
    try {
        guardarRama(*rama, ruta->toStdString());
        statusBar()->showMessage(QStringLiteral("Rama guardada en %1").arg(*ruta), 10000);
    } catch (const std::exception& e) {
        pausaDebug(std::string("No se pudo guardar la rama: ") + e.what());
    }
}
