#include "app/graficoCanales.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>

using QtCharts::QChart;
using QtCharts::QValueAxis;

namespace {
QValueAxis* ejeDe(QChart* grafico, Qt::Orientation orientacion) {
    return qobject_cast<QValueAxis*>(grafico->axes(orientacion).value(0));
}
}  // namespace

VistaCanales::VistaCanales(QChart* grafico, QWidget* parent) : QChartView(grafico, parent) {
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::HorizontalRubberBand);
    setFocusPolicy(Qt::StrongFocus);
}

void VistaCanales::keyPressEvent(QKeyEvent* evento) {
    switch (evento->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Home: emit restablecerPedido(); return;
        case Qt::Key_Left: emit desplazarPedido(-1); return;
        case Qt::Key_Right: emit desplazarPedido(1); return;
        default: QChartView::keyPressEvent(evento);
    }
}

void VistaCanales::mouseReleaseEvent(QMouseEvent* evento) {
    // Qt's rubber band zooms out by half on a right click, which never
    // finds the way back; here it is the way back.
    if (evento->button() == Qt::RightButton) {
        evento->accept();
        emit restablecerPedido();
        return;
    }
    QChartView::mouseReleaseEvent(evento);
}

GraficoCanales::GraficoCanales(std::unique_ptr<QChart> grafico, const RangoEjes& rango, int frecuencia, QWidget* parent)
    : QWidget(parent), rango_(rango), frecuencia_(frecuencia) {
    setObjectName(QStringLiteral("graficoCanales"));
    QChart* g = grafico.get();
    vista_ = new VistaCanales(grafico.release(), this);
    vista_->setObjectName(QStringLiteral("vistaCanales"));
    barra_ = new QScrollBar(Qt::Horizontal, this);
    barra_->setObjectName(QStringLiteral("barraTiempo"));
    auto* columna = new QVBoxLayout(this);
    columna->setContentsMargins(0, 0, 0, 0);
    columna->addWidget(vista_, 1);
    columna->addWidget(barra_);
    setFocusProxy(vista_);

    QValueAxis* ejeX = ejeDe(g, Qt::Horizontal);
    ejeX->setTitleText(QStringLiteral("Tiempo (s)"));
    ejeX->setTickAnchor(0.0);
    ejeX->setMinorTickCount(0);
    connect(ejeX, &QValueAxis::rangeChanged, this, [this] {
        if (!cambiando_) ampliado_ = true;  // a rubber band, not the scroll bar
        seguirEje();
    });
    connect(g, &QChart::plotAreaChanged, this, &GraficoCanales::ajustarAlArea);
    connect(barra_, &QScrollBar::valueChanged, this, [this](int valor) {
        if (cambiando_) return;
        const VentanaTiempo v = ventana();
        mostrar({rango_.tMin + static_cast<double>(valor) / frecuencia_, v.ancho});
    });
    connect(vista_, &VistaCanales::restablecerPedido, this, &GraficoCanales::restablecerZoom);
    connect(vista_, &VistaCanales::desplazarPedido, this, [this](int paginas) {
        barra_->triggerAction(paginas < 0 ? QScrollBar::SliderPageStepSub : QScrollBar::SliderPageStepAdd);
    });
    seguirEje();
}

VentanaTiempo GraficoCanales::ventana() const {
    const QValueAxis* eje = ejeDe(vista_->chart(), Qt::Horizontal);
    return {eje->min(), eje->max() - eje->min()};
}

double GraficoCanales::anchoUnPixelPorMuestra() const {
    // Whole pixels, so that the window and the scroll bar count whole samples.
    const double pixeles = std::floor(vista_->chart()->plotArea().width());
    return pixeles > 0.0 ? std::min(pixeles / frecuencia_, rango_.tMax - rango_.tMin) : rango_.tMax - rango_.tMin;
}

void GraficoCanales::mostrar(VentanaTiempo v) {
    v = encajarVentana(v, rango_.tMin, rango_.tMax);
    cambiando_ = true;
    ejeDe(vista_->chart(), Qt::Horizontal)->setRange(v.inicio, v.inicio + v.ancho);
    cambiando_ = false;
    seguirEje();
}

void GraficoCanales::restablecerZoom() {
    const VentanaTiempo v = ventana();
    const double ancho = anchoUnPixelPorMuestra();
    pixelesVentana_ = std::floor(vista_->chart()->plotArea().width());
    ampliado_ = false;
    cambiando_ = true;
    ejeDe(vista_->chart(), Qt::Vertical)->setRange(rango_.vMin, rango_.vMax);
    cambiando_ = false;
    mostrar({v.inicio + (v.ancho - ancho) / 2.0, ancho});
}

void GraficoCanales::ajustarAlArea() {
    // The chart lays itself out again, at once, whenever the range changes,
    // and the time labels can take a few pixels from the plot's width: the
    // window follows a new width only when it moved more than a few pixels
    // from the one it was set for, and never from inside its own change.
    if (ajustando_) return;
    const double pixeles = std::floor(vista_->chart()->plotArea().width());
    if (!ampliado_ && pixeles > 0.0 && std::abs(pixeles - pixelesVentana_) > holguraPixeles) {
        pixelesVentana_ = pixeles;
        ajustando_ = true;
        mostrar({ventana().inicio, anchoUnPixelPorMuestra()});
        ajustando_ = false;
    } else {
        seguirEje();
    }
}

void GraficoCanales::seguirEje() {
    if (siguiendo_) return;  // the tick changes below lay the chart out again
    siguiendo_ = true;
    const VentanaTiempo v = ventana();
    const double fs = frecuencia_;
    const auto pagina = static_cast<int>(std::max(1.0, std::round(v.ancho * fs)));
    const auto ultimo = static_cast<int>(std::max(0.0, std::round((rango_.tMax - rango_.tMin - v.ancho) * fs)));
    const bool previo = cambiando_;
    cambiando_ = true;
    barra_->setRange(0, ultimo);
    barra_->setPageStep(pagina);
    barra_->setSingleStep(std::max(1, pagina / 10));
    barra_->setValue(static_cast<int>(std::round((v.inicio - rango_.tMin) * fs)));
    cambiando_ = previo;

    QValueAxis* eje = ejeDe(vista_->chart(), Qt::Horizontal);
    const double pixeles = vista_->chart()->plotArea().width();
    if (pixeles <= 0.0) {
        // Not laid out yet: no pixels to space ticks by.
        if (eje->tickType() != QValueAxis::TicksFixed) eje->setTickType(QValueAxis::TicksFixed);
    } else {
        const PasoEjeTiempo paso = pasoEjeTiempo(v.ancho, pixeles);
        const QString formato = QStringLiteral("%.") + QString::number(paso.decimales) + QStringLiteral("f");
        if (eje->tickInterval() != paso.paso) eje->setTickInterval(paso.paso);
        if (eje->labelFormat() != formato) eje->setLabelFormat(formato);
        if (eje->tickType() != QValueAxis::TicksDynamic) eje->setTickType(QValueAxis::TicksDynamic);
    }
    siguiendo_ = false;
}
