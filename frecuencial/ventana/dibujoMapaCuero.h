#pragma once
// Drawing of a scalp map: the interpolated values as colours over the head
// seen from above (nose up), the head outline, nose and ears, the electrodes
// with their labels on request, and a colour bar with its unit.

#include <optional>
#include <utility>
#include <vector>

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <armadillo>

#include "frecuencial/mapaCuero.h"

class QPainter;

class dibujoMapaCuero : public QWidget {
    Q_OBJECT

public:
    explicit dibujoMapaCuero(QWidget* parent = nullptr);

    // mapa: the grid of `rejilla` (NaN outside the head); electrodos with
    // their labels; unidad for the colour bar ("µV²"). The colour bar spans
    // the map's own extremes, or `escala` (minimum, maximum) when given, so
    // that several maps read on one scale (values beyond it take its ends).
    void fijar(const arma::mat& mapa, const RejillaMapa& rejilla, const std::vector<PuntoPlano>& electrodos,
               const QStringList& etiquetas, const QString& unidad,
               const std::optional<std::pair<double, double>>& escala = std::nullopt);
    void mostrarElectrodos(bool si);
    void mostrarEtiquetas(bool si);

    // Paints everything into `area` (the widget's own rectangle when shown).
    void pintar(QPainter& p, const QRectF& area) const;
    QImage imagen(const QSize& tamano) const;

    // Where plane point (u, v) lands when the map is painted into `area`.
    QPointF posicion(const PuntoPlano& punto, const QRectF& area) const;
    // The colour of a fraction 0 (minimum) … 1 (maximum) of the colour bar.
    static QColor color(double fraccion);
    double minimo() const { return minimo_; }
    double maximo() const { return maximo_; }

protected:
    void paintEvent(QPaintEvent* evento) override;

private:
    QRectF areaCabeza(const QRectF& area) const;
    // The layers of pintar, back to front; pintarCabeza returns the head's radius in pixels.
    void pintarMapa(QPainter& p, const QRectF& area) const;
    double pintarCabeza(QPainter& p, const QRectF& area) const;
    void pintarElectrodos(QPainter& p, const QRectF& area, double radioCabeza) const;
    void pintarBarra(QPainter& p, const QRectF& area) const;

    QImage colores_;
    RejillaMapa rejilla_;
    std::vector<PuntoPlano> electrodos_;
    QStringList etiquetas_;
    QString unidad_;
    double minimo_ = 0.0, maximo_ = 0.0;
    bool electrodosVisibles_ = true, etiquetasVisibles_ = false;
};
