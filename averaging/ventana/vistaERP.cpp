#include "averaging/ventana/vistaERP.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <string>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/interaccion.h"
#include "averaging/erp.h"
#include "averaging/ventana/graficoMariposa.h"
#include "frecuencial/mapaCuero.h"
#include "frecuencial/ventana/dibujoMapaCuero.h"
#include "representacion/puntosSerie.h"

namespace {

constexpr arma::uword ladoMapa = 121;
constexpr int anchoImagen = 1400, altoMariposa = 480;

// "µV" from "Amplitud (µV)": the unit the plot's axis names.
QString unidadDe(const EEG& rama) {
    std::vector<int> todos(rama.numeroCanales);
    for (std::size_t c = 0; c < todos.size(); ++c) todos[c] = static_cast<int>(c);
    const QString titulo = QString::fromStdString(tituloEjeAmplitud(rama, todos));
    const int a = titulo.indexOf('('), b = titulo.lastIndexOf(')');
    return a >= 0 && b > a ? titulo.mid(a + 1, b - a - 1) : QStringLiteral("µV");
}

QString textoMs(double ms) { return QString::number(ms, 'f', std::abs(ms - std::round(ms)) < 0.05 ? 0 : 1); }

}  // namespace

struct vistaERP::Estado {
    PromedioERP promedio;
    arma::mat datos;  // the average as the branch held it: channels x ancho · kinds
    arma::vec tiempos;
    arma::mat bloque;  // the kind shown
    QStringList etiquetas;
    QString unidad, nombre;
    std::vector<arma::uword> conPosicion;
    std::unique_ptr<InterpolacionMapa> interpolacion;
    std::vector<double> latencias;  // as asked; each map shows the nearest sample
    std::vector<dibujoMapaCuero*> mapas;

    QLabel* titulo = nullptr;
    QLabel* etiquetaTipo = nullptr;
    QComboBox* tipo = nullptr;
    QLineEdit* campo = nullptr;
    graficoMariposa* mariposa = nullptr;
    QLabel* avisoMapas = nullptr;
    QWidget* filaMapas = nullptr;
    QScrollArea* desplazamiento = nullptr;
};

vistaERP::vistaERP(QWidget* parent) : QWidget(parent), d_(std::make_unique<Estado>()) {
    setWindowTitle(QStringLiteral("Potenciales evocados (ERP)"));
    construir();
    resize(1200, 860);
}

vistaERP::~vistaERP() = default;

void vistaERP::construir() {
    Estado& d = *d_;
    auto* capa = new QVBoxLayout(this);
    d.titulo = new QLabel(this);
    d.titulo->setObjectName(QStringLiteral("tituloERP"));
    d.titulo->setStyleSheet(QStringLiteral("font-weight: bold"));
    capa->addWidget(d.titulo);

    auto* barra = new QHBoxLayout;
    d.etiquetaTipo = new QLabel(QStringLiteral("tipo"), this);
    d.tipo = new QComboBox(this);
    d.tipo->setObjectName(QStringLiteral("tipoERP"));
    barra->addWidget(d.etiquetaTipo);
    barra->addWidget(d.tipo);
    barra->addWidget(new QLabel(QStringLiteral("latencias (ms)"), this));
    d.campo = new QLineEdit(this);
    d.campo->setObjectName(QStringLiteral("latenciasERP"));
    d.campo->setPlaceholderText(QStringLiteral("100, 300"));
    barra->addWidget(d.campo, 1);
    auto* aplicar = new QPushButton(QStringLiteral("mapas"), this);
    aplicar->setObjectName(QStringLiteral("mapasERP"));
    auto* quitar = new QPushButton(QStringLiteral("quitar mapas"), this);
    quitar->setObjectName(QStringLiteral("quitarMapasERP"));
    auto* exportar = new QPushButton(QStringLiteral("exportar PNG"), this);
    exportar->setObjectName(QStringLiteral("exportarERP"));
    for (QPushButton* b : {aplicar, quitar, exportar}) barra->addWidget(b);
    capa->addLayout(barra);

    d.mariposa = new graficoMariposa(this);
    d.mariposa->setObjectName(QStringLiteral("mariposaERP"));
    capa->addWidget(d.mariposa, 3);
    d.avisoMapas = new QLabel(this);
    d.avisoMapas->setObjectName(QStringLiteral("avisoMapasERP"));
    d.avisoMapas->setWordWrap(true);
    capa->addWidget(d.avisoMapas);
    d.filaMapas = new QWidget(this);
    new QHBoxLayout(d.filaMapas);
    d.desplazamiento = new QScrollArea(this);
    d.desplazamiento->setWidgetResizable(true);
    d.desplazamiento->setWidget(d.filaMapas);
    d.desplazamiento->setMinimumHeight(280);
    capa->addWidget(d.desplazamiento, 2);

    connect(d.tipo, qOverload<int>(&QComboBox::currentIndexChanged), this, &vistaERP::elegirTipo);
    connect(d.campo, &QLineEdit::returnPressed, this, &vistaERP::leerCampo);
    connect(aplicar, &QPushButton::clicked, this, &vistaERP::leerCampo);
    connect(quitar, &QPushButton::clicked, this, [this] { fijarLatencias({}); });
    connect(d.mariposa, &graficoMariposa::latenciaElegida, this, [this](double ms) { anadirLatencia(ms); });
    connect(exportar, &QPushButton::clicked, this, [this] {
        if (const auto ruta = interaccion::elegirArchivoGuardar(QStringLiteral("Exportar la vista ERP"),
                                                                 QStringLiteral("PNG (*.png)")))
            exportarPNG(*ruta);
    });
}

void vistaERP::mostrar(const EEG& rama, const QString& nombre) {
    Estado& d = *d_;
    d.promedio = describirPromedio(rama);
    d.datos = rama.datos();
    d.tiempos = ejeTiempoMs(d.promedio);
    d.nombre = nombre;
    d.unidad = unidadDe(rama);
    d.etiquetas.clear();
    for (arma::uword c = 0; c < d.datos.n_rows; ++c)
        d.etiquetas << (rama.canales && c < rama.canales->size()
                            ? QString::fromStdString(etiquetaVisible((*rama.canales)[c].etiqueta))
                            : QStringLiteral("%1").arg(c + 1));
    prepararMapas(rama);

    const QSignalBlocker bloqueo(d.tipo);
    d.tipo->clear();
    for (std::size_t k = 0; k < d.promedio.tipos.size(); ++k) {
        const auto [tipo, calificador] = d.promedio.tipos[k];
        QString texto = rama.tablaEventos ? QString::fromStdString(nombreTipo(*rama.tablaEventos, Evento{tipo, 0, calificador}))
                                          : QStringLiteral("%1.%2").arg(tipo).arg(calificador);
        if (k < d.promedio.promediadas.size())
            texto += QStringLiteral(" · %1 épocas").arg(d.promedio.promediadas[k]);
        d.tipo->addItem(texto);
    }
    d.tipo->setVisible(!d.promedio.tipos.empty());
    d.etiquetaTipo->setVisible(!d.promedio.tipos.empty());
    elegirTipo(0);
}

void vistaERP::prepararMapas(const EEG& rama) {
    // Channels with a position go on the maps; the interpolation is prepared
    // once, each map then costs one product.
    Estado& d = *d_;
    std::vector<std::array<double, 3>> posiciones;
    d.conPosicion.clear();
    d.interpolacion.reset();
    for (arma::uword c = 0; c < d.datos.n_rows; ++c)
        if (rama.canales && c < rama.canales->size() && (*rama.canales)[c].localizacion) {
            posiciones.push_back(*(*rama.canales)[c].localizacion);
            d.conPosicion.push_back(c);
        }
    const QString clic = QStringLiteral("Un clic en el gráfico añade un mapa en ese instante.");
    if (d.conPosicion.size() < 4) {
        d.avisoMapas->setText(QStringLiteral("No hay mapas: hacen falta al menos 4 canales con posición (cargue su "
                                             ".CED) y esta rama tiene %1. El gráfico sigue disponible.")
                                  .arg(d.conPosicion.size()));
        return;
    }
    try {
        d.interpolacion = std::make_unique<InterpolacionMapa>(posiciones, ladoMapa);
        const auto sin = static_cast<int>(d.datos.n_rows - d.conPosicion.size());
        d.avisoMapas->setText(sin == 0 ? clic
                                       : QStringLiteral("%1 canales sin posición no aparecen en los mapas. ").arg(sin) + clic);
    } catch (const std::invalid_argument&) {
        d.avisoMapas->setText(QStringLiteral("No hay mapas: las posiciones de los canales no permiten interpolar."));
    }
}

void vistaERP::elegirTipo(int indice) {
    Estado& d = *d_;
    const auto bloque = static_cast<std::size_t>(std::max(indice, 0));
    if (d.datos.is_empty() || bloque >= d.promedio.bloques()) return;
    const auto W = static_cast<arma::uword>(d.promedio.ancho);
    d.bloque = d.datos.cols(bloque * W, (bloque + 1) * W - 1);
    QString titulo = QStringLiteral("ERP de %1").arg(d.nombre);
    if (!d.promedio.tipos.empty()) titulo += QStringLiteral(" — tipo %1").arg(d.tipo->itemText(indice));
    d.titulo->setText(titulo);
    d.mariposa->fijar(d.tiempos, d.bloque, potenciaCampoGlobal(d.bloque), d.etiquetas, d.unidad);
    dibujarMapas();
}

void vistaERP::leerCampo() {
    try {
        fijarLatencias(leerLatencias(d_->campo->text().toStdString()));
    } catch (const std::invalid_argument& e) {
        interaccion::mostrarMensaje(QStringLiteral("Latencias no válidas: %1.").arg(QString::fromUtf8(e.what())));
    }
}

bool vistaERP::fijarLatencias(const std::vector<double>& ms) {
    Estado& d = *d_;
    try {
        for (double t : ms) columnaDeLatencia(d.promedio, t);
    } catch (const std::invalid_argument& e) {
        interaccion::mostrarMensaje(QStringLiteral("No se puede poner ese mapa: %1.").arg(QString::fromUtf8(e.what())));
        return false;
    }
    d.latencias = ms;
    QStringList textos;
    for (double t : ms) textos << textoMs(t);
    d.campo->setText(textos.join(QStringLiteral(", ")));
    dibujarMapas();
    return true;
}

bool vistaERP::anadirLatencia(double ms) {
    // A click lands between samples: the map takes the time of the nearest.
    try {
        ms = d_->tiempos(columnaDeLatencia(d_->promedio, ms));
    } catch (const std::invalid_argument& e) {
        interaccion::mostrarMensaje(QStringLiteral("No se puede poner ese mapa: %1.").arg(QString::fromUtf8(e.what())));
        return false;
    }
    std::vector<double> todas = d_->latencias;
    todas.push_back(ms);
    return fijarLatencias(todas);
}

const std::vector<double>& vistaERP::latencias() const { return d_->latencias; }

void vistaERP::dibujarMapas() {
    Estado& d = *d_;
    for (QWidget* celda : d.filaMapas->findChildren<QWidget*>(QStringLiteral("celdaMapa"), Qt::FindDirectChildrenOnly))
        delete celda;
    d.mapas.clear();
    std::vector<double> vistas;  // the time of the sample each map shows
    for (double t : d.latencias) vistas.push_back(d.tiempos(columnaDeLatencia(d.promedio, t)));
    d.mariposa->fijarLatencias(vistas);
    if (!d.interpolacion || d.latencias.empty() || d.bloque.is_empty()) return;

    const arma::uvec filas = arma::conv_to<arma::uvec>::from(d.conPosicion);
    std::vector<arma::vec> valores;
    for (double t : d.latencias) {
        const arma::vec canales = valoresEnLatencia(d.bloque, d.promedio, t);
        valores.push_back(canales(filas));
    }
    RangoColor rango;
    try {
        rango = rangoComun(valores);
    } catch (const std::invalid_argument&) {
        d.avisoMapas->setText(QStringLiteral("No hay mapas: la rama no tiene valores finitos en esas latencias."));
        return;
    }
    QStringList etiquetas;
    for (arma::uword c : d.conPosicion) etiquetas << d.etiquetas[static_cast<int>(c)];
    for (std::size_t i = 0; i < valores.size(); ++i) {
        auto* celda = new QWidget(d.filaMapas);
        celda->setObjectName(QStringLiteral("celdaMapa"));
        auto* capa = new QVBoxLayout(celda);
        auto* rotulo = new QLabel(QStringLiteral("%1 ms").arg(textoMs(vistas[i])), celda);
        rotulo->setAlignment(Qt::AlignCenter);
        capa->addWidget(rotulo);
        auto* mapa = new dibujoMapaCuero(celda);
        mapa->setObjectName(QStringLiteral("mapaERP"));
        mapa->mostrarEtiquetas(true);
        mapa->fijar(d.interpolacion->interpolar(valores[i]), d.interpolacion->rejilla(), d.interpolacion->electrodos(),
                    etiquetas, d.unidad, std::make_pair(rango.minimo, rango.maximo));
        capa->addWidget(mapa, 1);
        d.filaMapas->layout()->addWidget(celda);
        celda->show();  // added to a shown row: otherwise it appears only on the next event loop turn
        d.mapas.push_back(mapa);
    }
}

void vistaERP::pintarMapas(QPainter& p, const QRectF& area) const {
    const Estado& d = *d_;
    p.fillRect(area, Qt::white);
    p.setPen(Qt::black);
    if (d.mapas.empty()) {
        const QString texto = d.interpolacion ? QStringLiteral("Sin mapas: ninguna latencia elegida.") : d.avisoMapas->text();
        p.drawText(area.adjusted(80, 0, -20, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, texto);
        return;
    }
    const double ancho = area.width() / static_cast<double>(d.mapas.size());
    for (std::size_t i = 0; i < d.mapas.size(); ++i) {
        const QRectF celda(area.left() + ancho * static_cast<double>(i), area.top(), ancho, area.height());
        const double ms = d.tiempos(columnaDeLatencia(d.promedio, d.latencias[i]));
        p.drawText(QRectF(celda.left(), celda.top(), celda.width() * 0.78, 22), Qt::AlignCenter,
                   QStringLiteral("%1 ms").arg(textoMs(ms)));
        d.mapas[i]->pintar(p, celda.adjusted(4, 24, -4, -4));
    }
}

QImage vistaERP::imagen() const {
    const Estado& d = *d_;
    const int n = static_cast<int>(d.mapas.size());
    const int anchoMapa = n == 0 ? anchoImagen : std::clamp(anchoImagen / n, 240, 350);
    const int ancho = std::max(anchoImagen, anchoMapa * n);
    const int altoMapas = n == 0 ? 40 : static_cast<int>(anchoMapa * 0.8) + 28;
    QImage im(ancho, 34 + altoMariposa + altoMapas, QImage::Format_ARGB32);
    im.fill(Qt::white);
    QPainter p(&im);
    QFont letra = p.font();
    letra.setBold(true);
    p.setFont(letra);
    p.drawText(QRectF(12, 6, ancho - 24, 24), Qt::AlignLeft | Qt::AlignVCenter, d.titulo->text());
    p.setFont(font());
    d.mariposa->pintar(p, QRectF(0, 34, ancho, altoMariposa));
    pintarMapas(p, QRectF((ancho - anchoMapa * std::max(n, 1)) / 2.0, 34 + altoMariposa, n == 0 ? ancho : anchoMapa * n,
                          altoMapas));
    return im;
}

bool vistaERP::exportarPNG(const QString& ruta) {
    if (!imagen().save(ruta, "PNG")) {
        interaccion::mostrarMensaje(QStringLiteral("No se pudo guardar la vista ERP en «%1». Compruebe que la carpeta "
                                                   "existe y se puede escribir en ella.")
                                        .arg(ruta));
        return false;
    }
    return true;
}
