#include "filtering/ventana/GUIfiltroFrecuencial.h"

#include <exception>

#include <QtCharts/QLineSeries>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "filtering/respuestaFiltro.h"
#include "filtering/ventana/graficoRespuesta.h"
#include "ui_GUIfiltroFrecuencial.h"

GUIfiltroFrecuencial::GUIfiltroFrecuencial(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::GUIfiltroFrecuencial>()) {
    ui->setupUi(this);
    interaccion::cerrarConEscape(this);
    // The defaults are the step's own, as the runner starts from them.
    const OpcionesFiltro defecto;
    ui->rbAltos->setChecked(defecto.tipo == TipoFiltro::pasaAltos);
    ui->rbBajos->setChecked(defecto.tipo == TipoFiltro::pasaBajos);
    ui->rbBanda->setChecked(defecto.tipo == TipoFiltro::pasaBanda);
    ui->rbRechaza->setChecked(defecto.tipo == TipoFiltro::rechazaBanda);
    ui->frecInferior->setValue(defecto.frecInferior);
    ui->frecSuperior->setValue(defecto.frecSuperior);
    ui->caidaDecibelios->setValue(defecto.caidaDecibelios);

    vista = new GraficoRespuesta();
    serieInferior = vista->agregarMarca(QStringLiteral("límite inferior"), Qt::darkGreen);
    serieSuperior = vista->agregarMarca(QStringLiteral("límite superior"), Qt::darkRed);
    ui->verticalLayoutRespuesta->insertWidget(1, vista, 1);

    connect(ui->aceptar, &QPushButton::clicked, this, &GUIfiltroFrecuencial::onClickAceptar);
    connect(ui->cancelar, &QPushButton::clicked, this, &QWidget::close);
    for (QRadioButton* b : {ui->rbAltos, ui->rbBajos, ui->rbBanda, ui->rbRechaza})
        connect(b, &QRadioButton::toggled, this, [this](bool marcado) {
            if (marcado) actualizarRespuesta();  // not again for the button that went off
        });
    connect(ui->frecInferior, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &GUIfiltroFrecuencial::actualizarRespuesta);
    connect(ui->frecSuperior, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &GUIfiltroFrecuencial::actualizarRespuesta);
    connect(ui->caidaDecibelios, qOverload<int>(&QSpinBox::valueChanged), this,
            &GUIfiltroFrecuencial::actualizarRespuesta);
    actualizarRespuesta();
}

GUIfiltroFrecuencial::~GUIfiltroFrecuencial() = default;

void GUIfiltroFrecuencial::fijarVentanaPrincipal(Ondelar* ventana) {
    principal = ventana;
    rama.reset();
    if (ventana) {
        try {
            rama = ramaFiltrable(ventana->eegSeleccionado());
        } catch (const std::exception&) {
            // Nothing selected: the reason is shown instead of the plot.
        }
    }
    actualizarRespuesta();
}

int GUIfiltroFrecuencial::codigoTipo() const {
    if (ui->rbAltos->isChecked()) return 0;
    if (ui->rbBajos->isChecked()) return 1;
    if (ui->rbBanda->isChecked()) return 2;
    return 3;
}

void GUIfiltroFrecuencial::actualizarRespuesta() {
    QString motivo;
    if (!rama) {
        motivo = QStringLiteral("No hay ninguna rama seleccionada sobre la que aplicar el filtro.");
    } else {
        const OpcionesFiltro o = opciones();
        try {
            const RespuestaFiltro r = respuestaFiltro(*rama, o);
            vista->mostrar(r);
            GraficoRespuesta::marcar(serieInferior, o.frecInferior);
            GraficoRespuesta::marcar(serieSuperior, o.frecSuperior);
            ui->resumenFiltro->setText(QString::fromStdString(r.resumen));
        } catch (const std::exception& e) {
            motivo = QString::fromUtf8(e.what());
        }
    }
    ui->motivoRechazo->setText(motivo);
    ui->motivoRechazo->setVisible(!motivo.isEmpty());
    vista->setVisible(motivo.isEmpty());
    if (!motivo.isEmpty()) ui->resumenFiltro->clear();
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
    const OpcionesFiltro o = opciones();
    // Keep the window pointer: closing may schedule this dialog's deletion.
    QPointer<Ondelar> ventana = principal;
    close();
    if (ventana) ventana->aplicarFiltro(o);
}

