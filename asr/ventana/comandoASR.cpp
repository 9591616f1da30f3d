#include "app/Ondelar.h"
#include "app/pasoVentana.h"
#include "asr/ventana/GuiASR.h"
#include "pasos/catalogoPasos.h"

void Ondelar::graficoASR() {
    escribirTraza(QStringLiteral("triger ASR"));
    auto* dialogo = new GuiASR();  // top level, no parent
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->setWindowModality(Qt::ApplicationModal);
    dialogo->fijarVentanaPrincipal(this);
    dialogo->show();
}

void Ondelar::aplicarASR(const OpcionesASR& opciones) {
    escribirTraza(QStringLiteral("triger ASR"));
    ejecutarPaso(pasoASR(opciones));
}
