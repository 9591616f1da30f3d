#include <QComboBox>
#include <QStatusBar>
#include <QStringList>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "io/guardarRama.h"
#include "io/progreso.h"
#include "ui_Ondelar.h"

void Ondelar::guardarRamaSeleccionada() { guardarSeleccionada(); }

bool Ondelar::guardarSeleccionada() {
    const int archivo = ui->indiceArchivoEEG->currentIndex();
    const int indiceRama = ui->indiceProcesado->currentIndex();
    const EEG* rama = nullptr;
    try {
        rama = &eegSeleccionado();
    } catch (const std::exception&) {
        pausaDebug("No hay ningún eeg seleccionado que guardar.");
        return false;
    }
    // The save dialog asks before overwriting an existing file, and offers
    // every format the runner writes.
    QStringList filtros;
    for (const FormatoOfrecido& f : formatosGuardado())
        filtros << QStringLiteral("%1 (*.%2)").arg(QString::fromUtf8(f.nombre), QString::fromUtf8(f.extension));
    const auto ruta =
        interaccion::elegirArchivoGuardar(QStringLiteral("Guardar la rama seleccionada"), filtros.join(";;"));
    if (!ruta) return false;
    try {
        const std::string destino = ruta->toStdString();
        if (!enSegundoPlano(QStringLiteral("Guardando la rama"),
                            [&](const Avance& avance) { guardarRama(*rama, destino, avance); }))
            return false;  // cancelled: the temporary file is gone, nothing was written
        archivosEEG.marcarGuardada(archivo, indiceRama);
        statusBar()->showMessage(QStringLiteral("Rama guardada en %1").arg(*ruta), 10000);
        return true;
    } catch (const std::exception& e) {
        pausaDebug(std::string("No se pudo guardar la rama: ") + e.what());
        return false;
    }
}
