#include "app/ventanaEmergente.h"

#include "ui_ventanaEmergente.h"

ventanaEmergente::ventanaEmergente(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::ventanaEmergente>()) {
    ui->setupUi(this);
}

ventanaEmergente::~ventanaEmergente() = default;
