#include "app/Ondelar.h"

#include <exception>
#include <string>

#include <QPointer>
#include <QTabWidget>

#include "app/exploradorRegistro.h"
#include "pasos/pasosEpocas.h"
#include "representacion/puntosSerie.h"
#include "ui_Ondelar.h"

void Ondelar::explorarRama() { abrirExplorador(); }

ExploradorRegistro* Ondelar::abrirExplorador() {
    const int archivo = ui->indiceArchivoEEG->currentIndex();
    const int rama = ui->indiceProcesado->currentIndex();
    try {
        const EEG& eeg = eegSeleccionado();
        if (const std::string motivo = motivoNoDibujable(eeg); !motivo.empty()) {
            pausaDebug(motivo);
            return nullptr;
        }
        // The browser reads the branch in place, so it looks the branch up
        // in the store on every use: once deleted, it is no longer drawn.
        const QPointer<Ondelar> ventana(this);
        const uint64_t numero = archivosEEG.numeroRama(archivo, rama);
        auto fuente = [ventana, numero]() -> const EEG* { return ventana ? ventana->archivosEEG.buscar(numero) : nullptr; };
        auto* explorador = new ExploradorRegistro(fuente);
        // Like the plot tabs: closable, retitled when branches move and
        // closed when its branch is removed.
        explorador->setProperty(propiedadRamaDibujada, QVariant::fromValue(quint64{numero}));
        const int pestana = ui->panelTabs->addTab(explorador, tituloPestana(archivo, rama));
        ui->panelTabs->setCurrentIndex(pestana);
        explorador->setFocus();
        explorador->alAplicarRechazo = [ventana, numero](const std::vector<bool>& quitar) {
            if (ventana) ventana->ejecutarPasoSobre(numero, pasoQuitarEpocas(quitar));
        };
        return explorador;
    } catch (const std::exception&) {
        pausaDebug("Fallo en los datos, revise que en el EEG seleccionado hay datos");
    }
    return nullptr;
}
