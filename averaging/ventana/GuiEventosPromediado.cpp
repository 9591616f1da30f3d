#include "averaging/ventana/GuiEventosPromediado.h"


#include <algorithm>

#include <QList>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "averaging/promediado.h"
#include "ui_GuiEventosPromediado.h"

GuiEventosPromediado::GuiEventosPromediado(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::GuiEventosPromediado>()) {
    ui->setupUi(this);
    interaccion::cerrarConEscape(this);
    connect(ui->aceptar, &QPushButton::clicked, this, &GuiEventosPromediado::onClickAceptar);
    connect(ui->cancelar, &QPushButton::clicked, this, &QWidget::close);
}

GuiEventosPromediado::~GuiEventosPromediado() = default;

void GuiEventosPromediado::rellenarLista(const TablaEventos& tabla) {
    ui->listWidget->clear();
    const int32_t numeroTipos = numeroTiposDisponibles(tabla);
    for (int32_t k = 0; k < numeroTipos; ++k) {
        const Evento& tipo = tabla.tipos[static_cast<size_t>(k)];
        ui->listWidget->addItem(QString::fromStdString(nombreTipo(tabla, tipo)));
    }
    ui->listWidget->setSelectionMode(QAbstractItemView::MultiSelection);
}

void GuiEventosPromediado::onClickAceptar() {
    QList<int> filas;
    for (const QListWidgetItem* item : ui->listWidget->selectedItems()) filas.append(ui->listWidget->row(item));
    std::sort(filas.begin(), filas.end());
    const double msPrev = ui->msPrev->value();
    const double msPost = ui->msPost->value();
    // The command may show modal messages; the dialog is gone by then.
    QPointer<Ondelar> destino = principal;
    close();
    if (destino) destino->aplicarPromediado(filas, msPrev, msPost);
}

