#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QLabel>
#include <QString>

#include "app/Ondelar.h"
#include "averaging/GuiEventosPromediado.h"
#include "averaging/promediado.h"
#include "ui_Ondelar.h"

namespace {

// Averaging cuts epochs around events: a branch read from a .dat file or an
// averaged branch has none to cut around.
bool tieneTiposDeEvento(const EEG& eeg) {
    return eeg.tieneEventos() && numeroTiposDisponibles(*eeg.tablaEventos) > 0;
}

const char* const sinEventos =
    "La rama seleccionada no tiene eventos, así que no se puede promediar. Elige una rama de un archivo GDF "
    "que no esté ya promediada.";

}  // namespace

void Ondelar::graficoPromediado() {
    try {
        const EEG& eeg = eegSeleccionado();
        if (!tieneTiposDeEvento(eeg)) {
            pausaDebug(sinEventos);
            return;
        }
        auto dialogo = std::make_unique<GuiEventosPromediado>(this);
        dialogo->setAttribute(Qt::WA_DeleteOnClose);
        dialogo->rellenarLista(*eeg.tablaEventos);
        dialogo->show();
        dialogo.release();  // a top-level window that deletes itself when closed
    } catch (const std::exception&) {
        pausaDebug("Fallo preparando la interfaz de Mara. Comprueba que hay datos o que los seleccionados son "
                   "correctos");
    }
}

void Ondelar::aplicarPromediado(QList<int> filas, double msPrev, double msPost) {
    if (filas.isEmpty()) {
        pausaDebug("no se ha detectado ningun evento seleccionado");
        return;
    }
    ui->labelDatos->setText(QStringLiteral("triger promediado ") + QString::number(filas.size()) + " " +
                            QString::number(filas.first()) + "  " + QString::number(msPrev) + "  " +
                            QString::number(msPost));

    ResultadoPromediado resultado;
    try {
        // The selectors are read now, not when the dialog was opened: the
        // rows must name kinds of this branch.
        const EEG& eeg = eegSeleccionado();
        if (!tieneTiposDeEvento(eeg)) {
            pausaDebug(sinEventos);
            return;
        }
        const TablaEventos tabla = *eeg.tablaEventos;
        const int numeroTipos = numeroTiposDisponibles(tabla);
        for (int fila : filas) {
            if (fila < 0 || fila >= numeroTipos) {
                pausaDebug("Los eventos elegidos no corresponden a la rama seleccionada, que tiene " +
                           std::to_string(numeroTipos) +
                           " tipos de evento. Vuelve a abrir el promediado con la rama que quieras usar.");
                return;
            }
        }
        const ParametrosPromediado parametros =
            parametrosDeFilas(tabla, std::vector<int>(filas.begin(), filas.end()), milisegundosEnteros(msPrev),
                              milisegundosEnteros(msPost));
        DestinoCubo destino;
        destino.directorio = std::filesystem::current_path();
        resultado = promediarEventos(eeg, parametros, destino);

        std::unique_ptr<EEG> rama = clonarEEG(resultado.promedio);
        etiquetarRama(*rama, "Promediado");
        anadirRama(std::move(rama));
    } catch (const std::exception&) {
        pausaDebug("Fallo en el promediado, revisa que existan datos para los tiempos elegidos.");
        return;
    }
    if (resultado.archivoCubo.empty())
        pausaDebug("El promedio se ha añadido, pero no se pudo guardar el archivo con las épocas "
                   "(Promediado-….bin) en la carpeta actual. Comprueba que se puede escribir en ella.");
}
