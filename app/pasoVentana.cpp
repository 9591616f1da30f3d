#include "app/pasoVentana.h"

#include <new>

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLabel>

#include "app/Ondelar.h"
#include "ui_Ondelar.h"

std::string mensajeConMotivo(const std::string& mensajeFallo, const std::string& motivo) {
    if (motivo.empty()) return mensajeFallo;
    return mensajeFallo + "\n\nMotivo: " + motivo;
}

ResultadoPaso calcularPaso(const PasoVentana& paso, const EEG& entrada) {
    ResultadoPaso r;
    try {
        r.rama = clonarEEG(paso.calcular(entrada, r.avisos));
    } catch (const RechazoPaso& e) {
        r.fallo = e.what();
    } catch (const std::bad_alloc&) {
        r.fallo = mensajeConMotivo(paso.mensajeFallo, "no hay memoria suficiente");
    } catch (const std::exception& e) {
        r.fallo = mensajeConMotivo(paso.mensajeFallo, e.what());
    } catch (...) {
        r.fallo = mensajeConMotivo(paso.mensajeFallo, "error inesperado");
    }
    if (!r.rama && r.fallo.empty()) r.fallo = paso.mensajeFallo;
    return r;
}

bool Ondelar::ejecutarPaso(const PasoVentana& paso) {
    const auto elegida = seleccion();
    if (!elegida) {
        pausaDebug(mensajeConMotivo(paso.mensajeFallo, "no hay ningún eeg seleccionado"));
        return false;
    }
    const auto [archivo, rama] = *elegida;
    // The computation blocks the window for a while: show it is busy.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ResultadoPaso resultado = calcularPaso(paso, archivosEEG.rama(archivo, rama));
    QApplication::restoreOverrideCursor();
    return terminarPaso(paso, archivo, std::move(resultado));
}

bool Ondelar::terminarPaso(const PasoVentana& paso, int archivo, ResultadoPaso resultado) {
    bool anadida = false;
    if (resultado.rama) {
        etiquetarRama(*resultado.rama, paso.etiqueta);
        try {
            // The branch joins the recording it was computed from, even if
            // the selector has moved since.
            if (ui->indiceArchivoEEG->currentIndex() != archivo) ui->indiceArchivoEEG->setCurrentIndex(archivo);
            anadirRama(std::move(resultado.rama));
            anadida = true;
        } catch (const std::exception& e) {
            resultado.fallo = mensajeConMotivo(paso.mensajeFallo, e.what());
        }
    }
    for (const std::string& aviso : resultado.avisos) pausaDebug(aviso);
    if (!anadida) pausaDebug(resultado.fallo);
    return anadida;
}
