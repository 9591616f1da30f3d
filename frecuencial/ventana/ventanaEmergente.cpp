#include "frecuencial/ventana/ventanaEmergente.h"

#include <cmath>
#include <fstream>
#include <optional>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "frecuencial/ventana/dibujoMapaCuero.h"
#include "app/interaccion.h"
#include "frecuencial/bandas.h"
#include "frecuencial/csvDensidad.h"
#include "frecuencial/mapaCuero.h"
#include "frecuencial/welch.h"
#include "ui_ventanaEmergente.h"

using namespace QtCharts;

struct ventanaEmergente::Estado {
    FuenteRama fuente;
    EjecutorFondo ejecutor;
    bool calculando = false;       // a new segment length is being computed
    double segundosMostrados = 0;  // the segment length of the spectrum shown
    double frecuencia = 0.0;
    std::vector<std::string> etiquetas;
    std::optional<EspectroPotencia> espectro;
    std::optional<TablaBandas> bandas;
    std::vector<arma::uword> conPosicion;  // channels on the map
    std::unique_ptr<InterpolacionMapa> interpolacion;

    QLabel* titulo = nullptr;
    QLabel* avisoEspectro = nullptr;
    QListWidget* canales = nullptr;
    QDoubleSpinBox* segmento = nullptr;
    QChartView* vista = nullptr;
    QValueAxis* ejeX = nullptr;
    QValueAxis* ejeY = nullptr;
    std::vector<QLineSeries*> series;  // one per channel, hidden when not chosen
    QLabel* lectura = nullptr;
    QTableWidget* tabla = nullptr;
    QComboBox* banda = nullptr;
    QCheckBox* etiquetasMapa = nullptr;
    dibujoMapaCuero* mapa = nullptr;
    QLabel* avisoMapa = nullptr;
};

namespace {

constexpr arma::uword ladoMapa = 121;

double decibelios(double densidad) { return 10.0 * std::log10(std::max(densidad, 1e-30)); }

}  // namespace

ventanaEmergente::ventanaEmergente(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::ventanaEmergente>()), d_(std::make_unique<Estado>()) {
    ui->setupUi(this);
    construir();
}

ventanaEmergente::~ventanaEmergente() = default;

void ventanaEmergente::construir() {
    Estado& d = *d_;
    d.titulo = new QLabel(QStringLiteral("No hay ninguna rama que analizar"), this);
    d.titulo->setObjectName(QStringLiteral("tituloAnalisis"));
    d.titulo->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    QFont f = d.titulo->font();
    f.setBold(true);
    d.titulo->setFont(f);
    ui->gridLayout->addWidget(d.titulo, 0, 0, 1, 3);

    construirIzquierda();
    construirCentro();
    construirDerecha();
    resize(1360, 860);

    connect(d.canales, &QListWidget::itemSelectionChanged, this, &ventanaEmergente::dibujarEspectro);
    connect(d.segmento, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &ventanaEmergente::recalcular);
    connect(d.banda, qOverload<int>(&QComboBox::currentIndexChanged), this, &ventanaEmergente::dibujarMapa);
    connect(d.etiquetasMapa, &QCheckBox::toggled, d.mapa, &dibujoMapaCuero::mostrarEtiquetas);
}

void ventanaEmergente::construirIzquierda() {
    Estado& d = *d_;
    // Left: channels, segment length, exports.
    auto* izquierda = new QVBoxLayout();
    izquierda->addWidget(new QLabel(QStringLiteral("Canales del espectro"), this));
    d.canales = new QListWidget(this);
    d.canales->setObjectName(QStringLiteral("listaCanales"));
    d.canales->setSelectionMode(QAbstractItemView::MultiSelection);
    d.canales->setMaximumWidth(150);
    izquierda->addWidget(d.canales, 1);
    izquierda->addWidget(new QLabel(QStringLiteral("Segmento (s)"), this));
    d.segmento = new QDoubleSpinBox(this);
    d.segmento->setObjectName(QStringLiteral("segmentoSegundos"));
    d.segmento->setDecimals(3);
    d.segmento->setRange(0.05, 600.0);
    d.segmento->setSingleStep(0.5);
    d.segmento->setKeyboardTracking(false);
    izquierda->addWidget(d.segmento);
    auto boton = [&](const char* nombre, const QString& texto) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(QString::fromLatin1(nombre));
        izquierda->addWidget(b);
        return b;
    };
    QPushButton* bEspectro = boton("exportarEspectroCSV", QStringLiteral("Exportar espectro (CSV)"));
    QPushButton* bBandas = boton("exportarBandasCSV", QStringLiteral("Exportar bandas (CSV)"));
    QPushButton* bMapa = boton("exportarMapaPNG", QStringLiteral("Exportar mapa (PNG)"));
    ui->gridLayout->addLayout(izquierda, 1, 0, 2, 1);

    auto exportar = [this](const QString& titulo, const QString& filtro, bool (ventanaEmergente::*accion)(const QString&)) {
        if (!d_->espectro) return;
        if (const auto ruta = interaccion::elegirArchivoGuardar(titulo, filtro)) (this->*accion)(*ruta);
    };
    connect(bEspectro, &QPushButton::clicked, this, [=] {
        exportar(QStringLiteral("Exportar espectro"), QStringLiteral("CSV (*.csv)"), &ventanaEmergente::exportarEspectro);
    });
    connect(bBandas, &QPushButton::clicked, this, [=] {
        exportar(QStringLiteral("Exportar bandas"), QStringLiteral("CSV (*.csv)"), &ventanaEmergente::exportarBandas);
    });
    connect(bMapa, &QPushButton::clicked, this, [=] {
        exportar(QStringLiteral("Exportar mapa"), QStringLiteral("PNG (*.png)"), &ventanaEmergente::exportarMapa);
    });
}

void ventanaEmergente::construirCentro() {
    Estado& d = *d_;
    // Centre: the spectrum and the cursor readout; the band table below it
    // and the map, as wide as both, so that its ten columns show whole.
    auto* centro = new QVBoxLayout();
    // One chart for the window's life: a new spectrum replaces the points of
    // its series, a new choice of channels shows or hides them.
    auto* grafico = new QChart();
    d.ejeX = new QValueAxis(grafico);
    d.ejeX->setTitleText(QStringLiteral("frecuencia (Hz)"));
    d.ejeY = new QValueAxis(grafico);
    d.ejeY->setTitleText(QStringLiteral("potencia (dB, 10·log10 µV²/Hz)"));
    grafico->addAxis(d.ejeX, Qt::AlignBottom);
    grafico->addAxis(d.ejeY, Qt::AlignLeft);
    grafico->legend()->setAlignment(Qt::AlignRight);
    d.vista = new QChartView(grafico, this);
    d.vista->setObjectName(QStringLiteral("vistaEspectro"));
    d.vista->setRenderHint(QPainter::Antialiasing);
    d.vista->setMinimumSize(420, 280);
    d.vista->viewport()->setMouseTracking(true);
    d.vista->viewport()->installEventFilter(this);
    centro->addWidget(d.vista, 3);
    d.lectura = new QLabel(QStringLiteral(" "), this);
    d.lectura->setObjectName(QStringLiteral("lecturaCursor"));
    centro->addWidget(d.lectura);
    d.avisoEspectro = new QLabel(this);
    d.avisoEspectro->setObjectName(QStringLiteral("avisoEspectro"));
    d.avisoEspectro->setWordWrap(true);
    d.avisoEspectro->hide();
    centro->addWidget(d.avisoEspectro);
    ui->gridLayout->addLayout(centro, 1, 1);
    d.tabla = new QTableWidget(this);
    d.tabla->setObjectName(QStringLiteral("tablaBandas"));
    d.tabla->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Columns sized once per filling: ResizeToContents would measure every
    // cell again on each change.
    d.tabla->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ui->gridLayout->addWidget(d.tabla, 2, 1, 1, 2);
    ui->gridLayout->setColumnStretch(1, 3);
    ui->gridLayout->setRowStretch(1, 3);
    ui->gridLayout->setRowStretch(2, 2);
}

void ventanaEmergente::construirDerecha() {
    Estado& d = *d_;
    // Right: the scalp map of one band.
    auto* derecha = new QVBoxLayout();
    auto* opciones = new QHBoxLayout();
    opciones->addWidget(new QLabel(QStringLiteral("Banda"), this));
    d.banda = new QComboBox(this);
    d.banda->setObjectName(QStringLiteral("bandaMapa"));
    opciones->addWidget(d.banda, 1);
    d.etiquetasMapa = new QCheckBox(QStringLiteral("etiquetas"), this);
    d.etiquetasMapa->setObjectName(QStringLiteral("etiquetasMapa"));
    opciones->addWidget(d.etiquetasMapa);
    derecha->addLayout(opciones);
    d.mapa = new dibujoMapaCuero(this);
    d.mapa->setObjectName(QStringLiteral("mapaCuero"));
    derecha->addWidget(d.mapa, 1);
    d.avisoMapa = new QLabel(this);
    d.avisoMapa->setObjectName(QStringLiteral("avisoMapa"));
    d.avisoMapa->setWordWrap(true);
    derecha->addWidget(d.avisoMapa);
    ui->gridLayout->addLayout(derecha, 1, 2);
    ui->gridLayout->setColumnStretch(2, 2);
}

void ventanaEmergente::analizar(const EEG& eeg, const QString& nombre, FuenteRama fuente) {
    mostrar(eeg, nombre, calcularEspectro(eeg.datos(), eeg.frecuenciaMuestreo), std::move(fuente));
}

void ventanaEmergente::mostrar(const EEG& eeg, const QString& nombre, EspectroPotencia espectro, FuenteRama fuente) {
    Estado& d = *d_;
    d.fuente = std::move(fuente);
    d.frecuencia = eeg.frecuenciaMuestreo;
    d.etiquetas = etiquetasCanales(eeg);
    d.titulo->setText(nombre);
    prepararMapa(eeg);

    {
        const QSignalBlocker bloqueo(d.canales);
        d.canales->setUpdatesEnabled(false);
        d.canales->clear();
        QStringList etiquetas;
        for (const std::string& e : d.etiquetas) etiquetas << QString::fromStdString(e);
        d.canales->addItems(etiquetas);
        d.canales->selectAll();
        d.canales->setUpdatesEnabled(true);
    }
    const QSignalBlocker bloqueoSegmento(d.segmento);
    // A branch shorter than one segment was analysed in one piece; the
    // control keeps the length asked for.
    const arma::uword L = espectro.segmentoAcortado ? muestrasSegmento(d.frecuencia) : espectro.muestrasSegmento;
    d.segmento->setValue(static_cast<double>(L) / d.frecuencia);
    d.segundosMostrados = d.segmento->value();
    d.bandas = potenciaBandas(espectro);
    d.espectro = std::move(espectro);
    prepararSeries();
    rellenarTabla();
    dibujarEspectro();
}

void ventanaEmergente::prepararMapa(const EEG& eeg) {
    // Channels with a position go on the map; the interpolation is prepared
    // once per branch, each band then costs one product.
    Estado& d = *d_;
    std::vector<std::array<double, 3>> posiciones;
    d.conPosicion.clear();
    d.interpolacion.reset();
    const arma::uword canales = d.etiquetas.size();
    for (arma::uword c = 0; c < canales; ++c)
        if (eeg.canales && c < eeg.canales->size() && (*eeg.canales)[c].localizacion) {
            posiciones.push_back(*(*eeg.canales)[c].localizacion);
            d.conPosicion.push_back(c);
        }
    const auto sinPosicion = static_cast<int>(canales - d.conPosicion.size());
    if (d.conPosicion.size() < 4) {
        d.avisoMapa->setText(QStringLiteral("No hay mapa: hacen falta al menos 4 canales con posición y esta rama tiene %1.")
                                 .arg(d.conPosicion.size()));
        d.mapa->hide();
        return;
    }
    try {
        d.interpolacion = std::make_unique<InterpolacionMapa>(posiciones, ladoMapa);
        d.avisoMapa->setText(sinPosicion == 0 ? QStringLiteral("Interpolación por distancia inversa.")
                                              : QStringLiteral("%1 canales sin posición no aparecen en el mapa.")
                                                    .arg(sinPosicion));
        d.mapa->show();
    } catch (const std::invalid_argument&) {
        d.avisoMapa->setText(QStringLiteral("No hay mapa: las posiciones de los canales no permiten interpolar."));
        d.mapa->hide();
    }
}

void ventanaEmergente::fijarEjecutor(EjecutorFondo ejecutor) { d_->ejecutor = std::move(ejecutor); }

void ventanaEmergente::closeEvent(QCloseEvent* evento) {
    // The computation reads this window's state until it ends: the window
    // stays until then (cancelling is the progress dialog's job).
    if (d_->calculando)
        evento->ignore();
    else
        QWidget::closeEvent(evento);
}

void ventanaEmergente::recalcular() {
    Estado& d = *d_;
    if (!d.espectro || d.calculando) return;
    // Back to the length of the spectrum shown, when no other is computed.
    auto volverAlMostrado = [&d] {
        const QSignalBlocker bloqueo(d.segmento);
        d.segmento->setValue(d.segundosMostrados);
    };
    const EEG* rama = d.fuente ? d.fuente() : nullptr;
    if (!rama) {
        volverAlMostrado();
        interaccion::mostrarMensaje(
            QStringLiteral("La rama analizada ya no está en el almacén: no se puede recalcular el espectro."));
        return;
    }
    std::optional<EspectroPotencia> nuevo;
    std::optional<TablaBandas> bandas;
    QString fallo;
    OpcionesEspectro o;
    o.segundosSegmento = d.segmento->value();
    const double frecuencia = d.frecuencia;
    auto calcular = [&](const Avance& avance) {
        try {
            nuevo = calcularEspectro(rama->datos(), frecuencia, o, avance);
            bandas = potenciaBandas(*nuevo);
        } catch (const Cancelado&) {
            throw;
        } catch (const std::exception& e) {
            fallo = QString::fromUtf8(e.what());
        }
    };
    bool hecho = true;
    if (d.ejecutor) {
        // On a worker, with the progress dialog; the window takes no input
        // meanwhile, so the length asked for is the one computed.
        d.calculando = true;
        setEnabled(false);
        hecho = d.ejecutor(QStringLiteral("Análisis frecuencial"), calcular);
        setEnabled(true);
        d.calculando = false;
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        calcular(Avance());
        QApplication::restoreOverrideCursor();
    }
    if (!hecho) {  // cancelled: the spectrum shown stays, and so does its length
        volverAlMostrado();
        return;
    }
    if (!bandas) {
        volverAlMostrado();
        interaccion::mostrarMensaje(QStringLiteral("No se pudo calcular el espectro con ese segmento: %1").arg(fallo));
        return;
    }
    d.espectro = std::move(nuevo);
    d.bandas = std::move(bandas);
    d.segundosMostrados = d.segmento->value();
    prepararSeries();
    rellenarTabla();
    dibujarEspectro();
}

void ventanaEmergente::rellenarTabla() {
    Estado& d = *d_;
    const TablaBandas& t = *d.bandas;
    d.avisoEspectro->setVisible(d.espectro->segmentoAcortado);
    d.avisoEspectro->setText(QString::fromStdString("Aviso: " + d.espectro->aviso));

    // Filled in one go: no repaint or relayout per cell.
    d.tabla->setUpdatesEnabled(false);
    d.tabla->clear();
    d.tabla->setRowCount(static_cast<int>(t.absoluta.n_rows));
    d.tabla->setColumnCount(static_cast<int>(2 * t.bandas.size()));
    QStringList cabecera;
    for (const BandaFrecuencia& b : t.bandas) cabecera << QString::fromStdString(b.nombre) + QStringLiteral(" (µV²)");
    for (const BandaFrecuencia& b : t.bandas) cabecera << QString::fromStdString(b.nombre) + QStringLiteral(" (%)");
    d.tabla->setHorizontalHeaderLabels(cabecera);
    QStringList filas;
    for (const std::string& e : d.etiquetas) filas << QString::fromStdString(e);
    d.tabla->setVerticalHeaderLabels(filas);
    const int nb = static_cast<int>(t.bandas.size());
    for (int c = 0; c < d.tabla->rowCount(); ++c)
        for (int j = 0; j < nb; ++j) {
            d.tabla->setItem(c, j, new QTableWidgetItem(QString::number(t.absoluta(c, j), 'g', 4)));
            d.tabla->setItem(c, nb + j, new QTableWidgetItem(QString::number(100.0 * t.relativa(c, j), 'f', 1)));
        }
    d.tabla->resizeColumnsToContents();
    d.tabla->setUpdatesEnabled(true);

    const QString previa = d.banda->currentText();
    const QSignalBlocker bloqueo(d.banda);
    d.banda->clear();
    for (const BandaFrecuencia& b : t.bandas)
        d.banda->addItem(QStringLiteral("%1 (%2–%3 Hz)")
                             .arg(QString::fromStdString(b.nombre))
                             .arg(b.inferior, 0, 'g', 4)
                             .arg(b.superior, 0, 'g', 4));
    const int i = d.banda->findText(previa);
    d.banda->setCurrentIndex(i >= 0 ? i : std::min(2, d.banda->count() - 1));  // alfa by default
    dibujarMapa();
}

void ventanaEmergente::prepararSeries() {
    // The points of every channel in dB, each series' whole list replaced at
    // once: appending point by point would update the chart per point.
    Estado& d = *d_;
    const EspectroPotencia& e = *d.espectro;
    QChart* grafico = d.vista->chart();
    grafico->setTitle(QStringLiteral("Espectro de Welch, segmentos de %1 muestras").arg(e.muestrasSegmento));
    const auto canales = static_cast<size_t>(e.densidad.n_rows);
    if (d.series.size() != canales) {
        grafico->removeAllSeries();
        d.series.clear();
        for (size_t c = 0; c < canales; ++c) {
            auto* serie = new QLineSeries();
            grafico->addSeries(serie);
            serie->attachAxis(d.ejeX);
            serie->attachAxis(d.ejeY);
            d.series.push_back(serie);
        }
    }
    QVector<QPointF> puntos(static_cast<int>(e.frecuencias.n_elem));
    for (size_t c = 0; c < canales; ++c) {
        for (arma::uword k = 0; k < e.frecuencias.n_elem; ++k)
            puntos[int(k)] = QPointF(e.frecuencias[k], decibelios(e.densidad(c, k)));
        if (c < d.etiquetas.size()) d.series[c]->setName(QString::fromStdString(d.etiquetas[c]));
        d.series[c]->replace(puntos);
    }
    d.ejeX->setRange(0.0, e.frecuencias.back());
}

void ventanaEmergente::dibujarEspectro() {
    Estado& d = *d_;
    if (!d.espectro) return;
    const EspectroPotencia& e = *d.espectro;
    double minimo = arma::datum::inf, maximo = -arma::datum::inf;
    int elegidos = 0;
    for (size_t c = 0; c < d.series.size(); ++c) {
        const bool elegido = d.canales->item(static_cast<int>(c))->isSelected();
        d.series[c]->setVisible(elegido);
        if (!elegido) continue;
        ++elegidos;
        // DC is left out of the range: the mean removed leaves it near zero power.
        for (arma::uword k = 1; k < e.frecuencias.n_elem; ++k) {
            const double y = decibelios(e.densidad(c, k));
            minimo = std::min(minimo, y);
            maximo = std::max(maximo, y);
        }
    }
    if (elegidos > 0 && std::isfinite(minimo) && std::isfinite(maximo))
        d.ejeY->setRange(std::floor(minimo / 10) * 10, std::max(std::ceil(maximo / 10) * 10, std::floor(minimo / 10) * 10 + 10));
    d.vista->chart()->legend()->setVisible(elegidos > 0 && elegidos <= 16);
}

void ventanaEmergente::dibujarMapa() {
    Estado& d = *d_;
    if (!d.bandas || !d.interpolacion || d.banda->currentIndex() < 0) return;
    const arma::uword j = static_cast<arma::uword>(d.banda->currentIndex());
    arma::vec valores(d.conPosicion.size());
    QStringList etiquetas;
    for (size_t i = 0; i < d.conPosicion.size(); ++i) {
        valores[i] = d.bandas->absoluta(d.conPosicion[i], j);
        etiquetas << QString::fromStdString(d.etiquetas[d.conPosicion[i]]);
    }
    d.mapa->fijar(d.interpolacion->interpolar(valores), d.interpolacion->rejilla(), d.interpolacion->electrodos(),
                  etiquetas, QStringLiteral("µV²"));
}

bool ventanaEmergente::eventFilter(QObject* objeto, QEvent* evento) {
    Estado& d = *d_;
    if (objeto == d.vista->viewport() && evento->type() == QEvent::MouseMove && d.espectro) {
        const QPointF valor = d.vista->chart()->mapToValue(static_cast<QMouseEvent*>(evento)->pos());
        const EspectroPotencia& e = *d.espectro;
        const double paso = e.frecuencias.n_elem > 1 ? e.frecuencias[1] : 1.0;
        const long k = std::lround(valor.x() / paso);
        if (k >= 0 && k < static_cast<long>(e.frecuencias.n_elem)) {
            // The chosen channel whose curve passes nearest the cursor.
            int cercano = -1;
            double distancia = arma::datum::inf;
            for (int c = 0; c < d.canales->count(); ++c)
                if (d.canales->item(c)->isSelected()) {
                    const double dist = std::abs(decibelios(e.densidad(c, k)) - valor.y());
                    if (dist < distancia) distancia = dist, cercano = c;
                }
            QString texto = QStringLiteral("%1 Hz, %2 dB").arg(e.frecuencias[k], 0, 'f', 2).arg(valor.y(), 0, 'f', 1);
            if (cercano >= 0)
                texto += QStringLiteral("  ·  %1: %2 dB")
                             .arg(d.canales->item(cercano)->text())
                             .arg(decibelios(e.densidad(cercano, k)), 0, 'f', 2);
            d.lectura->setText(texto);
        }
    }
    return QWidget::eventFilter(objeto, evento);
}

bool ventanaEmergente::exportarEspectro(const QString& ruta) {
    try {
        guardarTexto(ruta.toStdString(), [&](std::ostream& s) { escribirEspectroCSV(s, *d_->espectro, d_->etiquetas); });
        return true;
    } catch (const std::exception& e) {
        interaccion::mostrarMensaje(QStringLiteral("No se pudo exportar el espectro: %1").arg(QString::fromUtf8(e.what())));
        return false;
    }
}

bool ventanaEmergente::exportarBandas(const QString& ruta) {
    try {
        guardarTexto(ruta.toStdString(), [&](std::ostream& s) { escribirBandasCSV(s, *d_->bandas, d_->etiquetas, true); });
        return true;
    } catch (const std::exception& e) {
        interaccion::mostrarMensaje(QStringLiteral("No se pudo exportar la tabla de bandas: %1").arg(QString::fromUtf8(e.what())));
        return false;
    }
}

bool ventanaEmergente::exportarMapa(const QString& ruta) {
    if (!d_->interpolacion) {
        interaccion::mostrarMensaje(d_->avisoMapa->text());
        return false;
    }
    if (!d_->mapa->imagen(QSize(700, 560)).save(ruta, "PNG")) {
        interaccion::mostrarMensaje(QStringLiteral("No se pudo guardar el mapa en «%1».").arg(ruta));
        return false;
    }
    return true;
}

const EspectroPotencia* ventanaEmergente::espectro() const { return d_->espectro ? &*d_->espectro : nullptr; }
const TablaBandas* ventanaEmergente::bandas() const { return d_->bandas ? &*d_->bandas : nullptr; }
