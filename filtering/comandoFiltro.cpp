#include "app/Ondelar.h"

#include <exception>
#include <memory>

#include "dsp/fir/ErrorDisenoFIR.h"
#include "filtering/GUIfiltroFrecuencial.h"
#include "filtering/filtroFrecuencial.h"
#include "filtering/textoEstadoFiltro.h"
#include "ui_Ondelar.h"

void Ondelar::graficoFiltro() {
    ui->labelDatos->setText(QStringLiteral("triger filtro"));
    // Top-level and application-modal; it deletes itself once closed.
    auto* dialogo = new GUIfiltroFrecuencial();
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->setWindowModality(Qt::ApplicationModal);
    dialogo->fijarVentanaPrincipal(this);
    dialogo->show();
}

void Ondelar::aplicarFiltro(int tipo, double frecInferior, double frecSuperior, int caidaDecibelios) {
    try {
        const EEG& seleccionado = eegSeleccionado();
        OpcionesFiltro opciones;
        opciones.tipo = tipoFiltroDesdeCodigo(tipo);
        opciones.frecInferior = frecInferior;
        opciones.frecSuperior = frecSuperior;
        opciones.caidaDecibelios = caidaDecibelios;

        const int archivo = ui->indiceArchivoEEG->currentIndex();
        ui->labelDatos->setText(QString::fromStdString(
            textoEstadoFiltro(opciones.tipo, frecInferior, frecSuperior, archivosEEG.rama(archivo, 0).frecuenciaMuestreo,
                              archivosEEG.numeroArchivos(), archivosEEG.numeroRamas(archivo))));

        const EEG filtrado = filtrarEEG(seleccionado, opciones);
        std::unique_ptr<EEG> rama = clonarEEG(filtrado);
        etiquetarRama(*rama, nombreTipoFiltro(opciones.tipo));
        anadirRama(std::move(rama));
    } catch (const ParametrosFiltroNoValidos& e) {
        // Parameters that give no usable filter: say which and why.
        pausaDebug(e.what());
    } catch (const ErrorDisenoFIR& e) {
        pausaDebug(e.what());
    } catch (const std::exception&) {
        pausaDebug(
            "Se ha producido un error en el proceso de filtrado de datos. Revise que existen datos sobre los que "
            "aplicar el filtro");
    }
}
