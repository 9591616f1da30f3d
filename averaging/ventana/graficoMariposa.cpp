#include "averaging/ventana/graficoMariposa.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "representacion/puntosSerie.h"

namespace {

// A qualitative palette whose neighbours differ in hue and brightness, so
// that eight or ten overlaid channels stay apart; beyond ten it repeats.
constexpr std::array<std::array<int, 3>, 10> paleta = {{{31, 119, 180},
                                                       {255, 127, 14},
                                                       {44, 160, 44},
                                                       {214, 39, 40},
                                                       {148, 103, 189},
                                                       {140, 86, 75},
                                                       {227, 119, 194},
                                                       {127, 127, 127},
                                                       {188, 189, 34},
                                                       {23, 190, 207}}};

QColor colorCanal(arma::uword c) {
    const auto& k = paleta[c % paleta.size()];
    return QColor(k[0], k[1], k[2]);
}

const QColor colorLatencia(200, 0, 0);
constexpr double margenIzquierdo = 74.0, margenDerecho = 16.0, margenInferior = 42.0;
constexpr int maximoLeyenda = 16;

double alturaDe(double v, const QRectF& panel, double minimo, double maximo) {
    return panel.bottom() - (v - minimo) / (maximo - minimo) * panel.height();
}

// Ticks of [minimo, maximo] at a 1-2-5 step that leaves `separacion` pixels.
template <class F>
void marcasEje(double minimo, double maximo, double pixeles, double separacion, F&& marca) {
    const PasoEjeTiempo paso = pasoEjeTiempo(maximo - minimo, pixeles, separacion);
    const double eps = 1e-9 * paso.paso;
    for (double t = std::ceil(minimo / paso.paso - 1e-9) * paso.paso; t <= maximo + eps; t += paso.paso) {
        const double v = std::abs(t) < eps ? 0.0 : t;  // no "-0"
        marca(v, QString::number(v, 'f', paso.decimales));
    }
}

}  // namespace

graficoMariposa::graficoMariposa(QWidget* parent) : QWidget(parent) {
    setMinimumSize(480, 300);
    setCursor(Qt::CrossCursor);
}

void graficoMariposa::fijar(const arma::vec& tiemposMs, const arma::mat& bloque, const arma::rowvec& gfp,
                           const QStringList& etiquetas, const QString& unidad) {
    tiempos_ = tiemposMs;
    bloque_ = bloque;
    gfp_ = gfp;
    etiquetas_ = etiquetas;
    unidad_ = unidad;
    const arma::vec finitos = bloque.elem(arma::find_finite(bloque));
    minimo_ = finitos.is_empty() ? -1.0 : finitos.min();
    maximo_ = finitos.is_empty() ? 1.0 : finitos.max();
    // 5 % of room above and below; a flat average gets ±1 so it stays visible.
    const double holgura = maximo_ > minimo_ ? 0.05 * (maximo_ - minimo_) : 1.0;
    minimo_ -= holgura;
    maximo_ += holgura;
    const arma::rowvec g = gfp.elem(arma::find_finite(gfp)).t();
    maximoGfp_ = !g.is_empty() && g.max() > 0.0 ? 1.05 * g.max() : 1.0;
    update();
}

void graficoMariposa::fijarLatencias(const std::vector<double>& ms) {
    latencias_ = ms;
    update();
}

graficoMariposa::Paneles graficoMariposa::paneles(const QRectF& area) const {
    const double arriba = bloque_.n_rows <= maximoLeyenda && !etiquetas_.isEmpty() ? 30.0 : 12.0;
    const double alto = std::max(40.0, area.height() - arriba - margenInferior - 12.0);
    const double izquierda = area.left() + margenIzquierdo;
    const double ancho = std::max(20.0, area.width() - margenIzquierdo - margenDerecho);
    const QRectF mariposa(izquierda, area.top() + arriba, ancho, 0.72 * alto);
    const QRectF gfp(izquierda, mariposa.bottom() + 12.0, ancho, 0.28 * alto);
    return {mariposa, gfp};
}

double graficoMariposa::abscisa(double ms, const QRectF& panel) const {
    const double t0 = tiempos_.is_empty() ? -1.0 : tiempos_.front();
    double t1 = tiempos_.is_empty() ? 1.0 : tiempos_.back();
    if (t1 <= t0) t1 = t0 + 1.0;
    return panel.left() + (ms - t0) / (t1 - t0) * panel.width();
}

double graficoMariposa::xDe(double ms) const { return abscisa(ms, paneles(QRectF(rect())).mariposa); }

QPointF graficoMariposa::puntoMariposa(double ms) const {
    const QRectF m = paneles(QRectF(rect())).mariposa;
    return {abscisa(ms, m), m.center().y()};
}

std::optional<double> graficoMariposa::tiempoEn(const QPointF& punto) const {
    if (tiempos_.is_empty()) return std::nullopt;
    const Paneles pan = paneles(QRectF(rect()));
    if (!pan.mariposa.contains(punto) && !pan.gfp.contains(punto)) return std::nullopt;
    const double t0 = tiempos_.front();
    const double t1 = tiempos_.back() > t0 ? tiempos_.back() : t0 + 1.0;
    return t0 + (punto.x() - pan.mariposa.left()) / pan.mariposa.width() * (t1 - t0);
}

void graficoMariposa::pintar(QPainter& p, const QRectF& area) const {
    p.save();
    p.fillRect(area, Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    const Paneles pan = paneles(area);
    if (!tiempos_.is_empty()) {
        pintarEjeVertical(p, pan.mariposa, minimo_, maximo_, QStringLiteral("Amplitud (%1)").arg(unidad_));
        pintarEjeVertical(p, pan.gfp, 0.0, maximoGfp_, QStringLiteral("GFP (%1)").arg(unidad_));
        pintarEjeTiempo(p, pan);
        pintarCurvas(p, pan.mariposa);
        pintarGFP(p, pan.gfp);
        pintarMarcas(p, pan);
        pintarLeyenda(p, QRectF(pan.mariposa.left(), area.top(), pan.mariposa.width(), pan.mariposa.top() - area.top()));
    }
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(pan.mariposa);
    p.drawRect(pan.gfp);
    p.restore();
}

void graficoMariposa::pintarEjeVertical(QPainter& p, const QRectF& panel, double minimo, double maximo,
                                        const QString& titulo) const {
    QFont letra = p.font();
    letra.setPointSizeF(8.0);
    p.setFont(letra);
    marcasEje(minimo, maximo, panel.height(), 26.0, [&](double v, const QString& texto) {
        const double yy = alturaDe(v, panel, minimo, maximo);
        p.setPen(QPen(QColor(232, 232, 232), 1.0));
        p.drawLine(QPointF(panel.left(), yy), QPointF(panel.right(), yy));
        p.setPen(Qt::black);
        p.drawLine(QPointF(panel.left() - 4, yy), QPointF(panel.left(), yy));
        p.drawText(QRectF(panel.left() - 56, yy - 8, 50, 16), Qt::AlignRight | Qt::AlignVCenter, texto);
    });
    p.save();
    p.translate(panel.left() - 62, panel.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-panel.height() / 2, -14, panel.height(), 14), Qt::AlignCenter, titulo);
    p.restore();
}

void graficoMariposa::pintarEjeTiempo(QPainter& p, const Paneles& pan) const {
    const double t0 = tiempos_.front(), t1 = std::max(tiempos_.back(), tiempos_.front() + 1.0);
    marcasEje(t0, t1, pan.gfp.width(), 70.0, [&](double t, const QString& texto) {
        const double xx = abscisa(t, pan.gfp);
        p.setPen(QPen(QColor(232, 232, 232), 1.0));
        p.drawLine(QPointF(xx, pan.mariposa.top()), QPointF(xx, pan.mariposa.bottom()));
        p.drawLine(QPointF(xx, pan.gfp.top()), QPointF(xx, pan.gfp.bottom()));
        p.setPen(Qt::black);
        p.drawLine(QPointF(xx, pan.gfp.bottom()), QPointF(xx, pan.gfp.bottom() + 4));
        p.drawText(QRectF(xx - 40, pan.gfp.bottom() + 5, 80, 14), Qt::AlignHCenter | Qt::AlignTop, texto);
    });
    p.drawText(QRectF(pan.gfp.left(), pan.gfp.bottom() + 22, pan.gfp.width(), 16), Qt::AlignCenter,
               QStringLiteral("Tiempo desde el evento (ms)"));
}

void graficoMariposa::pintarCurvas(QPainter& p, const QRectF& panel) const {
    p.save();
    p.setClipRect(panel);
    if (minimo_ < 0.0 && maximo_ > 0.0) {
        p.setPen(QPen(QColor(150, 150, 150), 1.0));
        const double y0 = alturaDe(0.0, panel, minimo_, maximo_);
        p.drawLine(QPointF(panel.left(), y0), QPointF(panel.right(), y0));
    }
    for (arma::uword c = 0; c < bloque_.n_rows; ++c) {
        QPolygonF linea;
        linea.reserve(static_cast<int>(bloque_.n_cols));
        for (arma::uword k = 0; k < bloque_.n_cols; ++k)
            linea << QPointF(abscisa(tiempos_(k), panel), alturaDe(bloque_(c, k), panel, minimo_, maximo_));
        p.setPen(QPen(colorCanal(c), 1.3));
        p.drawPolyline(linea);
    }
    p.restore();
}

void graficoMariposa::pintarGFP(QPainter& p, const QRectF& panel) const {
    QPainterPath area;
    area.moveTo(abscisa(tiempos_.front(), panel), panel.bottom());
    for (arma::uword k = 0; k < gfp_.n_elem && k < tiempos_.n_elem; ++k)
        area.lineTo(abscisa(tiempos_(k), panel), alturaDe(gfp_(k), panel, 0.0, maximoGfp_));
    area.lineTo(abscisa(tiempos_.back(), panel), panel.bottom());
    area.closeSubpath();
    p.setPen(QPen(Qt::black, 1.3));
    p.setBrush(QColor(200, 200, 200));
    p.drawPath(area);
    p.setBrush(Qt::NoBrush);
}

void graficoMariposa::pintarMarcas(QPainter& p, const Paneles& pan) const {
    // The event: a dashed line at 0 across both panels.
    const double x0 = abscisa(0.0, pan.mariposa);
    p.setPen(QPen(Qt::black, 1.2, Qt::DashLine));
    p.drawLine(QPointF(x0, pan.mariposa.top()), QPointF(x0, pan.gfp.bottom()));
    p.drawText(QRectF(x0 + 3, pan.mariposa.top() + 2, 60, 14), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("evento"));
    for (double ms : latencias_) {
        const double xx = abscisa(ms, pan.mariposa);
        p.setPen(QPen(colorLatencia, 1.5));
        p.drawLine(QPointF(xx, pan.mariposa.top()), QPointF(xx, pan.gfp.bottom()));
        p.drawText(QRectF(xx + 3, pan.mariposa.top() + 16, 80, 14), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("%1 ms").arg(ms, 0, 'f', std::abs(ms - std::round(ms)) < 0.05 ? 0 : 1));
    }
}

void graficoMariposa::pintarLeyenda(QPainter& p, const QRectF& franja) const {
    if (bloque_.n_rows > maximoLeyenda || etiquetas_.isEmpty()) return;
    double xx = franja.left();
    for (arma::uword c = 0; c < bloque_.n_rows && c < static_cast<arma::uword>(etiquetas_.size()); ++c) {
        p.setPen(QPen(colorCanal(c), 3.0));
        p.drawLine(QPointF(xx, franja.center().y()), QPointF(xx + 14, franja.center().y()));
        p.setPen(Qt::black);
        const QString texto = etiquetas_[static_cast<int>(c)];
        const double ancho = p.fontMetrics().horizontalAdvance(texto) + 12.0;
        p.drawText(QRectF(xx + 18, franja.top(), ancho, franja.height()), Qt::AlignLeft | Qt::AlignVCenter, texto);
        xx += 18 + ancho;
    }
}

void graficoMariposa::paintEvent(QPaintEvent*) {
    QPainter p(this);
    pintar(p, QRectF(rect()));
}

void graficoMariposa::mousePressEvent(QMouseEvent* evento) {
    if (evento->button() != Qt::LeftButton) return QWidget::mousePressEvent(evento);
    if (const auto t = tiempoEn(evento->pos())) emit latenciaElegida(*t);
}
