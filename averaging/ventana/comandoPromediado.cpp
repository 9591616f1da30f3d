#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "app/Ondelar.h"
#include "app/pasoVentana.h"
#include "averaging/ventana/GuiEventosPromediado.h"
#include "ui_GuiEventosPromediado.h"
#include "averaging/promediado.h"
#include "pasos/pasosEpocas.h"

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
        auto dialogo = std::make_unique<GuiEventosPromediado>();
        dialogo->setAttribute(Qt::WA_DeleteOnClose);
        dialogo->fijarVentanaPrincipal(this);
        dialogo->rellenarLista(*eeg.tablaEventos);
        // Epochs already have their window: only the kinds are chosen.
        dialogo->ui->msPrev->setEnabled(!eeg.epocas);
        dialogo->ui->msPost->setEnabled(!eeg.epocas);
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
    escribirTraza(QStringLiteral("triger promediado ") + QString::number(filas.size()) + " " +
                            QString::number(filas.first()) + "  " + QString::number(msPrev) + "  " +
                            QString::number(msPost));

    // The rows are checked against the branch selected now, not when the
    // dialog was opened: they must name kinds of this branch.
    const std::vector<int> elegidas(filas.begin(), filas.end());
    // An epoched branch already has its window: the mean of each kind's kept epochs.
    if (seleccion() && eegSeleccionado().epocas && eegSeleccionado().tieneEventos()) {
        const TablaEventos& tabla = *eegSeleccionado().tablaEventos;
        std::vector<TipoEvento> tipos;
        for (int fila : elegidas)
            if (fila >= 0 && fila < numeroTiposDisponibles(tabla))
                tipos.emplace_back(tabla.tipos[static_cast<std::size_t>(fila)].tipo,
                                   tabla.tipos[static_cast<std::size_t>(fila)].calificador);
        ejecutarPaso(pasoPromediadoEpocas(tipos));
        return;
    }
    ejecutarPaso({"Promediado", "Fallo en el promediado, revisa que existan datos para los tiempos elegidos.",
                  [elegidas, msPrev, msPost](const EEG& eeg, AvisosPaso& avisos, const Avance& avance) {
                      if (!tieneTiposDeEvento(eeg)) throw RechazoPaso(sinEventos);
                      const TablaEventos& tabla = *eeg.tablaEventos;
                      const int numeroTipos = numeroTiposDisponibles(tabla);
                      for (int fila : elegidas)
                          if (fila < 0 || fila >= numeroTipos)
                              throw RechazoPaso("Los eventos elegidos no corresponden a la rama seleccionada, que "
                                                "tiene " + std::to_string(numeroTipos) +
                                                " tipos de evento. Vuelve a abrir el promediado con la rama que "
                                                "quieras usar.");
                      const ParametrosPromediado parametros = parametrosDeFilas(
                          tabla, elegidas, milisegundosEnteros(msPrev), milisegundosEnteros(msPost));
                      DestinoCubo destino;
                      destino.directorio = std::filesystem::current_path();
                      ResultadoPromediado resultado = promediarEventos(eeg, parametros, destino, avance);
                      if (resultado.archivoCubo.empty())
                          avisos.push_back(
                              "El promedio se ha añadido, pero no se pudo guardar el archivo con las épocas "
                              "(Promediado-….bin) en la carpeta actual. Comprueba que se puede escribir en ella.");
                      return std::move(resultado.promedio);
                  }});
}
