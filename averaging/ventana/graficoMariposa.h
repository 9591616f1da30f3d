#pragma once
// The butterfly plot of an ERP: every channel against time in ms on one pair
// of axes, the event marked at 0, and the global field power in a panel below
// on the same time axis. The latencies of the scalp maps are marked as
// vertical lines; a click on either panel picks a latency.

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>
#include <QWidget>

#include <armadillo>

class QPainter;

class graficoMariposa : public QWidget {
    Q_OBJECT

public:
    explicit graficoMariposa(QWidget* parent = nullptr);

    // tiemposMs: one per column of `bloque` (channels x columns, in `unidad`);
    // gfp: one per column; etiquetas: one per channel (legend up to 16).
    void fijar(const arma::vec& tiemposMs, const arma::mat& bloque, const arma::rowvec& gfp,
               const QStringList& etiquetas, const QString& unidad);
    void fijarLatencias(const std::vector<double>& ms);

    // Paints everything into `area` (the widget's rectangle when shown).
    void pintar(QPainter& p, const QRectF& area) const;
    // The time in ms under `punto` of the widget as it stands; nullopt off
    // both panels or before anything is set.
    std::optional<double> tiempoEn(const QPointF& punto) const;
    // The horizontal pixel of `ms` in the widget as it stands.
    double xDe(double ms) const;
    // A point of the butterfly panel at that time, for a click.
    QPointF puntoMariposa(double ms) const;

signals:
    void latenciaElegida(double ms);

protected:
    void paintEvent(QPaintEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;

private:
    struct Paneles {
        QRectF mariposa, gfp;
    };
    Paneles paneles(const QRectF& area) const;
    double abscisa(double ms, const QRectF& panel) const;
    void pintarCurvas(QPainter& p, const QRectF& panel) const;
    void pintarGFP(QPainter& p, const QRectF& panel) const;
    void pintarEjeTiempo(QPainter& p, const Paneles& pan) const;
    void pintarEjeVertical(QPainter& p, const QRectF& panel, double minimo, double maximo, const QString& titulo) const;
    void pintarMarcas(QPainter& p, const Paneles& pan) const;
    void pintarLeyenda(QPainter& p, const QRectF& panel) const;

    arma::vec tiempos_;
    arma::mat bloque_;
    arma::rowvec gfp_;
    QStringList etiquetas_;
    QString unidad_;
    std::vector<double> latencias_;
    double minimo_ = -1.0, maximo_ = 1.0, maximoGfp_ = 1.0;
};
