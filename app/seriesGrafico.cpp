#include "app/seriesGrafico.h"

#include <algorithm>

#include <QElapsedTimer>
#include <QPen>
#include <QPointF>
#include <QTimer>
#include <QVector>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

using QtCharts::QChart;
using QtCharts::QChartView;
using QtCharts::QLineSeries;
using QtCharts::QValueAxis;

namespace {
QLineSeries* serieConPuntos(const QVector<QPointF>& puntos, const QString& nombre, const QColor& color) {
    auto* serie = new QLineSeries();
    serie->setName(nombre);
    serie->replace(puntos);
    QPen pluma(color);
    pluma.setWidth(1);
    serie->setPen(pluma);
    return serie;
}
// Event colours come from a file's table; keep a stray value inside QColor's range.
int canalColor(int32_t v) { return std::clamp<int32_t>(v, 0, 255); }
}  // namespace

QVector<QPointF> puntosSerieCanal(const arma::rowvec& fila, int frecuencia, double desfase) {
    const std::vector<PuntoSerie> puntos = puntosCanal(fila, frecuencia, desfase);
    QVector<QPointF> r;
    r.reserve(static_cast<int>(puntos.size()));
    for (const PuntoSerie& p : puntos) r.append(QPointF(p.t, p.v));
    return r;
}

QLineSeries* serieCanal(const QString& nombre) {
    const ColorRGB c = colorAleatorioCanal();
    return serieConPuntos({}, nombre, QColor(c.rojo, c.verde, c.azul, 255));
}

QLineSeries* serieEvento(Evento evento, int frecuencia, double maximo, double minimo, const QString& nombre) {
    const std::array<PuntoSerie, 2> p = puntosEvento(evento, frecuencia, maximo, minimo);
    return serieConPuntos({QPointF(p[0].t, p[0].v), QPointF(p[1].t, p[1].v)}, nombre,
                          QColor(canalColor(evento.rojo), canalColor(evento.verde), canalColor(evento.azul), 255));
}

TramosGrafico::TramosGrafico(QObject* pestana, QChartView* vista, std::vector<QLineSeries*> series,
                             std::vector<QVector<QPointF>> puntos, int frecuencia, double desfase)
    : QObject(pestana),
      vista_(vista),
      series_(std::move(series)),
      puntos_(std::move(puntos)),
      frecuencia_(frecuencia),
      desfase_(desfase) {
    // Scrolling and zooming move the time axis, and the plot's own layout
    // (first show, resizes) its width: each moves what is on screen.
    connect(vista_->chart(), &QChart::plotAreaChanged, this, &TramosGrafico::actualizar);
    if (auto* eje = qobject_cast<QValueAxis*>(vista_->chart()->axes(Qt::Horizontal).value(0)))
        connect(eje, &QValueAxis::rangeChanged, this, &TramosGrafico::actualizar);
    for (QLineSeries* serie : series_) serie->setParent(this);
    // Painted once every series is in: a paint of the view between two
    // series would draw all those already in (some 50 ms under the
    // sanitizers with 64 channels), once per series.
    vista_->setUpdatesEnabled(false);
    actualizar();
    pedirRelleno();  // even if the plot gives no stretch yet: the series go on the chart
    if (completo()) vista_->setUpdatesEnabled(true);
}

GeometriaHorizontal TramosGrafico::geometria() const {
    GeometriaHorizontal g;
    QChart* grafico = vista_->chart();
    const auto* eje = qobject_cast<QValueAxis*>(grafico->axes(Qt::Horizontal).value(0));
    if (!eje) return g;
    g.tMin = eje->min();
    g.tMax = eje->max();
    // Before its first layout the chart has no plot area yet: the whole view
    // is near enough, the margin covers the difference until the layout comes.
    QRectF area = grafico->plotArea();
    if (area.isEmpty()) area = QRectF(grafico->mapFromScene(vista_->mapToScene(vista_->rect())).boundingRect());
    const QPointF izquierda = vista_->viewportTransform().map(grafico->mapToScene(area.topLeft()));
    g.xEje = izquierda.x();
    g.anchoEje = area.width();
    // The axis shows exactly what is on screen.
    g.xVisible = g.xEje;
    g.anchoVisible = g.anchoEje;
    return g;
}

void TramosGrafico::actualizar() {
    if (puntos_.empty()) return;
    const TramoMuestras nuevo =
        tramoParaMostrar(objetivo_, puntos_.front().size(), frecuencia_, desfase_, geometria(), margen);
    if (nuevo.vacio() || (nuevo.desde == objetivo_.desde && nuevo.hasta == objetivo_.hasta)) return;
    objetivo_ = nuevo;
    pendiente_ = 0;
    pedirRelleno();
}

void TramosGrafico::anadirMarcas(std::vector<QLineSeries*> marcas, std::vector<bool> enLeyenda) {
    for (QLineSeries* marca : marcas) marca->setParent(this);
    marcas_.insert(marcas_.end(), marcas.begin(), marcas.end());
    enLeyenda.resize(marcas.size(), true);
    marcasEnLeyenda_.insert(marcasEnLeyenda_.end(), enLeyenda.begin(), enLeyenda.end());
    pedirRelleno();
}

void TramosGrafico::pedirRelleno() {
    if (completo() && !vista_->updatesEnabled()) vista_->setUpdatesEnabled(true);
    if (rellenoPedido_ || completo()) return;
    rellenoPedido_ = true;
    QTimer::singleShot(0, this, &TramosGrafico::rellenar);
}

void TramosGrafico::rellenar() {
    rellenoPedido_ = false;
    QElapsedTimer reloj;
    reloj.start();
    const std::size_t n = std::min(series_.size(), puntos_.size());
    QChart* grafico = vista_->chart();
    const QList<QtCharts::QAbstractAxis*> ejes = grafico->axes();
    while (pendiente_ < n && reloj.elapsed() < msPorRelleno) {
        QLineSeries* serie = series_[pendiente_];
        serie->replace(
            puntos_[pendiente_].mid(static_cast<int>(objetivo_.desde), static_cast<int>(objetivo_.longitud())));
        if (pendiente_ == enGrafico_) {  // series join in order, each the first time it is filled
            grafico->addSeries(serie);
            for (QtCharts::QAbstractAxis* eje : ejes) serie->attachAxis(eje);
            ++enGrafico_;
        }
        ++pendiente_;
    }
    while (pendiente_ >= n && siguienteMarca_ < marcas_.size() && reloj.elapsed() < msPorRelleno) {
        QLineSeries* marca = marcas_[siguienteMarca_];
        grafico->addSeries(marca);
        for (QtCharts::QAbstractAxis* eje : ejes) marca->attachAxis(eje);
        if (!marcasEnLeyenda_[siguienteMarca_])
            for (QtCharts::QLegendMarker* entrada : grafico->legend()->markers(marca)) entrada->setVisible(false);
        ++siguienteMarca_;
    }
    pedirRelleno();
}
