#include <exception>
#include <memory>

#include <QApplication>
#include <QCursor>

#include "app/Ondelar.h"
#include "asr/GuiASR.h"
#include "asr/ejecutarASR.h"
#include "ui_Ondelar.h"

void Ondelar::graficoASR() {
    ui->labelDatos->setText(QStringLiteral("triger ASR"));
    auto* dialogo = new GuiASR();  // top level, no parent
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->setWindowModality(Qt::ApplicationModal);
    dialogo->ventanaPrincipal = this;
    dialogo->show();
}

void Ondelar::aplicarASR(int burstCritic, double maxBadChan, double tolInf, double tolSup) {
    ui->labelDatos->setText(QStringLiteral("triger ASR"));
    OpcionesASR opciones;
    opciones.burstCritic = burstCritic;
    opciones.maxBadChan = maxBadChan;
    opciones.tolInf = tolInf;
    opciones.tolSup = tolSup;
    try {
        std::unique_ptr<EEG> rama;
        {
            // The run blocks the window for a while: show it is busy.
            QApplication::setOverrideCursor(Qt::WaitCursor);
            struct Restaurar {
                ~Restaurar() { QApplication::restoreOverrideCursor(); }
            } restaurar;
            rama = clonarEEG(ejecutarASR(eegSeleccionado(), opciones));
        }
        etiquetarRama(*rama, "ASR");
        anadirRama(std::move(rama));
    } catch (const std::exception& e) {
        pausaDebug("Revise los datos sobre los que esta intentando aplicar ASR.");
        pausaDebug(e.what());
    }
}
