#include "asr/ventana/GuiASR.h"

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "asr/validarOpcionesASR.h"
#include "ui_GuiASR.h"

GuiASR::GuiASR(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::GuiASR>()) {
    ui->setupUi(this);
    interaccion::cerrarConEscape(this);
    const OpcionesASR porDefecto;
    ui->burstCritic->setRange(static_cast<int>(intervaloBurstCritic.minimo), static_cast<int>(intervaloBurstCritic.maximo));
    ui->maxBadChan->setRange(intervaloMaxBadChan.minimo, intervaloMaxBadChan.maximo);
    ui->tolInf->setRange(intervaloTolInf.minimo, intervaloTolInf.maximo);
    ui->tolSup->setRange(intervaloTolSup.minimo, intervaloTolSup.maximo);
    ui->burstCritic->setValue(porDefecto.burstCritic);
    ui->maxBadChan->setValue(porDefecto.maxBadChan);
    ui->tolInf->setValue(porDefecto.tolInf);
    ui->tolSup->setValue(porDefecto.tolSup);
    connect(ui->aceptar, &QPushButton::clicked, this, &GuiASR::onClickAceptar);
    connect(ui->cancelar, &QPushButton::clicked, this, &QWidget::close);
}

GuiASR::~GuiASR() = default;

OpcionesASR GuiASR::opciones() const {
    OpcionesASR o;
    o.tolInf = ui->tolInf->value();
    o.tolSup = ui->tolSup->value();
    o.maxBadChan = ui->maxBadChan->value();
    o.burstCritic = ui->burstCritic->value();
    return o;
}

void GuiASR::onClickAceptar() {
    const OpcionesASR o = opciones();
    // Keep the window pointer: closing may schedule this dialog's deletion.
    QPointer<Ondelar> ventana = principal;
    close();
    if (ventana) ventana->aplicarASR(o);
}

