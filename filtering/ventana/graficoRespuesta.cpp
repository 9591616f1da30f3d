#include "filtering/ventana/graficoRespuesta.h"

#include <QVector>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>

using namespace QtCharts;

namespace {

// Vertical span of the plot: the Hamming window's stop band lies near -53 dB,
// and deeper nulls say nothing more to the user.
constexpr double dbMinimo = -120.0;
constexpr double dbMaximo = 10.0;

}  // namespace

GraficoRespuesta::GraficoRespuesta(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("graficoRespuesta"));
    auto* grafico = new QChart();
    serieRespuesta_ = new QLineSeries();
    serieRespuesta_->setName(QStringLiteral("respuesta"));
    // Logarithmic: a high-pass at 0.5 Hz and a low-pass at 40 Hz read alike.
    ejeHz_ = new QLogValueAxis();
    ejeHz_->setBase(10.0);
    ejeHz_->setLabelFormat(QStringLiteral("%g"));
    ejeHz_->setMinorTickCount(8);
    ejeHz_->setTitleText(QStringLiteral("Hz (escala logarítmica)"));
    auto* ejeDb = new QValueAxis();
    ejeDb->setTitleText(QStringLiteral("dB"));
    ejeDb->setRange(dbMinimo, dbMaximo);
    ejeDb_ = ejeDb;
    grafico->addAxis(ejeHz_, Qt::AlignBottom);
    grafico->addAxis(ejeDb_, Qt::AlignLeft);
    grafico->addSeries(serieRespuesta_);
    serieRespuesta_->attachAxis(ejeHz_);
    serieRespuesta_->attachAxis(ejeDb_);
    setChart(grafico);
    setRenderHint(QPainter::Antialiasing);
}

void GraficoRespuesta::mostrar(const RespuestaFiltro& r) {
    QVector<QPointF> puntos(static_cast<int>(r.frecuenciasHz.size()));
    for (int i = 0; i < puntos.size(); ++i) puntos[i] = QPointF(r.frecuenciasHz[i], r.magnitudDb[i]);
    serieRespuesta_->replace(puntos);
    ejeHz_->setRange(r.frecuenciasHz.front(), r.frecuenciasHz.back());
}

QLineSeries* GraficoRespuesta::agregarMarca(const QString& nombre, const QColor& color) {
    auto* s = new QLineSeries();
    s->setName(nombre);
    QPen pluma(color);
    pluma.setStyle(Qt::DashLine);
    s->setPen(pluma);
    chart()->addSeries(s);
    s->attachAxis(ejeHz_);
    s->attachAxis(ejeDb_);
    return s;
}

void GraficoRespuesta::marcar(QLineSeries* s, double hz) { s->replace(QVector<QPointF>{{hz, dbMinimo}, {hz, dbMaximo}}); }
