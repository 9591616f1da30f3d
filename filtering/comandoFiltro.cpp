#include "app/Ondelar.h"

#include <exception>

#include "app/pasoVentana.h"
#include "dsp/fir/ErrorDisenoFIR.h"
#include "filtering/GUIfiltroFrecuencial.h"
#include "filtering/filtroFrecuencial.h"
#include "filtering/textoEstadoFiltro.h"

void Ondelar::graficoFiltro() {
    escribirTraza(QStringLiteral("triger filtro"));
    // Top-level and application-modal; it deletes itself once closed.
    auto* dialogo = new GUIfiltroFrecuencial();
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->setWindowModality(Qt::ApplicationModal);
    dialogo->fijarVentanaPrincipal(this);
    dialogo->show();
}

void Ondelar::aplicarFiltro(int tipo, double frecInferior, double frecSuperior, int caidaDecibelios) {
    const char* const mensajeFallo =
        "Se ha producido un error en el proceso de filtrado de datos. Revise que existen datos sobre los que "
        "aplicar el filtro";
    OpcionesFiltro opciones;
    try {
        opciones.tipo = tipoFiltroDesdeCodigo(tipo);
    } catch (const std::exception& e) {
        pausaDebug(e.what());
        return;
    }
    opciones.frecInferior = frecInferior;
    opciones.frecSuperior = frecSuperior;
    opciones.caidaDecibelios = caidaDecibelios;

    if (const auto elegida = seleccion()) {
        const int archivo = elegida->first;
        escribirTraza(QString::fromStdString(
            textoEstadoFiltro(opciones.tipo, frecInferior, frecSuperior, archivosEEG.rama(archivo, 0).frecuenciaMuestreo,
                              archivosEEG.numeroArchivos(), archivosEEG.numeroRamas(archivo))));
    }

    ejecutarPaso({nombreTipoFiltro(opciones.tipo), mensajeFallo, [opciones](const EEG& eeg, AvisosPaso&, const Avance& avance) {
                      try {
                          return filtrarEEG(eeg, opciones, avance);
                      } catch (const ParametrosFiltroNoValidos& e) {
                          // Parameters that give no usable filter: the text says which and why.
                          throw RechazoPaso(e.what());
                      } catch (const ErrorDisenoFIR& e) {
                          throw RechazoPaso(e.what());
                      }
                  }});
}
