#include "asr/GuiASR.h"

#include "app/Ondelar.h"
#include "ui_GuiASR.h"

GuiASR::GuiASR(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::GuiASR>()) {
    ui->setupUi(this);
    connect(ui->aceptar, &QPushButton::clicked, this, &GuiASR::onClickAceptar);
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
    // With WA_DeleteOnClose the deletion is deferred to the event loop, so the
    // command below still runs from a live object.
    close();
    if (ventanaPrincipal) ventanaPrincipal->aplicarASR(o.burstCritic, o.maxBadChan, o.tolInf, o.tolSup);
}
