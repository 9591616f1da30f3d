#include "app/dialogoPaso.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "pasos/paso.h"

DialogoPaso::DialogoPaso(const QString& titulo, Ondelar* principal, QWidget* parent)
    : QWidget(parent), principal_(principal) {
    setWindowTitle(titulo);
    campos_ = new QFormLayout;
    mensaje_ = new QLabel(this);
    mensaje_->setObjectName(QStringLiteral("mensaje"));
    mensaje_->setWordWrap(true);
    mensaje_->setStyleSheet(QStringLiteral("color: #a00000"));
    aceptar_ = new QPushButton(QStringLiteral("Aceptar"), this);
    aceptar_->setObjectName(QStringLiteral("aceptar"));
    aceptar_->setDefault(true);
    auto* cancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    cancelar->setObjectName(QStringLiteral("cancelar"));
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(aceptar_);
    botones->addWidget(cancelar);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(campos_);
    todo->addWidget(mensaje_);
    todo->addLayout(botones);
    interaccion::cerrarConEscape(this);
    connect(aceptar_, &QPushButton::clicked, this, &DialogoPaso::aceptar);
    connect(cancelar, &QPushButton::clicked, this, &QWidget::close);
}

void DialogoPaso::aceptar() {
    std::string fallo;
    if (!principal_) {
        close();
        return;
    }
    mensaje_->clear();
    if (ejecutar(fallo))
        close();
    else
        mensaje_->setText(fallo.empty() ? QStringLiteral("No se ha podido aplicar; hay otro paso en curso.")
                                        : QString::fromStdString(fallo));
}

bool DialogoPaso::ejecutar(std::string& fallo) {
    try {
        return principal_->ejecutarPaso(construirPaso(), &fallo);
    } catch (const std::invalid_argument& e) {
        fallo = e.what();
        return false;
    }
}
