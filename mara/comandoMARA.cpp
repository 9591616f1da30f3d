#include "mara/comandoMARA.h"

#include <memory>
#include <stdexcept>
#include <string>

#include <QString>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "io/diagnostico.h"
#include "mara/aplicarMara.h"
#include "mara/directorioEjecutable.h"
#include "ui_Ondelar.h"

namespace {
std::optional<std::filesystem::path> directorioFijado;
std::optional<uint32_t> semillaFijada;
}  // namespace

void fijarSemillaMara(std::optional<uint32_t> semilla) { semillaFijada = semilla; }

std::filesystem::path directorioModelosMara() {
    return directorioFijado ? *directorioFijado : directorioEjecutable();
}

void fijarDirectorioModelosMara(std::optional<std::filesystem::path> directorio) {
    directorioFijado = std::move(directorio);
}

void Ondelar::graficoMARA() {
    ui->labelDatos->setText(QStringLiteral("triger Mara"));
    try {
        const EEG& eeg = eegSeleccionado();
        if (eeg.tieneEventos()) {
            pausaDebug(textoMaraSinPromediado);
            return;
        }
        OpcionesMara opciones;
        opciones.directorioModelos = directorioModelosMara();
        opciones.semilla = semillaFijada;
        opciones.avisar = [](const std::string& texto) { interaccion::mostrarMensaje(QString::fromStdString(texto)); };
        const EEG limpio = aplicarMara(eeg, opciones);
        std::unique_ptr<EEG> rama = clonarEEG(limpio);
        etiquetarRama(*rama, "MARA");
        anadirRama(std::move(rama));
    } catch (const std::exception& e) {
        diagnostico(e.what());
        pausaDebug("fallo en Mara");
    } catch (const char* texto) {  // the ICA's learning-rate failure is thrown as a bare string
        diagnostico(texto);
        pausaDebug("fallo en Mara");
    }
}
