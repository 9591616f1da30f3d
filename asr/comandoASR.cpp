#include "app/Ondelar.h"
#include "app/pasoVentana.h"
#include "asr/GuiASR.h"
#include "asr/ejecutarASR.h"
#include "asr/validarOpcionesASR.h"

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
    ejecutarPaso({"ASR", "Revise los datos sobre los que esta intentando aplicar ASR.",
                  [opciones](const EEG& eeg, AvisosPaso&, const Avance& avance) {
                      // The same check as the runner's: the dialog's ranges
                      // cannot refuse a lower tolerance above the upper one.
                      validarOpcionesASR(opciones);
                      return ejecutarASR(eeg, opciones, avance);
                  }});
}
