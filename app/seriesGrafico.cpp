#include "app/seriesGrafico.h"

#include <algorithm>

#include <QPen>
#include <QPointF>
#include <QVector>
#include <QtCharts/QLineSeries>

#include "app/puntosSerie.h"

using QtCharts::QLineSeries;

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

QLineSeries* serieCanal(const QVector<QPointF>& puntos, const QString& nombre) {
    const ColorRGB c = colorAleatorioCanal();
    return serieConPuntos(puntos, nombre, QColor(c.rojo, c.verde, c.azul, 255));
}

QLineSeries* serieEvento(Evento evento, int frecuencia, double maximo, double minimo, const QString& nombre) {
    const std::array<PuntoSerie, 2> p = puntosEvento(evento, frecuencia, maximo, minimo);
    return serieConPuntos({QPointF(p[0].t, p[0].v), QPointF(p[1].t, p[1].v)}, nombre,
                          QColor(canalColor(evento.rojo), canalColor(evento.verde), canalColor(evento.azul), 255));
}
