#include "app/GuiElegirCanalesDibujar.h"

#include <exception>
#include <vector>

#include <QAbstractItemView>

#include "app/Ondelar.h"
#include "representacion/puntosSerie.h"
#include "ui_GuiElegirCanalesDibujar.h"

GuiElegirCanalesDibujar::GuiElegirCanalesDibujar(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::GuiElegirCanalesDibujar>()) {
    ui->setupUi(this);
    connect(ui->aceptar, &QPushButton::clicked, this, &GuiElegirCanalesDibujar::onClickAceptar);
    connect(ui->listWidget, &QListWidget::itemSelectionChanged, this, &GuiElegirCanalesDibujar::onClickList);
}

GuiElegirCanalesDibujar::~GuiElegirCanalesDibujar() = default;

void GuiElegirCanalesDibujar::configurar(const EEG& fuente) {
    eeg = clonarEEG(fuente);
    ui->listWidget->clear();
    canalesElegidos.clear();
    for (uint32_t i = 0; i < eeg->numeroCanales; ++i) {
        const QString etiqueta = QString::fromStdString(etiquetaVisible((*eeg->canales)[i].etiqueta));
        ui->listWidget->addItem(QStringLiteral("can ") + QString::number(i + 1) + QStringLiteral(" - ") + etiqueta);
    }
    ui->listWidget->setSelectionMode(QAbstractItemView::MultiSelection);
}

void GuiElegirCanalesDibujar::onClickList() {
    try {
        canalesElegidos.clear();
        std::vector<int> filas;
        for (int i = 0; i < ui->listWidget->count(); ++i) {
            if (ui->listWidget->item(i)->isSelected()) {
                canalesElegidos.append(i);
                filas.push_back(i);
            }
        }
        if (!eeg || filas.empty()) return;
        if (const auto extremos = extremosFilas(eeg->datos(), filas)) {
            ui->maxAmpPlot->setValue(extremos->first);
            ui->minAmpPlot->setValue(extremos->second);
        }
    } catch (const std::exception& e) {
        const std::string texto = e.what();
        Ondelar::pausaDebug(texto.empty() ? "Unknown exception" : texto);
    } catch (...) {
        Ondelar::pausaDebug("Unknown exception");
    }
}

void GuiElegirCanalesDibujar::onClickAceptar() {
    const double maximo = ui->maxAmpPlot->value();
    const double minimo = ui->minAmpPlot->value();
    const QList<int> canales = canalesElegidos;
    const QPointer<Ondelar> ventana = principal;
    close();
    if (!canales.isEmpty() && ventana) ventana->dibujarCanales(canales, maximo, minimo);
}
