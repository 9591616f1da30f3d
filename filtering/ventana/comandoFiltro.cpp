#include "app/Ondelar.h"

#include <exception>

#include "app/pasoVentana.h"
#include "filtering/ventana/GUIfiltroFrecuencial.h"
#include "filtering/filtroFrecuencial.h"
#include "filtering/textoEstadoFiltro.h"
#include "pasos/catalogoPasos.h"

void Ondelar::graficoFiltro() {
    escribirTraza(QStringLiteral("triger filtro"));
    // Top-level and application-modal; it deletes itself once closed.
    auto* dialogo = new GUIfiltroFrecuencial();
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->setWindowModality(Qt::ApplicationModal);
    dialogo->fijarVentanaPrincipal(this);
    dialogo->show();
}

void Ondelar::aplicarFiltro(const OpcionesFiltro& opciones) {
    if (const auto elegida = seleccion()) {
        const int archivo = elegida->first;
        escribirTraza(QString::fromStdString(textoEstadoFiltro(
            opciones.tipo, opciones.frecInferior, opciones.frecSuperior, archivosEEG.rama(archivo, 0).frecuenciaMuestreo,
            archivosEEG.numeroArchivos(), archivosEEG.numeroRamas(archivo))));
    }
    ejecutarPaso(pasoFiltro(opciones));
}
