#include "app/Ondelar.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/elegirArchivo.h"
#include "io/leerCED.h"
#include "io/cargarRegistro.h"
#include "io/diagnostico.h"
#include "io/posicionesEstandar.h"
#include "io/progreso.h"

// Recording file, then its .CED channel locations; the record enters the
// store when the recording was read. Cancelling the first dialog ends the
// command silently; cancelling the second loads the recording with its own
// labels (and standard positions where they have one) and says so. A file
// that cannot be read is reported and leaves the store as it was.
void Ondelar::cargarEEG() {
    // Both letter cases, for the dialogs that filter case-sensitively.
    const QString patronesRegistro =
        QStringLiteral("*.dat *.DAT *.gdf *.GDF *.edf *.EDF *.bdf *.BDF *.vhdr *.VHDR");
    const QString patronesCED = QStringLiteral("*.CED *.ced");

    std::string rutaRegistro;
    try {
        rutaRegistro = elegirArchivo(QStringLiteral("Seleccione el archivo de bioseñales"),
                                     QStringLiteral("BCI2000, GDF, EDF, BDF o BrainVision"), patronesRegistro,
                                     carpetaRegistros);
    } catch (const EleccionCancelada& e) {
        diagnostico(e.what());
        return;
    }

    // The store's deep copy is made on the worker too: for a long recording
    // it is as slow as the reading. The record as read is kept only when the
    // copy fails.
    std::unique_ptr<EEG> copia;
    EEG leido;
    std::string falloCopia;
    std::vector<std::string> avisosLectura;
    try {
        // Read on the worker; the reader reports the blocks read, so "Cancelar"
        // stops it between two blocks.
        const bool hecho = enSegundoPlano(QStringLiteral("Cargando registro"), [&](const Avance& avance) {
            EEG registro = cargarRegistro(rutaRegistro, &avisosLectura, avance.tramo(0.0, 0.8));
            try {
                copia = clonarEEG(registro);
            } catch (const std::exception& e) {
                falloCopia = e.what();
                leido = std::move(registro);
            }
            avance(1.0);
        });
        if (!hecho) return;
    } catch (const std::exception& e) {
        pausaDebug(e.what());
        return;
    }
    EEG& eeg = copia ? *copia : leido;

    // The .CED usually sits beside its recording: until one is chosen, the
    // dialog opens in the recording's folder.
    if (carpetaCED.isEmpty()) carpetaCED = carpetaRegistros;
    std::string rutaCED;
    try {
        rutaCED = elegirArchivo(QStringLiteral("Seleccione el archivo .CED de localizaciones (puede omitirse: "
                                               "«Cancelar» carga el registro con las etiquetas de sus canales)"),
                                QStringLiteral("archivo ced"), patronesCED, carpetaCED);
    } catch (const EleccionCancelada& e) {
        diagnostico(e.what());
        avisosLectura.push_back(cargarSinCED(eeg));
    }
    const ResultadoCED ced = rutaCED.empty() ? ResultadoCED{true, eeg.numeroCanales, {}, {}} : leerCED(eeg, rutaCED);

    if (!copia) {
        pausaDebug("No se pudo guardar el registro leído: " + falloCopia);
        return;
    }
    const uint32_t canales = eeg.numeroCanales;
    anadirArchivo(std::move(copia), rutaRegistro);

    // What the reader loaded but the user must know (a file cut short, events dropped).
    for (const std::string& aviso : avisosLectura) pausaDebug(aviso);

    for (const std::string& aviso : ced.avisos) pausaDebug(aviso);
    if (!ced.error.empty())
        pausaDebug("No se pudo leer todo el archivo de localizaciones «" + rutaCED + "»: " + ced.error);
    if (!ced.abierto)
        pausaDebug("No se pudo abrir el archivo de localizaciones «" + rutaCED +
                   "». El registro se ha cargado con las etiquetas de sus canales y sin localizaciones.");
    else if (ced.canalesLeidos < canales)
        pausaDebug("El archivo de localizaciones «" + rutaCED + "» solo da etiqueta y localización a " +
                   std::to_string(ced.canalesLeidos) + " de los " + std::to_string(canales) +
                   " canales; los demás conservan su etiqueta y no tienen localización.");
}
