#include "averaging/ventana/dialogosEpocas.h"

#include <map>
#include <stdexcept>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>

#include "app/Ondelar.h"
#include "app/exploradorRegistro.h"
#include "pasos/pasosEpocas.h"

namespace {

QDoubleSpinBox* campoMs(QWidget* padre, const char* nombre, double minimo, double valor) {
    auto* c = new QDoubleSpinBox(padre);
    c->setObjectName(QString::fromLatin1(nombre));
    c->setDecimals(1);
    c->setRange(minimo, 600000.0);
    c->setSuffix(QStringLiteral(" ms"));
    c->setValue(valor);
    return c;
}

}  // namespace

DialogoEpocas::DialogoEpocas(Ondelar* principal, const TablaEventos& tabla)
    : DialogoPaso(QStringLiteral("Cortar épocas"), principal) {
    lista_ = new QListWidget(this);
    lista_->setObjectName(QStringLiteral("tiposEpocas"));
    lista_->setSelectionMode(QAbstractItemView::MultiSelection);
    const std::vector<size_t> cuentas = cuentaPorTipo(tabla);
    for (size_t i = 0; i < tabla.tipos.size(); ++i) {
        const Evento& k = tabla.tipos[i];
        if (cuentas[i] == 0) continue;
        tipos_.push_back({k.tipo, k.calificador});
        lista_->addItem(QString::fromStdString(nombreTipo(tabla, k)) + QStringLiteral("  ×") +
                        QString::number(static_cast<qulonglong>(cuentas[i])));
        lista_->item(lista_->count() - 1)->setSelected(true);
    }
    msPrev_ = campoMs(this, "msPrev", 0.0, 200.0);
    msPost_ = campoMs(this, "msPost", 0.0, 800.0);
    campos()->addRow(QStringLiteral("tipos de evento:"), lista_);
    campos()->addRow(QStringLiteral("antes del evento:"), msPrev_);
    campos()->addRow(QStringLiteral("después del evento:"), msPost_);
}

Paso DialogoEpocas::construirPaso() const {
    std::vector<TipoEvento> elegidos;
    for (int fila = 0; fila < lista_->count(); ++fila)
        if (lista_->item(fila)->isSelected()) elegidos.push_back(tipos_[static_cast<std::size_t>(fila)]);
    if (elegidos.empty()) throw std::invalid_argument("Elige al menos un tipo de evento.");
    return pasoEpocas(elegidos, msPrev_->value(), msPost_->value());
}

DialogoLineaBase::DialogoLineaBase(Ondelar* principal)
    : DialogoPaso(QStringLiteral("Restar línea de base"), principal) {
    desde_ = campoMs(this, "desde", -600000.0, -200.0);
    hasta_ = campoMs(this, "hasta", -600000.0, 0.0);
    campos()->addRow(QStringLiteral("desde (respecto al evento):"), desde_);
    campos()->addRow(QStringLiteral("hasta:"), hasta_);
}

Paso DialogoLineaBase::construirPaso() const {
    if (desde_->value() > hasta_->value())
        throw std::invalid_argument("El inicio de la línea de base debe ser menor o igual que su final.");
    return pasoLineaBase(desde_->value(), hasta_->value());
}

DialogoRechazo::DialogoRechazo(Ondelar* principal) : DialogoPaso(QStringLiteral("Marcar épocas"), principal) {
    const char* nombres[3] = {"picoAPico", "probabilidad", "curtosis"};
    const QString textos[3] = {QStringLiteral("pico a pico por encima de (µV):"),
                               QStringLiteral("probabilidad conjunta, |z| por encima de:"),
                               QStringLiteral("curtosis, |z| por encima de:")};
    const double valores[3] = {100.0, 5.0, 5.0};
    for (int i = 0; i < 3; ++i) {
        usar_[i] = new QCheckBox(textos[i], this);
        usar_[i]->setChecked(true);
        limite_[i] = new QDoubleSpinBox(this);
        limite_[i]->setObjectName(QString::fromLatin1(nombres[i]));
        limite_[i]->setRange(0.1, 1e6);
        limite_[i]->setValue(valores[i]);
        campos()->addRow(usar_[i], limite_[i]);
    }
    botonAceptar()->setText(QStringLiteral("Marcar"));
}

OpcionesRechazo DialogoRechazo::opciones() const {
    OpcionesRechazo o;
    if (usar_[0]->isChecked()) o.picoAPico = limite_[0]->value();
    if (usar_[1]->isChecked()) o.probabilidad = limite_[1]->value();
    if (usar_[2]->isChecked()) o.curtosis = limite_[2]->value();
    return o;
}

Paso DialogoRechazo::construirPaso() const { return pasoRechazo(opciones()); }

bool DialogoRechazo::ejecutar(std::string& fallo) {
    const OpcionesRechazo o = opciones();
    if (!o.picoAPico && !o.probabilidad && !o.curtosis) {
        fallo = "Elige al menos un criterio.";
        return false;
    }
    if (!principal()->seleccion()) {
        fallo = "No hay ninguna rama seleccionada.";
        return false;
    }
    try {
        const EEG& rama = principal()->eegSeleccionado();
        std::vector<std::vector<MotivoRechazo>> motivos;
        principal()->enSegundoPlano(QStringLiteral("Marcar épocas"),
                                    [&](const Avance&) { motivos = marcarEpocas(rama, o); });
        if (motivos.empty()) {
            fallo = "Se ha cancelado el marcado.";
            return false;
        }
        ExploradorRegistro* explorador = principal()->abrirExplorador();
        if (!explorador) return true;  // the window said why
        explorador->fijarMotivos(std::move(motivos));
        return true;
    } catch (const std::exception& e) {
        fallo = e.what();
        return false;
    }
}
