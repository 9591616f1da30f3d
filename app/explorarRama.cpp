#include "app/Ondelar.h"

#include <exception>
#include <string>

#include <QPointer>
#include <QTabWidget>

#include "app/exploradorRegistro.h"
#include "canales/canalesMalos.h"
#include "pasos/pasosEpocas.h"
#include "representacion/puntosSerie.h"
#include "ui_Ondelar.h"

void Ondelar::explorarRama() { abrirExplorador(); }

void Ondelar::alternarCanalMalo(uint64_t numeroRama, const std::string& etiqueta) {
    if (ocupado()) {
        pausaDebug("Espere a que termine el paso en curso para marcar canales.");
        return;
    }
    std::vector<std::string>* malos = archivosEEG.canalesMalos(numeroRama);
    if (!malos) return;
    const bool malo = ::alternarCanalMalo(*malos, etiqueta);
    escribirTraza(QString::fromStdString("canal " + etiqueta + (malo ? " marcado como malo" : " marcado como bueno")));
}

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
        explorador->alAlternarCanalMalo = [ventana, numero](const std::string& etiqueta) {
            if (ventana) ventana->alternarCanalMalo(numero, etiqueta);
        };
        return explorador;
    } catch (const std::exception&) {
        pausaDebug("Fallo en los datos, revise que en el EEG seleccionado hay datos");
    }
    return nullptr;
}
