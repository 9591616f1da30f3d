#include "filtering/ventana/GUIfiltroFrecuencial.h"


#include <exception>

#include <QVector>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "filtering/respuestaFiltro.h"
#include "ui_GUIfiltroFrecuencial.h"

using namespace QtCharts;

namespace {

// Vertical span of the plot: the Hamming window's stop band lies near -53 dB,
// and deeper nulls say nothing more to the user.
constexpr double dbMinimo = -120.0;
constexpr double dbMaximo = 10.0;

QLineSeries* serieLimite(const QString& nombre, const QColor& color) {
    auto* s = new QLineSeries();
    s->setName(nombre);
    QPen pluma(color);
    pluma.setStyle(Qt::DashLine);
    s->setPen(pluma);
    return s;
}

void marcarLimite(QLineSeries* s, double hz) { s->replace(QVector<QPointF>{{hz, dbMinimo}, {hz, dbMaximo}}); }

}  // namespace

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

    auto* grafico = new QChart();
    serieRespuesta = new QLineSeries();
    serieRespuesta->setName(QStringLiteral("respuesta"));
    serieInferior = serieLimite(QStringLiteral("límite inferior"), Qt::darkGreen);
    serieSuperior = serieLimite(QStringLiteral("límite superior"), Qt::darkRed);
    // Logarithmic: a high-pass at 0.5 Hz and a low-pass at 40 Hz read alike.
    ejeHz = new QLogValueAxis();
    ejeHz->setBase(10.0);
    ejeHz->setLabelFormat(QStringLiteral("%g"));
    ejeHz->setMinorTickCount(8);
    ejeHz->setTitleText(QStringLiteral("Hz (escala logarítmica)"));
    auto* ejeDb = new QValueAxis();
    ejeDb->setTitleText(QStringLiteral("dB"));
    ejeDb->setRange(dbMinimo, dbMaximo);
    grafico->addAxis(ejeHz, Qt::AlignBottom);
    grafico->addAxis(ejeDb, Qt::AlignLeft);
    for (QLineSeries* s : {serieRespuesta, serieInferior, serieSuperior}) {
        grafico->addSeries(s);
        s->attachAxis(ejeHz);
        s->attachAxis(ejeDb);
    }
    vista = new QChartView(grafico);
    vista->setObjectName(QStringLiteral("graficoRespuesta"));
    vista->setRenderHint(QPainter::Antialiasing);
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
            QVector<QPointF> puntos(static_cast<int>(r.frecuenciasHz.size()));
            for (int i = 0; i < puntos.size(); ++i) puntos[i] = QPointF(r.frecuenciasHz[i], r.magnitudDb[i]);
            serieRespuesta->replace(puntos);
            marcarLimite(serieInferior, o.frecInferior);
            marcarLimite(serieSuperior, o.frecSuperior);
            ejeHz->setRange(r.frecuenciasHz.front(), r.frecuenciasHz.back());
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

