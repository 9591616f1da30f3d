// The "procesar" entries of the epoch steps and the dialogs they open.

#include <memory>

#include <QAction>
#include <QMenu>

#include "app/Ondelar.h"
#include "averaging/ventana/dialogosEpocas.h"
#include "ui_Ondelar.h"

namespace {

// A top-level dialog that deletes itself when closed.
void abrir(std::unique_ptr<QWidget> dialogo) {
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->show();
    dialogo.release();
}

}  // namespace

// Right after "aplicar promediado", in the order a researcher runs them.
void Ondelar::agregarMenuEpocas() {
    QAction* despues = nullptr;
    const QList<QAction*> acciones = ui->menuprocesar->actions();
    const int i = acciones.indexOf(ui->aplicar_promediado);
    if (i >= 0 && i + 1 < acciones.size()) despues = acciones[i + 1];
    const struct {
        const char* nombre;
        QString texto;
        void (Ondelar::*orden)();
    } entradas[] = {{"cortar_epocas", QStringLiteral("cortar épocas"), &Ondelar::graficoEpocas},
                    {"restar_linea_base", QStringLiteral("restar línea base"), &Ondelar::graficoLineaBase},
                    {"marcar_epocas", QStringLiteral("marcar épocas para rechazo"), &Ondelar::graficoRechazo}};
    for (const auto& e : entradas) {
        auto* accion = new QAction(e.texto, this);
        accion->setObjectName(QString::fromLatin1(e.nombre));
        ui->menuprocesar->insertAction(despues, accion);
        connect(accion, &QAction::triggered, this, e.orden);
    }
}

void Ondelar::graficoEpocas() {
    if (!seleccion()) {
        pausaDebug("No hay ninguna rama seleccionada.");
        return;
    }
    const EEG& eeg = eegSeleccionado();
    if (eeg.epocas) {
        pausaDebug("La rama seleccionada ya está dividida en épocas.");
        return;
    }
    if (!eeg.tieneEventos() || eeg.tablaEventos->eventos.empty()) {
        pausaDebug("La rama seleccionada no tiene eventos alrededor de los que cortar épocas.");
        return;
    }
    abrir(std::make_unique<DialogoEpocas>(this, *eeg.tablaEventos));
}

void Ondelar::graficoLineaBase() { abrir(std::make_unique<DialogoLineaBase>(this)); }

void Ondelar::graficoRechazo() { abrir(std::make_unique<DialogoRechazo>(this)); }
