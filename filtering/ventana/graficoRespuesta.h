#pragma once
// The magnitude response plot of the filtering dialogs: dB against Hz on a
// logarithmic axis over four decades below Nyquist, with dashed vertical
// marks (a filter's limits, a notch's frequencies).

#include <QtCharts/QChartView>

#include "filtering/respuestaFiltro.h"

namespace QtCharts {
class QLineSeries;
class QLogValueAxis;
}  // namespace QtCharts

class GraficoRespuesta : public QtCharts::QChartView {
    Q_OBJECT

public:
    // Object name "graficoRespuesta"; its curve is the series "respuesta".
    explicit GraficoRespuesta(QWidget* parent = nullptr);

    void mostrar(const RespuestaFiltro& respuesta);
    // A new dashed mark named `nombre`, empty until marcar.
    QtCharts::QLineSeries* agregarMarca(const QString& nombre, const QColor& color);
    // Moves a mark to `hz`, across the whole dB span.
    static void marcar(QtCharts::QLineSeries* marca, double hz);

private:
    QtCharts::QLineSeries* serieRespuesta_;
    QtCharts::QLogValueAxis* ejeHz_;
    QtCharts::QAbstractAxis* ejeDb_;
};
