#include "app/seriesGrafico.h"

#include <algorithm>

#include <QPen>
#include <QPointF>
#include <QVector>
#include <QtCharts/QLineSeries>

#include "app/puntosSerie.h"

using QtCharts::QLineSeries;

namespace {
QLineSeries* serieConPuntos(const PuntoSerie* puntos, std::size_t n, const QString& nombre, const QColor& color) {
    QVector<QPointF> qpuntos;
    qpuntos.reserve(static_cast<int>(n));
    for (std::size_t i = 0; i < n; ++i) qpuntos.append(QPointF(puntos[i].t, puntos[i].v));
    auto* serie = new QLineSeries();
    serie->setName(nombre);
    serie->replace(qpuntos);
    QPen pluma(color);
    pluma.setWidth(1);
    serie->setPen(pluma);
    return serie;
}
// Event colours come from a file's table; keep a stray value inside QColor's range.
int canalColor(int32_t v) { return std::clamp<int32_t>(v, 0, 255); }
}  // namespace

QLineSeries* serieCanal(const arma::rowvec& fila, int frecuencia, double desfase, const QString& nombre) {
    const std::vector<PuntoSerie> puntos = puntosCanal(fila, frecuencia, desfase);
    const ColorRGB c = colorAleatorioCanal();
    return serieConPuntos(puntos.data(), puntos.size(), nombre, QColor(c.rojo, c.verde, c.azul, 255));
}

QLineSeries* serieEvento(Evento evento, int frecuencia, double maximo, double minimo, const QString& nombre) {
    const std::array<PuntoSerie, 2> puntos = puntosEvento(evento, frecuencia, maximo, minimo);
    return serieConPuntos(puntos.data(), puntos.size(), nombre,
                          QColor(canalColor(evento.rojo), canalColor(evento.verde), canalColor(evento.azul), 255));
}
