// The browser's review of an epoched branch: boundaries, shading of marked
// epochs, their panel and the marks handed to the window.

#include <algorithm>

#include <QPainter>

#include "app/exploradorRegistro.h"
#include "app/panelEpocas.h"

namespace {

const QColor colorMarcada(220, 40, 40, 40);
const QColor colorFrontera(120, 120, 120);
constexpr std::size_t epocasPorPagina = 4;  // the first page shows a few epochs side by side

}  // namespace

void ExploradorRegistro::prepararRevision() {
    const EEG* eeg = rama();
    if (!eeg || !eeg->epocas || eeg->epocas->numero() == 0) return;
    const Epocas& ep = *eeg->epocas;
    revision_.emplace(ep.numero(), ep.ancho);
    const double segundos = static_cast<double>(std::min(ep.numero(), epocasPorPagina)) * ep.ancho /
                            static_cast<double>(eeg->frecuenciaMuestreo);
    cambiar([&](Exploracion& e) { e.fijarSegundosPagina(segundos); });
    panel_ = new PanelEpocas(this);
    panel_->mostrar(*revision_, *eeg);
    panel_->alAlternar = [this](std::size_t e) { alternarEpoca(e); };
    panel_->alElegir = [this](std::size_t e) { irAEpoca(e); };
    panel_->alAplicar = [this] {
        if (alAplicarRechazo && revision_) alAplicarRechazo(revision_->marcadas());
    };
}

void ExploradorRegistro::fijarMotivos(std::vector<std::vector<MotivoRechazo>> motivos) {
    const EEG* eeg = rama();
    if (!revision_ || !eeg) return;
    revision_->fijarMotivos(std::move(motivos));
    panel_->mostrar(*revision_, *eeg);
    lienzo_->update();
}

void ExploradorRegistro::alternarEpoca(std::size_t epoca) {
    if (!revision_ || epoca >= revision_->numero()) return;
    revision_->alternar(epoca);
    panel_->actualizar(*revision_, epoca);
    lienzo_->update();
}

void ExploradorRegistro::irAEpoca(std::size_t epoca) {
    if (!revision_ || epoca >= revision_->numero()) return;
    cambiar([&](Exploracion& e) { e.irAColumna(static_cast<int64_t>(epoca) * revision_->ancho()); });
}

// Under the traces: marked epochs shaded, each epoch's left boundary, and
// its number with the reason it is marked at the top of the drawing.
void LienzoExplorador::pintarEpocas(QPainter& p) const {
    const RevisionEpocas* r = explorador_->revision();
    if (!r) return;
    const Exploracion& e = explorador_->estado();
    const QRect area = areaTrazo();
    const int pixeles = area.width();
    p.save();
    p.setClipRect(area);
    for (std::size_t k : r->epocasPagina(e.columnaInicio(), e.muestrasPagina())) {
        const int64_t desde = static_cast<int64_t>(k) * r->ancho();
        const int x0 = area.left() + static_cast<int>(std::clamp<int64_t>(
                                         pixelDeColumna(static_cast<double>(desde), e.columnaInicio(),
                                                        e.muestrasPagina(), pixeles),
                                         -1, pixeles));
        const int x1 = area.left() + static_cast<int>(std::clamp<int64_t>(
                                         pixelDeColumna(static_cast<double>(desde + r->ancho()), e.columnaInicio(),
                                                        e.muestrasPagina(), pixeles),
                                         -1, pixeles));
        if (r->marcada(k)) p.fillRect(QRect(QPoint(x0, area.top()), QPoint(x1 - 1, area.bottom())), colorMarcada);
        p.setPen(QPen(colorFrontera, 0, Qt::DotLine));
        p.drawLine(x0, area.top(), x0, area.bottom());
        p.setPen(r->marcada(k) ? QColor(180, 0, 0) : colorFrontera);
        const std::string motivo = r->motivo(k);
        p.drawText(QRect(x0 + 3, area.top() + 1, std::max(1, x1 - x0 - 6), 16), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("época %1").arg(k + 1) +
                       (motivo.empty() ? QString() : QStringLiteral(" · ") + QString::fromStdString(motivo)));
    }
    p.restore();
}
