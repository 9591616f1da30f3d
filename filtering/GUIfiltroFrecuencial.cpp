#include "filtering/GUIfiltroFrecuencial.h"

#include "app/Ondelar.h"
#include "ui_GUIfiltroFrecuencial.h"

GUIfiltroFrecuencial::GUIfiltroFrecuencial(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::GUIfiltroFrecuencial>()) {
    ui->setupUi(this);
    connect(ui->aceptar, &QPushButton::clicked, this, &GUIfiltroFrecuencial::onClickAceptar);
}

GUIfiltroFrecuencial::~GUIfiltroFrecuencial() = default;

int GUIfiltroFrecuencial::codigoTipo() const {
    if (ui->rbAltos->isChecked()) return 0;
    if (ui->rbBajos->isChecked()) return 1;
    if (ui->rbBanda->isChecked()) return 2;
    return 3;
}

OpcionesFiltro GUIfiltroFrecuencial::opciones() const {
    OpcionesFiltro o;
    o.tipo = tipoFiltroDesdeCodigo(codigoTipo());
    o.frecInferior = ui->frecInferior->value();
    o.frecSuperior = ui->frecSuperior->value();
    o.caidaDecibelios = ui->caidaDecibelios->value();
    return o;
}

void GUIfiltroFrecuencial::onClickAceptar() {
    const int tipo = codigoTipo();
    const double frecInferior = ui->frecInferior->value();
    const double frecSuperior = ui->frecSuperior->value();
    const int caida = ui->caidaDecibelios->value();
    // Keep the window pointer: closing may schedule this dialog's deletion.
    QPointer<Ondelar> ventana = principal;
    close();
    if (ventana) ventana->aplicarFiltro(tipo, frecInferior, frecSuperior, caida);
}
