#pragma once
// The line series of a signal plot: one per channel, one per event marker,
// and what keeps the channel series down to the stretch on screen. The
// numbers come from representacion/puntosSerie.h.

#include <algorithm>
#include <vector>

#include <armadillo>

#include <QObject>
#include <QPointF>
#include <QString>
#include <QVector>

#include "representacion/puntosSerie.h"
#include "io/EEG.h"

namespace QtCharts {
class QChartView;
class QLineSeries;
}

// A channel's points as the chart takes them: (i / frecuencia - desfase,
// fila(i)). Creates no QObject, so the window computes them on a worker
// thread. Throws std::invalid_argument for frecuencia <= 0.
QVector<QPointF> puntosSerieCanal(const arma::rowvec& fila, int frecuencia, double desfase);

// A channel's line, with no points yet (TramosGrafico fills it); pen width 1
// in a colour drawn from the shared C generator (blue, green, red). The
// caller owns the series until it is added to a chart.
QtCharts::QLineSeries* serieCanal(const QString& nombre);

// An event's vertical marker from (t, minimo) to (t, maximo), t = posicion /
// frecuencia; pen width 1 in the event's colour.
QtCharts::QLineSeries* serieEvento(Evento evento, int frecuencia, double maximo, double minimo,
                                   const QString& nombre);

// Keeps the channel series of a plot tab holding only the points of the
// stretch on screen (the time axis's range) plus `margen` screen widths each side, cut
// from the full points kept here. Qt Charts lays out and paints, on the GUI
// thread, every point a series holds (about a microsecond each): a whole
// branch at one pixel per sample took seconds, up to a minute near the points
// cap. When a scroll, a resize or a zoom comes within half a margin of the
// edge of the stretch held, the series are refilled a few at a time from the
// event loop, so that the window never stalls for all of them at once. The
// same way it puts the series on the chart in the first place: the channels,
// then the event markers (a chart takes about half a millisecond per series),
// the view painting only once they are all in. A child of the tab, so it
// goes with it.
class TramosGrafico : public QObject {
    Q_OBJECT
public:
    static constexpr double margen = 1.0;
    static constexpr int msPorRelleno = 8;  // series refilled per turn of the event loop, in time

    // puntos[i] are the points of series[i] (puntosSerieCanal of one channel
    // each, all of the same length). The series, not on the chart yet and
    // owned here until they are, are filled and added on the chart's axes
    // from the event loop, starting once the caller returns to it.
    TramosGrafico(QObject* pestana, QtCharts::QChartView* vista, std::vector<QtCharts::QLineSeries*> series,
                  std::vector<QVector<QPointF>> puntos, int frecuencia, double desfase);

    // The stretch the series hold, or are being refilled with.
    TramoMuestras tramo() const { return objetivo_; }
    // Series to add to the chart after the channels, in order, on its axes;
    // those with enLeyenda false get no legend entry. Owned here until added.
    void anadirMarcas(std::vector<QtCharts::QLineSeries*> marcas, std::vector<bool> enLeyenda);
    // Every series holds tramo() and every marker is on the chart.
    bool completo() const {
        return pendiente_ >= std::min(series_.size(), puntos_.size()) && siguienteMarca_ >= marcas_.size();
    }
    // Starts refilling the series if the plot has moved near the edge of what they hold.
    void actualizar();

private:
    GeometriaHorizontal geometria() const;
    void pedirRelleno();
    void rellenar();  // a few series, for up to msPorRelleno ms

    QtCharts::QChartView* vista_;
    std::vector<QtCharts::QLineSeries*> series_;
    std::vector<QVector<QPointF>> puntos_;
    int frecuencia_;
    double desfase_;
    TramoMuestras objetivo_;
    std::size_t pendiente_ = 0;  // series_[pendiente_..] do not hold objetivo_ yet
    std::size_t enGrafico_ = 0;  // series_[..enGrafico_] are on the chart
    std::vector<QtCharts::QLineSeries*> marcas_;
    std::vector<bool> marcasEnLeyenda_;
    std::size_t siguienteMarca_ = 0;  // marcas_[siguienteMarca_..] are not on the chart yet
    bool rellenoPedido_ = false;
};
