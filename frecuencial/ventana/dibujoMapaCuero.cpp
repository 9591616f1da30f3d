#include "frecuencial/ventana/dibujoMapaCuero.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QPainter>
#include <QPainterPath>

namespace {

// A sequential scale from dark blue through green to yellow (viridis-like):
// brightness grows with power, and it reads in grey print too.
constexpr std::array<std::array<int, 3>, 5> escala = {
    {{68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}}};

constexpr double anchoBarra = 0.22;  // fraction of the width kept for the colour bar

}  // namespace

dibujoMapaCuero::dibujoMapaCuero(QWidget* parent) : QWidget(parent) {
    setMinimumSize(260, 220);
}

QColor dibujoMapaCuero::color(double f) {
    f = std::clamp(std::isfinite(f) ? f : 0.0, 0.0, 1.0) * (escala.size() - 1);
    const auto i = std::min<size_t>(static_cast<size_t>(f), escala.size() - 2);
    const double t = f - static_cast<double>(i);
    auto mezcla = [&](int k) { return static_cast<int>(std::lround(escala[i][k] + t * (escala[i + 1][k] - escala[i][k]))); };
    return QColor(mezcla(0), mezcla(1), mezcla(2));
}

void dibujoMapaCuero::fijar(const arma::mat& mapa, const RejillaMapa& rejilla, const std::vector<PuntoPlano>& electrodos,
                            const QStringList& etiquetas, const QString& unidad,
                            const std::optional<std::pair<double, double>>& escala) {
    rejilla_ = rejilla;
    electrodos_ = electrodos;
    etiquetas_ = etiquetas;
    unidad_ = unidad;
    const arma::vec finitos = mapa.elem(arma::find_finite(mapa));
    minimo_ = escala ? escala->first : finitos.is_empty() ? 0.0 : finitos.min();
    maximo_ = escala ? escala->second : finitos.is_empty() ? 0.0 : finitos.max();
    const double rango = maximo_ > minimo_ ? maximo_ - minimo_ : 1.0;
    colores_ = QImage(static_cast<int>(mapa.n_cols), static_cast<int>(mapa.n_rows), QImage::Format_ARGB32);
    for (arma::uword fila = 0; fila < mapa.n_rows; ++fila) {
        auto* linea = reinterpret_cast<QRgb*>(colores_.scanLine(static_cast<int>(fila)));
        for (arma::uword col = 0; col < mapa.n_cols; ++col) {
            const double v = mapa(fila, col);
            linea[col] = std::isfinite(v) ? color((v - minimo_) / rango).rgb() : qRgba(0, 0, 0, 0);
        }
    }
    update();
}

void dibujoMapaCuero::mostrarElectrodos(bool si) {
    electrodosVisibles_ = si;
    update();
}

void dibujoMapaCuero::mostrarEtiquetas(bool si) {
    etiquetasVisibles_ = si;
    update();
}

QRectF dibujoMapaCuero::areaCabeza(const QRectF& area) const {
    const double ancho = area.width() * (1.0 - anchoBarra);
    const double lado = std::min(ancho, area.height());
    return QRectF(area.left() + (ancho - lado) / 2.0, area.top() + (area.height() - lado) / 2.0, lado, lado);
}

QPointF dibujoMapaCuero::posicion(const PuntoPlano& punto, const QRectF& area) const {
    const QRectF c = areaCabeza(area);
    const double radio = rejilla_.radio > 0.0 ? rejilla_.radio : 1.0;
    // The square holds the grid plus a margin for the nose and ears.
    const double escalaPx = c.width() / 2.0 / (radio * 1.12);
    return {c.center().x() + punto.u * escalaPx, c.center().y() - punto.v * escalaPx};
}

void dibujoMapaCuero::pintar(QPainter& p, const QRectF& area) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillRect(area, Qt::white);
    if (colores_.isNull()) {
        p.restore();
        return;
    }
    pintarMapa(p, area);
    const double r1 = pintarCabeza(p, area);
    pintarElectrodos(p, area, r1);
    pintarBarra(p, area);
    p.restore();
}

void dibujoMapaCuero::pintarMapa(QPainter& p, const QRectF& area) const {
    // Grid point k sits at the centre of image pixel k: the image reaches half
    // a grid step beyond the outermost points.
    const double radio = rejilla_.radio;
    const double medioPaso = rejilla_.lado > 1 ? radio / static_cast<double>(rejilla_.lado - 1) : 0.0;
    const QPointF esquina = posicion({-radio - medioPaso, radio + medioPaso}, area);
    const QPointF opuesta = posicion({radio + medioPaso, -radio - medioPaso}, area);
    // Clipped to the grid's circle, so the map ends in a smooth edge rather
    // than in the steps of its pixels.
    {
        const QPointF centroRejilla = posicion({0.0, 0.0}, area);
        const double radioPx = posicion({radio, 0.0}, area).x() - centroRejilla.x();
        QPainterPath borde;
        borde.addEllipse(centroRejilla, radioPx, radioPx);
        p.save();
        p.setClipPath(borde);
        p.drawImage(QRectF(esquina, opuesta), colores_);
        p.restore();
    }
}

double dibujoMapaCuero::pintarCabeza(QPainter& p, const QRectF& area) const {
    // Head outline (the ear-nose circle), nose and ears.
    const QPointF centro = posicion({0.0, 0.0}, area);
    const double r1 = posicion({1.0, 0.0}, area).x() - centro.x();
    p.setPen(QPen(Qt::black, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centro, r1, r1);
    QPainterPath nariz;
    nariz.moveTo(posicion({-0.09, 0.995}, area));
    nariz.lineTo(posicion({0.0, 1.1}, area));
    nariz.lineTo(posicion({0.09, 0.995}, area));
    p.drawPath(nariz);
    for (double lado : {-1.0, 1.0}) {
        const QPointF a = posicion({lado * 1.0, 0.0}, area);
        p.drawEllipse(QPointF(a.x() + lado * 0.04 * r1, a.y()), 0.05 * r1, 0.16 * r1);
    }
    return r1;
}

void dibujoMapaCuero::pintarElectrodos(QPainter& p, const QRectF& area, double r1) const {
    if (electrodosVisibles_ || etiquetasVisibles_) {
        QFont letra = p.font();
        letra.setPointSizeF(std::max(6.0, r1 / 22.0));
        p.setFont(letra);
        for (size_t i = 0; i < electrodos_.size(); ++i) {
            const QPointF e = posicion(electrodos_[i], area);
            if (electrodosVisibles_) {
                p.setPen(QPen(Qt::black, 1.0));
                p.setBrush(Qt::black);
                p.drawEllipse(e, 2.5, 2.5);
            }
            if (etiquetasVisibles_ && i < static_cast<size_t>(etiquetas_.size())) {
                p.setPen(Qt::black);
                p.drawText(QRectF(e.x() - 40, e.y() + 3, 80, 16), Qt::AlignHCenter | Qt::AlignTop, etiquetas_[int(i)]);
            }
        }
    }
}

void dibujoMapaCuero::pintarBarra(QPainter& p, const QRectF& area) const {
    // Colour bar with its extremes and unit.
    const QRectF c = areaCabeza(area);
    const double x0 = area.left() + area.width() * (1.0 - anchoBarra) + 6.0;
    const QRectF barra(x0, c.top() + 0.15 * c.height(), std::max(8.0, area.width() * anchoBarra * 0.25), 0.7 * c.height());
    QLinearGradient g(barra.bottomLeft(), barra.topLeft());
    for (int k = 0; k <= 10; ++k) g.setColorAt(k / 10.0, color(k / 10.0));
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(g);
    p.drawRect(barra);
    QFont letra = p.font();
    letra.setPointSizeF(8.0);
    p.setFont(letra);
    const double texto = area.right() - barra.right() - 2.0;
    p.drawText(QRectF(barra.right() + 2.0, barra.top() - 8, texto, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QString::number(maximo_, 'g', 3));
    p.drawText(QRectF(barra.right() + 2.0, barra.bottom() - 8, texto, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QString::number(minimo_, 'g', 3));
    p.drawText(QRectF(barra.left() - 10, barra.top() - 30, texto + 20, 16), Qt::AlignLeft | Qt::AlignVCenter, unidad_);
}

QImage dibujoMapaCuero::imagen(const QSize& tamano) const {
    QImage im(tamano, QImage::Format_ARGB32);
    im.fill(Qt::white);
    QPainter p(&im);
    pintar(p, QRectF(QPointF(0, 0), QSizeF(tamano)));
    return im;
}

void dibujoMapaCuero::paintEvent(QPaintEvent*) {
    QPainter p(this);
    pintar(p, QRectF(rect()));
}
