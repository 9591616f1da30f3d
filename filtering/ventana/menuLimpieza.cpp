#include "filtering/ventana/menuLimpieza.h"

#include <memory>

#include <QAction>
#include <QMenu>

#include "app/Ondelar.h"
#include "filtering/ventana/dialogosLimpieza.h"
#include "ui_Ondelar.h"

namespace {

// A top-level dialog over the selected branch, deleted when closed; a
// message instead when nothing is selected.
template <class Crear>
void abrir(Ondelar& ventana, Crear crear) {
    if (!ventana.seleccion()) {
        ventana.pausaDebug("No hay ninguna rama seleccionada.");
        return;
    }
    std::unique_ptr<QWidget> dialogo = crear(ventana.eegSeleccionado());
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->show();
    dialogo.release();
}

}  // namespace

void agregarMenuLimpieza(Ondelar& v) {
    QAction* separador = nullptr;
    for (QAction* a : v.ui->menuprocesar->actions())
        if (a->isSeparator()) separador = a;
    const auto entrada = [&](const char* nombre, const QString& texto, auto&& orden) {
        auto* accion = new QAction(texto, &v);
        accion->setObjectName(QString::fromLatin1(nombre));
        v.ui->menuprocesar->insertAction(separador, accion);
        QObject::connect(accion, &QAction::triggered, &v, orden);
    };
    Ondelar* p = &v;
    entrada("remuestrear", QStringLiteral("remuestrear…"), [p] {
        abrir(*p, [p](const EEG& e) { return std::make_unique<DialogoRemuestreo>(p, e.frecuenciaMuestreo); });
    });
    entrada("quitar_ruido_linea", QStringLiteral("quitar el ruido de línea…"), [p] {
        abrir(*p, [p](const EEG& e) { return std::make_unique<DialogoLinea>(p, e.frecuenciaMuestreo); });
    });
    entrada("re_referenciar", QStringLiteral("re-referenciar…"), [p] {
        abrir(*p, [p](const EEG& e) {
            std::vector<std::string> etiquetas;
            for (uint32_t i = 0; i < e.numeroCanales && i < e.canales->size(); ++i)
                etiquetas.push_back((*e.canales)[i].etiqueta);
            return std::make_unique<DialogoReferencia>(p, etiquetas);
        });
    });
}
