#include "app/Ondelar.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include <QPointF>
#include <QVariant>
#include <QVector>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "app/GuiElegirCanalesDibujar.h"
#include "app/graficoCanales.h"
#include "representacion/exploracion.h"
#include "representacion/puntosSerie.h"
#include "app/seriesGrafico.h"
#include "io/progreso.h"
#include "ui_Ondelar.h"

using namespace QtCharts;

namespace {

// Tells the user why the branch cannot be drawn; true when it can.
bool avisarSiNoDibujable(const EEG& eeg) {
    const std::string motivo = motivoNoDibujable(eeg);
    if (!motivo.empty()) Ondelar::pausaDebug(motivo);
    return motivo.empty();
}

// Tells the user when a chart of `canales` channels of the branch would hold
// too many points; true when it fits.
bool avisarSiExcesivo(const EEG& eeg, std::size_t canales) {
    const int64_t eventos = eeg.tieneEventos() ? static_cast<int64_t>(eeg.tablaEventos->eventos.size()) : 1;
    const std::string motivo = motivoGraficoExcesivo(
        puntosGrafico(static_cast<int64_t>(canales), static_cast<int64_t>(eeg.datos().n_cols), eventos));
    if (!motivo.empty()) Ondelar::pausaDebug(motivo);
    return motivo.empty();
}

}  // namespace

const char* const Ondelar::propiedadRamaDibujada = "ramaDibujada";

QString Ondelar::tituloPestana(int archivo, int rama) {
    return QStringLiteral("eeg ") + QString::number(archivo + 1) + QStringLiteral("-") + QString::number(rama + 1);
}

void Ondelar::cerrarPestana(int indice) {
    QWidget* pestana = ui->panelTabs->widget(indice);
    if (!pestana) return;
    ui->panelTabs->removeTab(indice);
    delete pestana;  // the tab owns the view, which owns the chart
}

void Ondelar::actualizarPestanas() {
    for (int i = ui->panelTabs->count() - 1; i >= 0; --i) {
        const auto posicion =
            archivosEEG.posicion(ui->panelTabs->widget(i)->property(propiedadRamaDibujada).value<quint64>());
        if (!posicion)
            cerrarPestana(i);
        else
            ui->panelTabs->setTabText(i, tituloPestana(posicion->first, posicion->second));
    }
}

void Ondelar::graficoDibujar() {
    ui->labelDatos->setText(QStringLiteral("triger dibujar"));
    try {
        const EEG& eeg = eegSeleccionado();
        if (!avisarSiNoDibujable(eeg) || !avisarSiExcesivo(eeg, eeg.numeroCanales)) return;
        auto elegir = std::make_unique<GuiElegirCanalesDibujar>();
        // Closing only hides a chooser in use; releasing it then frees its
        // copy of the branch, which would otherwise stay for the whole run.
        elegir->setAttribute(Qt::WA_DeleteOnClose);
        elegir->fijarVentanaPrincipal(this);
        elegir->configurar(eeg);
        elegir.release()->show();
    } catch (const std::exception&) {
        pausaDebug("Fallo en los datos, revise que en el EEG seleccionado hay datos");
    }
}

namespace {

// The chart starts with its axes and legend only: its series (a chart takes
// about half a millisecond per series on the GUI thread) join from the event
// loop once the tab is up, a few at a time: the channels, then one series per
// marker.
std::unique_ptr<QChart> graficoConEjes(const RangoEjes& rango, const QString& tituloAmplitud) {
    auto grafico = std::make_unique<QChart>();
    auto* ejeX = new QValueAxis();
    auto* ejeY = new QValueAxis();
    ejeX->setRange(rango.tMin, rango.tMax);
    ejeY->setRange(rango.vMin, rango.vMax);
    ejeY->setTitleText(tituloAmplitud);
    grafico->addAxis(ejeX, Qt::AlignBottom);
    grafico->addAxis(ejeY, Qt::AlignLeft);
    grafico->legend()->show();
    grafico->legend()->setAlignment(Qt::AlignBottom);
    return grafico;
}

// One marker series per event, and whether it has a legend entry: only the
// first marker of each kind, so hundreds of events still leave a readable
// legend. A branch without events gets the single marker "Evento" at 0.
std::pair<std::vector<QLineSeries*>, std::vector<bool>> seriesMarcas(const EEG& eeg, const RangoEjes& rango) {
    const int fs = eeg.frecuenciaMuestreo;
    std::vector<QLineSeries*> marcas;
    std::vector<bool> enLeyenda;
    if (eeg.tieneEventos()) {
        const std::vector<Evento>& eventos = eeg.tablaEventos->eventos;
        enLeyenda = primerosDeSuTipo(eventos);
        for (const Evento& e : eventos) {
            const QString nombre = QString::number(e.tipo) + QStringLiteral(".") + QString::number(e.calificador);
            marcas.push_back(serieEvento(e, fs, rango.vMax, rango.vMin, nombre));
        }
    } else {
        Evento evento;
        evento.tipo = 1;
        evento.posicion = 0;
        evento.calificador = 1;
        marcas.push_back(serieEvento(evento, fs, rango.vMax, rango.vMin, QStringLiteral("Evento")));
        enLeyenda.push_back(true);
    }
    return {std::move(marcas), std::move(enLeyenda)};
}

}  // namespace

void Ondelar::dibujarCanales(QList<int> canales, double maximo, double minimo) {
    if (ocupado()) return;
    const int archivo = ui->indiceArchivoEEG->currentIndex();
    const int rama = ui->indiceProcesado->currentIndex();
    try {
        const EEG& eeg = eegSeleccionado();
        if (!avisarSiNoDibujable(eeg)) return;
        const std::vector<int> elegidos =
            canalesExistentes(std::vector<int>(canales.begin(), canales.end()), eeg.numeroCanales);
        if (elegidos.empty()) {
            pausaDebug("Ninguno de los canales elegidos existe en la rama seleccionada; no se dibuja nada.");
            return;
        }
        if (!avisarSiExcesivo(eeg, elegidos.size())) return;

        const arma::mat& datos = eeg.datos();
        const int fs = eeg.frecuenciaMuestreo;
        const auto n = static_cast<int64_t>(datos.n_cols);
        const RangoEjes rango = rangoEjes(n, fs, eeg.tiempoInicio, maximo, minimo);

        // Channels of a branch with events are drawn from time 0; without
        // events the branch's start time shifts them (an averaged epoch).
        const double desfase = eeg.tieneEventos() ? 0.0 : eeg.tiempoInicio;
        // The points, one per sample, are made on a worker while the window
        // stays live; the channel series then hold only the stretch on screen
        // (TramosGrafico), since the chart lays out and paints on this thread.
        std::vector<QVector<QPointF>> puntos(elegidos.size());
        const bool hecho = enSegundoPlano(QStringLiteral("Dibujando la rama"), [&](const Avance& avance) {
            for (std::size_t i = 0; i < elegidos.size(); ++i) {
                avance(static_cast<double>(i) / static_cast<double>(elegidos.size()));
                puntos[i] = puntosSerieCanal(datos.row(static_cast<arma::uword>(elegidos[i])), fs, desfase);
            }
            avance(1.0);
        });
        if (!hecho) return;  // cancelled: no tab

        // The chart starts with its axes and legend only: its series (a chart
        // takes about half a millisecond per series on this thread) join from
        // the event loop once the tab is up, a few at a time and in this order:
        // the channels, then one series per marker. The legend keeps only the
        // first marker of each kind, so hundreds of events still leave a
        // readable legend.
        auto grafico = graficoConEjes(rango, QString::fromStdString(tituloEjeAmplitud(eeg, elegidos)));
        std::vector<QLineSeries*> seriesCanales;
        for (std::size_t i = 0; i < elegidos.size(); ++i) {
            const QString etiqueta = QString::fromStdString(
                etiquetaVisible((*eeg.canales)[static_cast<std::size_t>(elegidos[i])].etiqueta));
            seriesCanales.push_back(serieCanal(etiqueta));
        }
        auto [marcas, enLeyenda] = seriesMarcas(eeg, rango);

        auto* pestana = new GraficoCanales(std::move(grafico), rango, fs);
        auto* tramos = new TramosGrafico(pestana, pestana->vista(), std::move(seriesCanales), std::move(puntos), fs,
                                         desfase);  // owned by the tab
        tramos->anadirMarcas(std::move(marcas), std::move(enLeyenda));
        // The tab remembers its branch, so that removing the branch closes it.
        pestana->setProperty(propiedadRamaDibujada,
                             QVariant::fromValue(quint64{archivosEEG.numeroRama(archivo, rama)}));
        // The new plot comes to the front, ready for the keys.
        ui->panelTabs->setCurrentIndex(ui->panelTabs->addTab(pestana, tituloPestana(archivo, rama)));
        pestana->setFocus();
    } catch (const std::exception& e) {
        pausaDebug(std::string("No se ha podido dibujar la rama seleccionada: ") + e.what());
    }
}
