#pragma once
// The line series of a signal plot: one per channel, one per event marker.
// Each series gets all its points in one call; the numbers come from
// app/puntosSerie.h.

#include <armadillo>

#include <QPointF>
#include <QString>
#include <QVector>

#include "io/EEG.h"

namespace QtCharts {
class QLineSeries;
}

// A channel's points as the chart takes them: (i / frecuencia - desfase,
// fila(i)). Creates no QObject, so the window computes them on a worker
// thread. Throws std::invalid_argument for frecuencia <= 0.
QVector<QPointF> puntosSerieCanal(const arma::rowvec& fila, int frecuencia, double desfase);

// A channel's line over puntos (shared, not copied); pen width 1 in a colour
// drawn from the shared C generator (blue, green, red). The caller owns the
// series until it is added to a chart.
QtCharts::QLineSeries* serieCanal(const QVector<QPointF>& puntos, const QString& nombre);

// An event's vertical marker from (t, minimo) to (t, maximo), t = posicion /
// frecuencia; pen width 1 in the event's colour.
QtCharts::QLineSeries* serieEvento(Evento evento, int frecuencia, double maximo, double minimo,
                                   const QString& nombre);
