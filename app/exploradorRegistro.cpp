#include "app/exploradorRegistro.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/panelEpocas.h"
#include "representacion/puntosSerie.h"

namespace {

const QColor colorTrazo(0, 0, 139);
const QColor colorEje(90, 90, 90);
const QColor colorMalo(170, 170, 170);

Exploracion estadoPara(const ExploradorRegistro::FuenteRama& fuente) {
    const EEG* eeg = fuente ? fuente() : nullptr;
    if (!eeg) throw std::invalid_argument("no hay ninguna rama que explorar");
    const std::string motivo = motivoNoDibujable(*eeg);
    if (!motivo.empty()) throw std::invalid_argument(motivo);
    const arma::mat& datos = eeg->datos();
    const auto canales = static_cast<int>(std::min<arma::uword>(eeg->numeroCanales, datos.n_rows));
    Exploracion e(static_cast<int64_t>(datos.n_cols), eeg->frecuenciaMuestreo, Exploracion::tiempoPrimeraColumnaDe(*eeg),
                  canales);
    e.fijarEscala(escalaInicial(datos, e.canales()));
    return e;
}

// "50 µV" or, from a thousand on, "2 mV".
QString textoEscala(double escala) {
    if (escala >= 1000.0) return QString::number(escala / 1000.0, 'g', 6) + QStringLiteral(" mV");
    return QString::number(escala, 'g', 6) + QStringLiteral(" µV");
}

}  // namespace

LienzoExplorador::LienzoExplorador(ExploradorRegistro* explorador) : QWidget(explorador), explorador_(explorador) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(margenIzquierdo + margenDerecho + 100, margenSuperior + margenInferior + 60);
}

QRect LienzoExplorador::areaTrazo() const {
    return QRect(margenIzquierdo, margenSuperior, std::max(1, width() - margenIzquierdo - margenDerecho),
                 std::max(1, height() - margenSuperior - margenInferior));
}

double LienzoExplorador::altoFila() const {
    return static_cast<double>(areaTrazo().height()) / std::max(1, explorador_->estado().filasPorPagina());
}

double LienzoExplorador::centroFila(int fila) const { return areaTrazo().top() + (fila + 0.5) * altoFila(); }

void LienzoExplorador::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const EEG* eeg = explorador_->rama();
    if (!eeg || eeg->matrices.empty()) {
        p.setPen(Qt::black);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("La rama ya no existe."));
        return;
    }
    const Exploracion& e = explorador_->estado();
    const std::vector<int> filas = e.filasPagina();
    trazarPagina(eeg->datos(), filas, e.columnaInicio(), e.muestrasPagina(), areaTrazo().width(), trazos_,
                 explorador_->piramide());
    explorador_->prepararPiramide();

    // Channel labels, right-aligned in the left margin; a bad channel's in grey.
    const double alto = altoFila();
    const std::vector<bool> malas = filasMalasPagina(*eeg, filas);
    for (std::size_t i = 0; i < filas.size(); ++i) {
        const QRectF caja(2, centroFila(static_cast<int>(i)) - alto / 2, margenIzquierdo - 8, alto);
        p.setPen(malas[i] ? colorMalo : QColor(Qt::black));
        p.drawText(caja, Qt::AlignRight | Qt::AlignVCenter, explorador_->etiquetaCanal(filas[i]));
    }
    pintarEpocas(p);
    pintarTrazos(p);
    pintarCeroYEventos(p, *eeg);
    pintarEjeYEscala(p, filas.size());
}

void LienzoExplorador::pintarTrazos(QPainter& p) const {
    const Exploracion& e = explorador_->estado();
    const QRect area = areaTrazo();
    const int pixeles = area.width();
    const double porUnidad = altoFila() / e.escala();
    // Traces: per pixel column, a vertical stroke from minimum to maximum,
    // joined to the previous column's last sample.
    const EEG* eeg = explorador_->rama();
    const std::vector<bool> malas =
        eeg ? filasMalasPagina(*eeg, e.filasPagina()) : std::vector<bool>(trazos_.size(), false);
    p.save();
    p.setClipRect(area);
    QVector<QLine> lineas;
    lineas.reserve(static_cast<int>(2 * pixeles));
    for (std::size_t i = 0; i < trazos_.size(); ++i) {
        lineas.clear();
        p.setPen(QPen(i < malas.size() && malas[i] ? colorMalo : colorTrazo, 0));
        const double centro = centroFila(static_cast<int>(i));
        const double media = trazos_[i].media;
        // Held just outside the drawing, where the clip cuts it anyway, so
        // a trace far off its row costs no more pixels than the area holds.
        const double yMinimo = area.top() - 1.0, yMaximo = area.bottom() + 1.0;
        auto y = [&](float v) {
            const double r = centro - (static_cast<double>(v) - media) * porUnidad;
            return static_cast<int>(std::lround(std::clamp(r, yMinimo, yMaximo)));
        };
        bool hayPrevio = false;
        QPoint previo;
        for (int x = 0; x < pixeles; ++x) {
            const ColumnaTrazo& c = trazos_[i].columnas[static_cast<std::size_t>(x)];
            if (c.vacia) continue;
            const int xp = area.left() + x;
            if (hayPrevio) lineas.append(QLine(previo, QPoint(xp, y(c.primero))));
            lineas.append(QLine(xp, y(c.minimo), xp, y(c.maximo)));
            previo = QPoint(xp, y(c.ultimo));
            hayPrevio = true;
        }
        p.drawLines(lineas);
    }
    p.restore();

}

void LienzoExplorador::pintarCeroYEventos(QPainter& p, const EEG& rama) const {
    const Exploracion& e = explorador_->estado();
    const QRect area = areaTrazo();
    const int pixeles = area.width();
    // The zero line of a branch that starts before its event.
    if (e.tiempoPrimeraColumna() < 0.0) {
        const int64_t px = pixelDeColumna(-e.tiempoPrimeraColumna() * e.frecuencia(), e.columnaInicio(),
                                          e.muestrasPagina(), pixeles);
        if (px >= 0 && px < pixeles) {
            p.setPen(QPen(Qt::black, 0, Qt::DashLine));
            const int x = area.left() + static_cast<int>(px);
            p.drawLine(x, area.top(), x, area.bottom());
            p.drawText(x + 3, margenSuperior - 4, QStringLiteral("0"));
        }
    }

    // Event lines in their kind's colour, the kind written at the top; a
    // label that would overlap the previous one is left out. Of the events
    // sharing a pixel column only the last line is drawn, the one that would
    // cover the others: a whole hour puts thousands of them on a page.
    if (rama.tieneEventos()) {
        const std::vector<MarcaEvento> marcas =
            marcasEventos(*rama.tablaEventos, e.columnaInicio(), e.muestrasPagina(), pixeles);
        std::vector<int> ultimaEnColumna(static_cast<std::size_t>(pixeles), -1);
        for (std::size_t i = 0; i < marcas.size(); ++i)
            if (marcas[i].pixel >= 0) ultimaEnColumna[static_cast<std::size_t>(marcas[i].pixel)] = static_cast<int>(i);
        for (int x = 0; x < pixeles; ++x) {
            const int i = ultimaEnColumna[static_cast<std::size_t>(x)];
            if (i < 0) continue;
            const MarcaEvento& m = marcas[static_cast<std::size_t>(i)];
            p.setPen(QPen(QColor(m.rojo, m.verde, m.azul), 0));
            p.drawLine(area.left() + x, area.top(), area.left() + x, area.bottom());
        }
        const QFontMetrics metrica(font());
        int finEtiqueta = -1;
        for (const MarcaEvento& m : marcas) {
            const int x = area.left() + static_cast<int>(m.pixel);
            if (x >= finEtiqueta) {
                const QString texto = QString::fromStdString(m.texto);
                p.setPen(QColor(m.rojo, m.verde, m.azul));
                p.drawText(x + 2, margenSuperior - 4, texto);
                finEtiqueta = x + 2 + metrica.horizontalAdvance(texto) + 4;
            }
        }
    }
}

void LienzoExplorador::pintarEjeYEscala(QPainter& p, std::size_t filas) const {
    const Exploracion& e = explorador_->estado();
    const QRect area = areaTrazo();
    const int pixeles = area.width();
    const double alto = altoFila();
    // Time axis along the bottom.
    p.setPen(colorEje);
    p.drawLine(area.left(), area.bottom() + 1, area.right(), area.bottom() + 1);
    for (const MarcaTiempo& m : marcasTiempo(e.tiempoInicioPagina(), e.segundosPagina(), pixeles)) {
        const int x = area.left() + static_cast<int>(m.pixel);
        p.drawLine(x, area.bottom() + 1, x, area.bottom() + 5);
        p.drawText(QRect(x - 40, area.bottom() + 6, 80, margenInferior - 6), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromStdString(m.texto));
    }

    // Scale bar: one row spacing tall, beside the last row, with its value.
    if (filas > 0) {
        const double centro = centroFila(static_cast<int>(filas) - 1);
        const int x = area.right() + 4;
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(QPointF(x, centro - alto / 2), QPointF(x, centro + alto / 2));
        p.setPen(Qt::black);
        p.drawText(QRectF(x + 3, centro - 10, margenDerecho - 7, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   textoEscala(e.escala()));
    }
}

void LienzoExplorador::keyPressEvent(QKeyEvent* evento) {
    const double pagina = evento->modifiers() & Qt::ShiftModifier ? 0.5 : 1.0;
    switch (evento->key()) {
    case Qt::Key_Right: explorador_->cambiar([&](Exploracion& e) { e.desplazarPaginas(pagina); }); break;
    case Qt::Key_Left: explorador_->cambiar([&](Exploracion& e) { e.desplazarPaginas(-pagina); }); break;
    case Qt::Key_Home: explorador_->cambiar([](Exploracion& e) { e.irAlInicio(); }); break;
    case Qt::Key_End: explorador_->cambiar([](Exploracion& e) { e.irAlFinal(); }); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: explorador_->cambiar([](Exploracion& e) { e.ampliar(1); }); break;
    case Qt::Key_Minus: explorador_->cambiar([](Exploracion& e) { e.ampliar(-1); }); break;
    case Qt::Key_PageDown: explorador_->cambiar([](Exploracion& e) { e.paginaCanales(1); }); break;
    case Qt::Key_PageUp: explorador_->cambiar([](Exploracion& e) { e.paginaCanales(-1); }); break;
    default: QWidget::keyPressEvent(evento); return;
    }
    evento->accept();
}

void LienzoExplorador::wheelEvent(QWheelEvent* evento) {
    const int muescas = evento->angleDelta().y() / 120;
    if (muescas == 0) return;
    if (evento->modifiers() & Qt::ControlModifier)
        explorador_->cambiar([&](Exploracion& e) { e.ampliar(muescas); });
    else  // turning the wheel towards the user moves forward in time, a quarter page a notch
        explorador_->cambiar([&](Exploracion& e) { e.desplazarPaginas(-0.25 * muescas); });
    evento->accept();
}

void LienzoExplorador::resizeEvent(QResizeEvent* evento) {
    QWidget::resizeEvent(evento);
    explorador_->ajustarFilasAlAlto();
}

void LienzoExplorador::mousePressEvent(QMouseEvent* evento) {
    setFocus();
    const QRect area = areaTrazo();
    const QPoint punto = evento->pos();
    if (punto.x() < area.left() && punto.y() >= area.top() && punto.y() <= area.bottom()) {
        explorador_->alternarCanalMaloDeFila(static_cast<int>(std::floor((punto.y() - area.top()) / altoFila())));
        return;
    }
    if (!area.contains(punto)) return;
    const int fila = static_cast<int>(std::floor((punto.y() - area.top()) / altoFila()));
    explorador_->leer(fila, punto.x() - area.left());
    if (const RevisionEpocas* r = explorador_->revision()) {
        const Exploracion& e = explorador_->estado();
        const int64_t epoca = r->epocaDeColumna(
            columnaDePixel(punto.x() - area.left(), e.columnaInicio(), e.muestrasPagina(), area.width()));
        if (epoca >= 0) explorador_->alternarEpoca(static_cast<std::size_t>(epoca));
    }
}

ExploradorRegistro::ExploradorRegistro(FuenteRama fuente, QWidget* parent)
    : QWidget(parent), fuente_(std::move(fuente)), estado_(estadoPara(fuente_)) {
    lienzo_ = new LienzoExplorador(this);
    barra_ = new QScrollBar(Qt::Horizontal, this);
    irA_ = new QLineEdit(this);
    irA_->setObjectName(QStringLiteral("irA"));
    irA_->setPlaceholderText(QStringLiteral("segundos"));
    irA_->setMaximumWidth(90);
    filas_ = new QSpinBox(this);
    filas_->setObjectName(QStringLiteral("filasPorPagina"));
    segundos_ = new QDoubleSpinBox(this);
    segundos_->setObjectName(QStringLiteral("segundosPorPagina"));
    lista_ = new QListWidget(this);
    lista_->setObjectName(QStringLiteral("listaCanales"));
    lista_->setMaximumWidth(150);
    lectura_ = new QLabel(this);
    lectura_->setObjectName(QStringLiteral("lectura"));
    temporizadorPiramide_ = new QTimer(this);
    temporizadorPiramide_->setInterval(0);
    connect(temporizadorPiramide_, &QTimer::timeout, this, &ExploradorRegistro::avanzarPiramide);

    auto* controles = new QHBoxLayout;
    controles->addWidget(new QLabel(QStringLiteral("ir a (s):"), this));
    controles->addWidget(irA_);
    controles->addWidget(new QLabel(QStringLiteral("canales por página:"), this));
    controles->addWidget(filas_);
    controles->addWidget(new QLabel(QStringLiteral("segundos por página:"), this));
    controles->addWidget(segundos_);
    controles->addWidget(lectura_, 1);
    auto* dibujo = new QVBoxLayout;
    dibujo->addWidget(lienzo_, 1);
    dibujo->addWidget(barra_);
    auto* centro = new QHBoxLayout;
    centro->addLayout(dibujo, 1);
    centro->addWidget(lista_);
    prepararRevision();
    if (panel_) centro->addWidget(panel_);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(controles);
    todo->addLayout(centro, 1);
    setFocusProxy(lienzo_);

    const EEG* eeg = rama();
    const int canales = static_cast<int>(estado_.canales().size());
    for (int c = 0; c < canales; ++c) {
        auto* item = new QListWidgetItem(QStringLiteral("can ") + QString::number(c + 1) + QStringLiteral(" - ") +
                                             QString::fromStdString(etiquetaVisible((*eeg->canales)[c].etiqueta)),
                                         lista_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    filas_->setRange(1, canales);
    segundos_->setDecimals(3);
    segundos_->setRange(2.0 / estado_.frecuencia(), estado_.duracion());
    unidadBarra_ = std::max<int64_t>(1, (estado_.columnas() + 999'999) / 1'000'000);
    sincronizarControles();

    connect(barra_, &QScrollBar::valueChanged, this, [this](int v) {
        if (!sincronizando_) cambiar([&](Exploracion& e) { e.irAColumna(int64_t{v} * unidadBarra_); });
    });
    connect(irA_, &QLineEdit::returnPressed, this, &ExploradorRegistro::irATextoCampo);
    connect(filas_, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int n) {
        if (sincronizando_) return;
        filasElegidas_ = true;
        cambiar([&](Exploracion& e) { e.fijarFilasPorPagina(n); });
    });
    connect(segundos_, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, [this](double s) {
        if (!sincronizando_) cambiar([&](Exploracion& e) { e.fijarSegundosPagina(s); });
    });
    connect(lista_, &QListWidget::itemChanged, this, [this] {
        if (!sincronizando_) canalesDeLaLista();
    });
}

QString ExploradorRegistro::etiquetaCanal(int canal) const {
    const EEG* eeg = rama();
    if (!eeg || canal < 0 || static_cast<std::size_t>(canal) >= eeg->canales->size()) return {};
    const QString etiqueta = QString::fromStdString(etiquetaVisible((*eeg->canales)[canal].etiqueta));
    return etiqueta.isEmpty() ? QStringLiteral("can ") + QString::number(canal + 1) : etiqueta;
}

const PiramideExtremos* ExploradorRegistro::piramide() const {
    const EEG* eeg = rama();
    return eeg && !eeg->matrices.empty() && piramide_.sirvePara(eeg->datos()) ? &piramide_ : nullptr;
}

void ExploradorRegistro::prepararPiramide() {
    const EEG* eeg = rama();
    if (!eeg || eeg->matrices.empty() || piramide() || temporizadorPiramide_->isActive()) return;
    piramide_.empezar(eeg->datos());
    temporizadorPiramide_->start();
}

void ExploradorRegistro::avanzarPiramide() {
    const EEG* eeg = rama();
    if (!eeg || eeg->matrices.empty()) {
        temporizadorPiramide_->stop();
        return;
    }
    // About a million samples a step: a few milliseconds, so keys and
    // paints wait little behind it.
    const arma::mat& datos = eeg->datos();
    const arma::uword columnas = std::max<arma::uword>(1, (arma::uword{1} << 20) / std::max<arma::uword>(1, datos.n_rows));
    try {
        if (!piramide_.avanzar(datos, columnas)) return;
    } catch (const std::logic_error&) {
        piramide_.empezar(datos);  // the branch's matrix was replaced under the build
        return;
    }
    temporizadorPiramide_->stop();
    lienzo_->update();
}

void ExploradorRegistro::ajustarFilasAlAlto() {
    if (filasElegidas_) return;
    const int filas = filasQueCaben(lienzo_->areaTrazo().height());
    if (filas != estado_.filasPorPagina()) cambiar([&](Exploracion& e) { e.fijarFilasPorPagina(filas); });
}

void ExploradorRegistro::cambiar(const std::function<void(Exploracion&)>& cambio) {
    cambio(estado_);
    sincronizarControles();
    lienzo_->update();
}

void ExploradorRegistro::sincronizarControles() {
    sincronizando_ = true;
    const auto paginaBarra = static_cast<int>(std::max<int64_t>(
        1, static_cast<int64_t>(std::llround(estado_.muestrasPagina())) / unidadBarra_));
    barra_->setRange(0, static_cast<int>(estado_.ultimaColumnaInicio() / unidadBarra_));
    barra_->setPageStep(paginaBarra);
    barra_->setSingleStep(std::max(1, paginaBarra / 10));
    barra_->setValue(static_cast<int>(estado_.columnaInicio() / unidadBarra_));
    filas_->setValue(estado_.filasPorPagina());
    segundos_->setValue(estado_.segundosPagina());
    sincronizando_ = false;
}

void ExploradorRegistro::irATextoCampo() {
    // A decimal comma is accepted as well as a point.
    QString texto = irA_->text().trimmed();
    texto.replace(QLatin1Char(','), QLatin1Char('.'));
    bool valido = false;
    const double t = QLocale::c().toDouble(texto, &valido);
    if (valido) cambiar([&](Exploracion& e) { e.irATiempo(t); });
}

void ExploradorRegistro::canalesDeLaLista() {
    std::vector<int> elegidos;
    for (int i = 0; i < lista_->count(); ++i)
        if (lista_->item(i)->checkState() == Qt::Checked) elegidos.push_back(i);
    cambiar([&](Exploracion& e) { e.fijarCanales(elegidos); });
}

void ExploradorRegistro::elegirCanales(const std::vector<int>& canales) {
    sincronizando_ = true;
    for (int i = 0; i < lista_->count(); ++i)
        lista_->item(i)->setCheckState(canales.empty() || std::find(canales.begin(), canales.end(), i) != canales.end()
                                           ? Qt::Checked
                                           : Qt::Unchecked);
    sincronizando_ = false;
    cambiar([&](Exploracion& e) { e.fijarCanales(canales); });
}

int ExploradorRegistro::filaEnAltura(int y) const {
    const QRect area = lienzo_->areaTrazo();
    const int fila = static_cast<int>(std::floor((y - area.top()) / lienzo_->altoFila()));
    return y < area.top() || fila >= static_cast<int>(estado_.filasPagina().size()) ? -1 : fila;
}

void ExploradorRegistro::alternarCanalMaloDeFila(int fila) {
    const EEG* eeg = rama();
    const std::vector<int> filas = estado_.filasPagina();
    if (!eeg || fila < 0 || fila >= static_cast<int>(filas.size()) || !alAlternarCanalMalo) return;
    const auto canal = static_cast<std::size_t>(filas[static_cast<std::size_t>(fila)]);
    if (canal >= eeg->canales->size()) return;
    alAlternarCanalMalo((*eeg->canales)[canal].etiqueta);
    lienzo_->update();
}

std::optional<ExploradorRegistro::Lectura> ExploradorRegistro::leer(int fila, int pixel) {
    ultimaLectura_.reset();
    const EEG* eeg = rama();
    const std::vector<int> filas = estado_.filasPagina();
    if (!eeg || eeg->matrices.empty() || fila < 0 || fila >= static_cast<int>(filas.size()) || pixel < 0) {
        lectura_->clear();
        return ultimaLectura_;
    }
    const arma::mat& datos = eeg->datos();
    const int64_t columna =
        columnaDePixel(pixel, estado_.columnaInicio(), estado_.muestrasPagina(), lienzo_->pixelesTrazo());
    const int canal = filas[static_cast<std::size_t>(fila)];
    if (columna < 0 || columna >= static_cast<int64_t>(datos.n_cols) || static_cast<arma::uword>(canal) >= datos.n_rows) {
        lectura_->clear();
        return ultimaLectura_;
    }
    ultimaLectura_ = Lectura{canal, estado_.tiempoDeColumna(columna),
                             datos(static_cast<arma::uword>(canal), static_cast<arma::uword>(columna))};
    lectura_->setText(etiquetaCanal(canal) + QStringLiteral(": t = ") +
                      QString::number(ultimaLectura_->tiempo, 'f', 4) + QStringLiteral(" s, valor = ") +
                      QString::number(ultimaLectura_->valor, 'g', 6));
    return ultimaLectura_;
}
