#include "mara/ventana/ventanaRevisionICA.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <set>
#include <utility>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QThread>
#include <QVBoxLayout>

#include "app/Ondelar.h"
#include "frecuencial/ventana/dibujoMapaCuero.h"
#include "mara/quitarComponentes.h"
#include "mara/revisionComponentes.h"
#include "pasos/pasosICA.h"

namespace {

QString decimal(double x, int decimales) { return QLocale(QLocale::Spanish).toString(x, 'f', decimales); }

// The component's map as an image, on a scale symmetric about zero so that
// the two signs read alike in every cell.
QImage imagenMapa(const RevisionComponentes& r, arma::uword q, const QSize& tamano, bool etiquetas,
                  const QStringList& nombres = {}) {
    if (r.mapas.is_empty()) return {};
    const arma::mat mapa = mapaComponente(r, q, r.rejilla.lado);
    const arma::vec finitos = mapa.elem(arma::find_finite(mapa));
    const double m = finitos.is_empty() ? 1.0 : std::max(arma::abs(finitos).max(), 1e-300);
    dibujoMapaCuero dibujo;
    dibujo.mostrarEtiquetas(etiquetas);
    dibujo.mostrarElectrodos(etiquetas);
    dibujo.fijar(mapa, r.rejilla, r.electrodos, nombres, QString(), std::make_pair(-m, m));
    return dibujo.imagen(tamano);
}

// Log spectrum in dB over 0 … Nyquist with the alpha band (8–13 Hz) shaded.
void pintarEspectro(QPainter& p, const QRectF& area, const RevisionComponentes& r, arma::uword q, bool ejes) {
    p.save();
    p.fillRect(area, Qt::white);
    // Up to 50 Hz (Nyquist when lower): MARA reads up to 40 Hz, and above
    // that the axis would squeeze the alpha band to a sliver.
    const double fMax = r.frecuencias.is_empty() ? 1.0 : std::clamp(r.frecuencias.max(), 1e-9, 50.0);
    auto x = [&](double f) { return area.left() + area.width() * f / fMax; };
    p.fillRect(QRectF(QPointF(x(8.0), area.top()), QPointF(x(std::min(13.0, fMax)), area.bottom())),
               QColor(255, 215, 120, 140));
    const arma::uword bins = std::max<arma::uword>(1, arma::uvec(arma::find(r.frecuencias <= fMax)).n_elem);
    const arma::vec e = r.espectroDb.col(q).head(std::min(bins, r.espectroDb.n_rows));
    const double lo = e.min(), hi = std::max(e.max(), lo + 1e-9);
    QPainterPath linea;
    for (arma::uword j = 0; j < e.n_elem; ++j) {
        const QPointF punto(x(r.frecuencias(j)), area.bottom() - area.height() * (e(j) - lo) / (hi - lo));
        if (j == 0)
            linea.moveTo(punto);
        else
            linea.lineTo(punto);
    }
    p.setPen(QPen(QColor(30, 60, 150), 1.2));
    p.drawPath(linea);
    p.setPen(Qt::gray);
    p.drawRect(area);
    if (ejes) {
        p.setPen(Qt::black);
        p.drawText(area.adjusted(3, 2, -3, -2), Qt::AlignRight | Qt::AlignBottom, decimal(fMax, 0) + " Hz");
        p.drawText(area.adjusted(3, 2, -3, -2), Qt::AlignLeft | Qt::AlignTop,
                   decimal(hi - lo, 0) + QStringLiteral(" dB de rango"));
    }
    p.restore();
}

// The time course's envelope: one vertical stroke per stretch of samples.
void pintarActividad(QPainter& p, const QRectF& area, const RevisionComponentes& r, arma::uword q, bool ejes) {
    p.save();
    p.fillRect(area, Qt::white);
    const arma::vec mn = r.minimos.col(q), mx = r.maximos.col(q);
    const double lo = mn.min(), hi = std::max(mx.max(), lo + 1e-300);
    auto y = [&](double v) { return area.bottom() - area.height() * (v - lo) / (hi - lo); };
    p.setPen(QPen(QColor(60, 60, 60), 1.0));
    const double paso = area.width() / static_cast<double>(mn.n_elem);
    for (arma::uword k = 0; k < mn.n_elem; ++k) {
        const double xk = area.left() + (k + 0.5) * paso;
        p.drawLine(QPointF(xk, y(mn(k))), QPointF(xk, y(mx(k)) - 0.5));
    }
    p.setPen(Qt::gray);
    p.drawRect(area);
    if (ejes) {
        p.setPen(Qt::black);
        p.drawText(area.adjusted(3, 2, -3, -2), Qt::AlignRight | Qt::AlignBottom, decimal(r.segundos, 1) + " s");
    }
    p.restore();
}

// One cell of the grid; the box is a child, the rest painted.
class CeldaComponente : public QWidget {
public:
    CeldaComponente(const RevisionComponentes& r, arma::uword q, QImage mapa, std::function<void(arma::uword)> abrir,
                    QWidget* parent)
        : QWidget(parent), r_(r), q_(q), mapa_(std::move(mapa)), abrir_(std::move(abrir)) {
        setFixedSize(236, 196);
        setCursor(Qt::PointingHandCursor);
        casilla = new QCheckBox(QStringLiteral("quitar"), this);
        casilla->setObjectName(QStringLiteral("quitar_%1").arg(q + 1));
        casilla->move(160, 2);
    }
    QCheckBox* casilla;
    QString textoVoto;  // "p = 0,87" or empty without a vote
    bool votada = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), casilla->isChecked() ? QColor(255, 232, 232) : QColor(248, 248, 248));
        p.setPen(Qt::black);
        QFont negrita = font();
        negrita.setBold(true);
        p.setFont(negrita);
        p.drawText(QRectF(6, 4, 150, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("IC%1  %2 %").arg(q_ + 1).arg(decimal(100.0 * r_.varianza(q_), 1)));
        p.setFont(font());
        if (!mapa_.isNull()) p.drawImage(QPointF(4, 24), mapa_);
        pintarEspectro(p, QRectF(124, 26, 106, 96), r_, q_, false);
        pintarActividad(p, QRectF(6, 130, 224, 40), r_, q_, false);
        p.setPen(votada ? QColor(180, 0, 0) : QColor(90, 90, 90));
        p.drawText(QRectF(6, 174, 224, 18), Qt::AlignLeft | Qt::AlignVCenter, textoVoto);
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) abrir_(q_);
    }

private:
    const RevisionComponentes& r_;
    arma::uword q_;
    QImage mapa_;
    std::function<void(arma::uword)> abrir_;
};

// The enlarged view's spectrum and time course, painted to its size.
class GraficasComponente : public QWidget {
public:
    GraficasComponente(const RevisionComponentes& r, arma::uword q, QWidget* parent)
        : QWidget(parent), r_(r), q_(q) {
        setMinimumSize(420, 360);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRectF a = QRectF(rect()).adjusted(6, 20, -6, -6);
        p.drawText(QRectF(6, 0, a.width(), 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Espectro (dB, banda 8–13 Hz sombreada)"));
        pintarEspectro(p, QRectF(a.left(), a.top(), a.width(), a.height() * 0.55), r_, q_, true);
        const double y = a.top() + a.height() * 0.62;
        p.drawText(QRectF(6, y - 18, a.width(), 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Activación en el tiempo (mínimo y máximo por tramo)"));
        pintarActividad(p, QRectF(a.left(), y, a.width(), a.bottom() - y), r_, q_, true);
    }

private:
    const RevisionComponentes& r_;
    arma::uword q_;
};

}  // namespace

// What the worker and the window share: the flag that stops it.
struct EstadoTrabajoRevision {
    std::atomic<bool> cancelar{false};
};

struct ventanaRevisionICA::Estado {
    QPointer<Ondelar> principal;
    FuenteRevision fuente;
    std::shared_ptr<const RevisionComponentes> revision;
    std::optional<InformeMara> voto;
    bool votoListo = false;
    QString textoVoto;
    std::vector<CeldaComponente*> celdas;  // by component index
    std::set<arma::uword> tocadas;         // boxes the user changed before the vote came
    QLabel* aviso = nullptr;
    QLabel* resumen = nullptr;
    QPushButton* botonAplicar = nullptr;
    QWidget* rejilla = nullptr;
    QScrollArea* desplazamiento = nullptr;
    QElapsedTimer reloj;
    int msPrimeraPantalla = -1;
    QThread* hilo = nullptr;
    std::shared_ptr<EstadoTrabajoRevision> trabajo = std::make_shared<EstadoTrabajoRevision>();
};

ventanaRevisionICA::ventanaRevisionICA(Ondelar* principal, FuenteRevision fuente, QWidget* parent)
    : QWidget(parent), d_(std::make_unique<Estado>()) {
    d_->reloj.start();
    d_->principal = principal;
    d_->fuente = std::move(fuente);
    construir();
    arrancarTrabajo();
}

ventanaRevisionICA::~ventanaRevisionICA() {
    if (d_->hilo) {
        d_->trabajo->cancelar = true;
        d_->hilo->wait();
        delete d_->hilo;
    }
}

void ventanaRevisionICA::construir() {
    setWindowTitle(QStringLiteral("Revisión de componentes: ") + d_->fuente.nombre);
    resize(1070, 760);
    auto* columna = new QVBoxLayout(this);
    d_->aviso = new QLabel(QStringLiteral("Calculando mapas y espectros…"), this);
    d_->aviso->setObjectName(QStringLiteral("avisoVoto"));
    d_->aviso->setWordWrap(true);
    columna->addWidget(d_->aviso);
    d_->desplazamiento = new QScrollArea(this);
    d_->desplazamiento->setWidgetResizable(true);
    columna->addWidget(d_->desplazamiento, 1);
    auto* pie = new QHBoxLayout;
    d_->resumen = new QLabel(this);
    d_->resumen->setObjectName(QStringLiteral("resumenEleccion"));
    d_->resumen->setWordWrap(true);
    pie->addWidget(d_->resumen, 1);
    d_->botonAplicar = new QPushButton(QStringLiteral("aplicar"), this);
    d_->botonAplicar->setObjectName(QStringLiteral("aplicar"));
    d_->botonAplicar->setEnabled(false);
    d_->botonAplicar->setToolTip(QStringLiteral("Añade una rama sin las componentes marcadas"));
    connect(d_->botonAplicar, &QPushButton::clicked, this, [this] { aplicar(); });
    pie->addWidget(d_->botonAplicar);
    columna->addLayout(pie);
}

void ventanaRevisionICA::arrancarTrabajo() {
    const std::shared_ptr<const EEG> activaciones = d_->fuente.activaciones;
    const std::filesystem::path directorio = d_->fuente.directorioModelos;
    const std::optional<uint32_t> semilla = d_->fuente.semilla;
    const std::shared_ptr<EstadoTrabajoRevision> estado = d_->trabajo;
    d_->hilo = QThread::create([this, activaciones, directorio, semilla, estado] {
        const Avance avance([estado](double, const std::string&) {
            if (estado->cancelar.load(std::memory_order_relaxed)) throw Cancelado();
        });
        try {
            auto revision = std::make_shared<const RevisionComponentes>(prepararRevision(*activaciones, {}, avance));
            // Queued on the window: dropped if it is gone by then.
            QMetaObject::invokeMethod(
                this, [this, revision] {
                    d_->revision = revision;
                    mostrarRejilla();
                },
                Qt::QueuedConnection);
        } catch (const Cancelado&) {
            return;
        } catch (const std::exception& e) {
            const QString motivo = QString::fromStdString(e.what());
            QMetaObject::invokeMethod(
                this, [this, motivo] { d_->aviso->setText(QStringLiteral("No se pueden mostrar las componentes: ") + motivo); },
                Qt::QueuedConnection);
            return;
        }
        std::optional<InformeMara> voto;
        QString motivo;
        try {
            voto = votoMara(*activaciones, directorio, semilla, avance);
        } catch (const Cancelado&) {
            return;
        } catch (const std::exception& e) {
            motivo = QString::fromStdString(e.what());
        }
        QMetaObject::invokeMethod(
            this, [this, voto, motivo] { mostrarVoto(voto, motivo); }, Qt::QueuedConnection);
    });
    d_->hilo->start();
}

void ventanaRevisionICA::mostrarRejilla() {
    const RevisionComponentes& r = *d_->revision;
    d_->rejilla = new QWidget;
    auto* malla = new QGridLayout(d_->rejilla);
    malla->setSpacing(6);
    const int porFila = 4;
    d_->celdas.assign(r.varianza.n_elem, nullptr);
    for (arma::uword i = 0; i < r.orden.n_elem; ++i) {
        const arma::uword q = r.orden(i);
        auto* celda = new CeldaComponente(r, q, imagenMapa(r, q, QSize(118, 100), false),
                                          [this](arma::uword k) { abrirComponente(k + 1); }, d_->rejilla);
        celda->textoVoto = QStringLiteral("MARA: calculando…");
        connect(celda->casilla, &QCheckBox::clicked, this, [this, q] {
            d_->tocadas.insert(q);
            actualizarResumen();
        });
        connect(celda->casilla, &QCheckBox::toggled, celda, [celda] { celda->update(); });
        d_->celdas[q] = celda;
        malla->addWidget(celda, static_cast<int>(i) / porFila, static_cast<int>(i) % porFila);
    }
    d_->desplazamiento->setWidget(d_->rejilla);
    d_->aviso->setText(QStringLiteral("%1 componentes por varianza explicada. MARA está votando…").arg(r.varianza.n_elem));
    d_->botonAplicar->setEnabled(true);
    actualizarResumen();
    // Painted now, so that the time measured is the one the user waits for.
    if (isVisible()) repaint();
    d_->msPrimeraPantalla = static_cast<int>(d_->reloj.elapsed());
    emit rejillaMostrada();
}

void ventanaRevisionICA::mostrarVoto(std::optional<InformeMara> voto, const QString& motivo) {
    d_->voto = std::move(voto);
    d_->votoListo = true;
    const auto& v = d_->voto;
    if (v && v->probabilidades.n_elem == d_->celdas.size()) {
        for (arma::uword q = 0; q < d_->celdas.size(); ++q) {
            CeldaComponente* c = d_->celdas[q];
            c->votada = arma::any(v->quitadas == q);
            c->textoVoto = QStringLiteral("MARA: p = %1%2")
                               .arg(decimal(v->probabilidades(q), 2))
                               .arg(c->votada ? QStringLiteral(", artefacto") : QString());
            c->setToolTip(QString::fromStdString(textoComponente(*v, q)));
            if (!d_->tocadas.count(q)) c->casilla->setChecked(c->votada);
            c->update();
        }
        d_->textoVoto = QString::fromStdString(textoInformeMara(*v)) +
                        QStringLiteral(". Las casillas «quitar» siguen su voto; cambia las que quieras y pulsa «aplicar».");
    } else {
        d_->voto.reset();
        for (CeldaComponente* c : d_->celdas) {
            c->textoVoto = QStringLiteral("MARA: sin voto");
            c->update();
        }
        d_->textoVoto = QStringLiteral("MARA no ha votado (") + motivo +
                        QStringLiteral("). Marca a mano las componentes que quieras quitar.");
    }
    d_->aviso->setText(d_->textoVoto);
    actualizarResumen();
    emit votoMostrado();
}

void ventanaRevisionICA::actualizarResumen() {
    const std::vector<arma::uword> quitar = elegidas();
    if (quitar.empty()) {
        d_->resumen->setText(QStringLiteral("No hay ninguna componente marcada para quitar."));
        return;
    }
    d_->resumen->setText(QStringLiteral("Se quitarán %1 componentes: %2")
                             .arg(quitar.size())
                             .arg(QString::fromStdString(origenEleccion(d_->voto, quitar))));
}

bool ventanaRevisionICA::rejillaLista() const { return d_->revision && !d_->celdas.empty(); }
bool ventanaRevisionICA::votoTerminado() const { return d_->votoListo; }
const std::optional<InformeMara>& ventanaRevisionICA::voto() const { return d_->voto; }
QString ventanaRevisionICA::textoVoto() const { return d_->textoVoto; }
int ventanaRevisionICA::msPrimeraPantalla() const { return d_->msPrimeraPantalla; }

QCheckBox* ventanaRevisionICA::casilla(arma::uword numero) const {
    if (numero < 1 || numero > d_->celdas.size()) return nullptr;
    return d_->celdas[numero - 1]->casilla;
}

std::vector<arma::uword> ventanaRevisionICA::ordenRejilla() const {
    std::vector<arma::uword> r;
    if (d_->revision)
        for (const arma::uword q : d_->revision->orden) r.push_back(q + 1);
    return r;
}

std::vector<arma::uword> ventanaRevisionICA::elegidas() const {
    std::vector<arma::uword> r;
    for (arma::uword q = 0; q < d_->celdas.size(); ++q)
        if (d_->celdas[q]->casilla->isChecked()) r.push_back(q + 1);
    return r;
}

QWidget* ventanaRevisionICA::abrirComponente(arma::uword numero) {
    if (!d_->revision || numero < 1 || numero > d_->celdas.size()) return nullptr;
    const RevisionComponentes& r = *d_->revision;
    const arma::uword q = numero - 1;
    // A child window: it goes with the review, whose data it paints.
    auto* vista = new QWidget(this, Qt::Window);
    vista->setAttribute(Qt::WA_DeleteOnClose);
    vista->setObjectName(QStringLiteral("componente_%1").arg(numero));
    vista->setWindowTitle(QStringLiteral("IC%1: %2 % de la varianza").arg(numero).arg(decimal(100.0 * r.varianza(q), 1)));
    auto* fila = new QHBoxLayout(vista);
    auto* izquierda = new QVBoxLayout;
    auto* mapa = new QLabel(vista);
    QStringList nombres;
    if (const auto& canales = d_->fuente.activaciones->descomposicion->canales)
        for (const Canal& c : *canales)
            if (c.localizacion) nombres << QString::fromStdString(c.etiqueta);
    const QImage imagen = imagenMapa(r, q, QSize(420, 360), true, nombres);
    if (imagen.isNull())
        mapa->setText(QStringLiteral("Sin mapa: hacen falta al menos 4 canales con posición."));
    else
        mapa->setPixmap(QPixmap::fromImage(imagen));
    izquierda->addWidget(mapa);
    auto* texto = new QLabel(vista);
    texto->setObjectName(QStringLiteral("caracteristicas"));
    texto->setText(d_->voto ? QString::fromStdString(textoComponente(*d_->voto, q))
                            : QStringLiteral("Sin voto de MARA para esta componente."));
    izquierda->addWidget(texto);
    // An epoched branch: the activation as an image, one row per epoch.
    const arma::mat epocas = imagenEpocas(*d_->fuente.activaciones, r, q);
    if (!epocas.is_empty()) {
        const double m = std::max(arma::abs(epocas).max(), 1e-300);
        QImage imagenEpocas(static_cast<int>(epocas.n_cols), static_cast<int>(epocas.n_rows), QImage::Format_RGB32);
        for (arma::uword e = 0; e < epocas.n_rows; ++e)
            for (arma::uword t = 0; t < epocas.n_cols; ++t)
                imagenEpocas.setPixel(static_cast<int>(t), static_cast<int>(e),
                                      dibujoMapaCuero::color((epocas(e, t) + m) / (2.0 * m)).rgb());
        auto* titulo = new QLabel(QStringLiteral("Activación por épocas (una fila por época)"), vista);
        auto* imagenLabel = new QLabel(vista);
        imagenLabel->setObjectName(QStringLiteral("imagenEpocas"));
        imagenLabel->setPixmap(QPixmap::fromImage(imagenEpocas.scaled(420, 160, Qt::IgnoreAspectRatio)));
        izquierda->addWidget(titulo);
        izquierda->addWidget(imagenLabel);
    }
    izquierda->addStretch(1);
    fila->addLayout(izquierda);
    fila->addWidget(new GraficasComponente(r, q, vista), 1);
    vista->resize(900, 520);
    vista->show();
    return vista;
}

bool ventanaRevisionICA::aplicar() {
    const std::vector<arma::uword> quitar = elegidas();
    if (!d_->principal) return false;
    if (quitar.empty()) {
        Ondelar::pausaDebug("No hay ninguna componente marcada para quitar: marca al menos una casilla «quitar».");
        return false;
    }
    if (quitar.size() == d_->celdas.size()) {
        Ondelar::pausaDebug("Están marcadas todas las componentes: quitarlas todas no dejaría datos.");
        return false;
    }
    return d_->principal->ejecutarPasoSobre(d_->fuente.numeroRama,
                                           pasoQuitarComponentes(quitar, origenEleccion(d_->voto, quitar)));
}
