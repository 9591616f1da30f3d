#include "app/Ondelar.h"

#include <exception>
#include <string>

#include <QPointer>
#include <QTabWidget>

#include "app/exploradorRegistro.h"
#include "app/puntosSerie.h"
#include "ui_Ondelar.h"

void Ondelar::explorarRama() {
    const int archivo = ui->indiceArchivoEEG->currentIndex();
    const int rama = ui->indiceProcesado->currentIndex();
    try {
        const EEG& eeg = eegSeleccionado();
        if (const std::string motivo = motivoNoDibujable(eeg); !motivo.empty()) {
            pausaDebug(motivo);
            return;
        }
        // The browser reads the branch in place, so it looks the branch up
        // in the store on every use: once deleted, it is no longer drawn.
        const QPointer<Ondelar> ventana(this);
        const EEG* mostrado = &eeg;
        auto fuente = [ventana, mostrado]() -> const EEG* {
            if (!ventana) return nullptr;
            const AlmacenEEG& almacen = ventana->archivosEEG;
            for (int a = 0; a < almacen.numeroArchivos(); ++a)
                for (int b = 0; b < almacen.numeroRamas(a); ++b)
                    if (&almacen.rama(a, b) == mostrado) return mostrado;
            return nullptr;
        };
        auto* explorador = new ExploradorRegistro(fuente);
        // Like the plot tabs: closable, retitled when branches move and
        // closed when its branch is removed.
        explorador->setProperty(propiedadRamaDibujada, QVariant::fromValue(reinterpret_cast<quintptr>(&eeg)));
        const int pestana = ui->panelTabs->addTab(explorador, tituloPestana(archivo, rama));
        ui->panelTabs->setCurrentIndex(pestana);
        explorador->setFocus();
    } catch (const std::exception&) {
        pausaDebug("Fallo en los datos, revise que en el EEG seleccionado hay datos");
    }
}
