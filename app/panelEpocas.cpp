#include "app/panelEpocas.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Columna { colEpoca, colTipo, colMarcada, colMotivo };

QTableWidgetItem* celdaFija(const QString& texto) {
    auto* c = new QTableWidgetItem(texto);
    c->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return c;
}

}  // namespace

PanelEpocas::PanelEpocas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panelEpocas"));
    tabla_ = new QTableWidget(0, 4, this);
    tabla_->setObjectName(QStringLiteral("tablaEpocas"));
    tabla_->setHorizontalHeaderLabels({QStringLiteral("época"), QStringLiteral("tipo"), QStringLiteral("marcada"),
                                       QStringLiteral("motivo")});
    tabla_->verticalHeader()->hide();
    tabla_->horizontalHeader()->setStretchLastSection(true);
    tabla_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabla_->setSelectionMode(QAbstractItemView::SingleSelection);
    resumen_ = new QLabel(this);
    resumen_->setObjectName(QStringLiteral("resumenEpocas"));
    aplicar_ = new QPushButton(QStringLiteral("aplicar rechazo"), this);
    aplicar_->setObjectName(QStringLiteral("aplicarRechazo"));
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);
    capas->addWidget(tabla_, 1);
    capas->addWidget(resumen_);
    capas->addWidget(aplicar_);
    setMinimumWidth(260);

    connect(tabla_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* c) {
        if (!rellenando_ && c->column() == colMarcada && alAlternar) alAlternar(static_cast<std::size_t>(c->row()));
    });
    connect(tabla_, &QTableWidget::currentCellChanged, this, [this](int fila, int, int, int) {
        if (!rellenando_ && fila >= 0 && alElegir) alElegir(static_cast<std::size_t>(fila));
    });
    connect(aplicar_, &QPushButton::clicked, this, [this] {
        if (alAplicar) alAplicar();
    });
}

void PanelEpocas::mostrar(const RevisionEpocas& revision, const EEG& rama) {
    rellenando_ = true;
    tabla_->setRowCount(static_cast<int>(revision.numero()));
    for (std::size_t e = 0; e < revision.numero(); ++e) {
        const int fila = static_cast<int>(e);
        tabla_->setItem(fila, colEpoca, celdaFija(QString::number(e + 1)));
        QString tipo;
        if (rama.epocas && e < rama.epocas->tipos.size()) {
            Evento k;
            k.tipo = rama.epocas->tipos[e].first;
            k.calificador = rama.epocas->tipos[e].second;
            tipo = QString::fromStdString(rama.tablaEventos ? nombreTipo(*rama.tablaEventos, k)
                                                            : std::to_string(k.tipo) + "." +
                                                                  std::to_string(k.calificador));
        }
        tabla_->setItem(fila, colTipo, celdaFija(tipo));
        auto* marca = new QTableWidgetItem;
        marca->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        tabla_->setItem(fila, colMarcada, marca);
        tabla_->setItem(fila, colMotivo, celdaFija({}));
    }
    rellenando_ = false;
    for (std::size_t e = 0; e < revision.numero(); ++e) actualizar(revision, e);
    tabla_->resizeColumnsToContents();
}

void PanelEpocas::actualizar(const RevisionEpocas& revision, std::size_t epoca) {
    rellenando_ = true;
    const int fila = static_cast<int>(epoca);
    if (auto* c = tabla_->item(fila, colMarcada))
        c->setCheckState(revision.marcada(epoca) ? Qt::Checked : Qt::Unchecked);
    if (auto* c = tabla_->item(fila, colMotivo)) c->setText(QString::fromStdString(revision.motivo(epoca)));
    resumen_->setText(QString::fromStdString(revision.resumen()));
    rellenando_ = false;
}
