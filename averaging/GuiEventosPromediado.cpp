#include "averaging/GuiEventosPromediado.h"

#include <algorithm>

#include <QList>

#include "app/Ondelar.h"
#include "ui_GuiEventosPromediado.h"

GuiEventosPromediado::GuiEventosPromediado(Ondelar* ventanaPrincipal, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::GuiEventosPromediado>()), ventana(ventanaPrincipal) {
    ui->setupUi(this);
    connect(ui->aceptar, &QPushButton::clicked, this, &GuiEventosPromediado::onClickAceptar);
}

GuiEventosPromediado::~GuiEventosPromediado() = default;

void GuiEventosPromediado::rellenarLista(const TablaEventos& tabla) {
    ui->listWidget->clear();
    const size_t numeroTipos = std::min<size_t>(static_cast<size_t>(std::max(tabla.numeroTipos, 0)), tabla.tipos.size());
    for (size_t k = 0; k < numeroTipos; ++k)
        ui->listWidget->addItem(QString::number(tabla.tipos[k].tipo) + "." + QString::number(tabla.tipos[k].calificador));
    ui->listWidget->setSelectionMode(QAbstractItemView::MultiSelection);
}

void GuiEventosPromediado::onClickAceptar() {
    QList<int> filas;
    for (const QListWidgetItem* item : ui->listWidget->selectedItems()) filas.append(ui->listWidget->row(item));
    std::sort(filas.begin(), filas.end());
    const double msPrev = ui->msPrev->value();
    const double msPost = ui->msPost->value();
    // The command may show modal messages; the dialog is gone by then.
    QPointer<Ondelar> destino = ventana;
    close();
    if (destino) destino->aplicarPromediado(filas, msPrev, msPost);
}
