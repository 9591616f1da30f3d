#pragma once
// A plot tab of "Elegir canales": the chart fills the tab and shows a window
// of the branch's time, one pixel per sample to begin with; the scroll bar
// under it moves that window along the branch. The axes belong to the chart,
// so they stay in sight wherever the window is. A rubber band over the chart
// zooms into a stretch; Escape, Home or a right click go back to one pixel
// per sample (within a few pixels of the plot's width) around the same centre, with the amplitude range it was drawn
// with. The time axis is in seconds with 1-2-5 ticks (representacion/puntosSerie.h).

#include <memory>

#include <QWidget>
#include <QtCharts/QChartView>

#include "representacion/puntosSerie.h"

class QScrollBar;

// The chart view of a plot tab: hands zoom resets and arrow keys to its tab
// instead of Qt's own right-click zoom out.
class VistaCanales : public QtCharts::QChartView {
    Q_OBJECT
public:
    explicit VistaCanales(QtCharts::QChart* grafico, QWidget* parent = nullptr);

signals:
    void restablecerPedido();
    void desplazarPedido(int paginas);  // -1 left, +1 right

protected:
    void keyPressEvent(QKeyEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;
};

class GraficoCanales : public QWidget {
    Q_OBJECT
public:
    // The chart must hold one horizontal and one vertical QValueAxis at
    // `rango`; the tab takes it over. frecuencia > 0.
    GraficoCanales(std::unique_ptr<QtCharts::QChart> grafico, const RangoEjes& rango, int frecuencia,
                   QWidget* parent = nullptr);

    VistaCanales* vista() const { return vista_; }
    QScrollBar* barra() const { return barra_; }
    // The window shown, in seconds.
    VentanaTiempo ventana() const;
    // A rubber band (or anything but the scroll bar) changed the time scale.
    bool ampliado() const { return ampliado_; }
    // Back to one pixel per sample around the centre shown, at the drawn amplitude range.
    void restablecerZoom();

private:
    void mostrar(VentanaTiempo v);   // the axis shows v, fitted to the branch
    void ajustarAlArea();            // follows a new plot width while not zoomed
    void seguirEje();                // scroll bar and ticks follow the time axis
    double anchoUnPixelPorMuestra() const;

    VistaCanales* vista_;
    QScrollBar* barra_;
    RangoEjes rango_;
    int frecuencia_;
    bool ampliado_ = false;
    bool cambiando_ = false;   // the axis is being set from here
    bool ajustando_ = false;   // following a new plot width
    bool siguiendo_ = false;   // scroll bar and ticks being set
    double pixelesVentana_ = 0.0;  // the plot width the window was last set for
    static constexpr double holguraPixeles = 24.0;  // about half a time label
};
