#include <exception>
#include <memory>

#include <QLabel>

#include "app/Ondelar.h"
#include "averaging/car.h"
#include "ui_Ondelar.h"

void Ondelar::lanzarCAR() {
    ui->labelDatos->setText(QStringLiteral("triger CAR"));
    try {
        std::unique_ptr<EEG> rama = clonarEEG(aplicarCAR(eegSeleccionado()));
        etiquetarRama(*rama, "CAR");
        anadirRama(std::move(rama));
    } catch (const std::exception&) {
        pausaDebug("Problema con CAR. Revisa el EEG seleccionado");
    }
}
