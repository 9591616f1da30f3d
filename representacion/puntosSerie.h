#pragma once
// The numbers behind a signal plot: the points of a channel's line and of an
// event marker, the axis ranges, which markers carry a legend entry, the
// chooser's suggested amplitude range and the checks a branch must pass
// before it is drawn. No Qt here; the window turns these into chart series.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <armadillo>

#include "io/EEG.h"

struct PuntoSerie {
    double t;  // seconds
    double v;  // sample value
};

struct ColorRGB {
    int rojo = 0, verde = 0, azul = 0;
};

struct RangoEjes {
    double tMin = 0.0, tMax = 0.0;  // horizontal, seconds
    double vMin = 0.0, vMax = 0.0;  // vertical, sample units
};

// One point per sample: (i / frecuencia - desfase, fila(i)), the division in
// floating point. Throws std::invalid_argument for frecuencia <= 0.
std::vector<PuntoSerie> puntosCanal(const arma::rowvec& fila, int frecuencia, double desfase);

// Samples [desde, hasta) of a channel: the points a plot series holds.
struct TramoMuestras {
    int64_t desde = 0, hasta = 0;
    int64_t longitud() const { return hasta - desde; }
    bool vacio() const { return hasta <= desde; }
};

// Where a plot stands horizontally, in pixels of its view: the time axis
// shows [tMin, tMax] seconds over [xEje, xEje + anchoEje), and the scroll
// area shows [xVisible, xVisible + anchoVisible) of the view.
struct GeometriaHorizontal {
    double tMin = 0.0, tMax = 0.0;
    double xEje = 0.0, anchoEje = 0.0;
    double xVisible = 0.0, anchoVisible = 0.0;
};

// The samples of a channel of `muestras` samples (point i at i / frecuencia -
// desfase s, as puntosCanal) whose points are on screen, with the one just
// outside each edge so the line reaches it, widened by `margen` visible widths
// on each side and clamped to the channel. Empty for a geometry not laid out
// yet (no width, no time span). Throws std::invalid_argument for frecuencia <= 0.
TramoMuestras tramoVisible(int64_t muestras, int frecuencia, double desfase, const GeometriaHorizontal& g,
                           double margen);

// The stretch a series should hold now that the plot stands at g: `mostrado`
// while it still holds the samples on screen widened by half the margin and
// is no more than twice the stretch widened by all of it (zooming in leaves
// it too wide to draw cheaply); otherwise the samples on screen widened by
// `margen`. A plot then refills its series about once per `margen` / 2
// visible widths scrolled, half a margin before the screen reaches the edge.
TramoMuestras tramoParaMostrar(const TramoMuestras& mostrado, int64_t muestras, int frecuencia, double desfase,
                               const GeometriaHorizontal& g, double margen);

// The time a plot shows, [inicio, inicio + ancho) seconds.
struct VentanaTiempo {
    double inicio = 0.0, ancho = 0.0;
};

// The same window moved and narrowed to fit inside [tMin, tMax]: no wider
// than the span, and starting no earlier than tMin nor so late that it ends
// after tMax. A window that is not finite or not positive gives the whole span.
VentanaTiempo encajarVentana(VentanaTiempo v, double tMin, double tMax);

// Ticks of a plot's time axis: a 1-2-5 step in seconds that leaves at least
// `separacionMinima` pixels between ticks when `segundos` span `pixeles`, and
// the decimals its labels need (0.05 s: 2). Pixels or seconds not above 0
// give a 1 s step.
struct PasoEjeTiempo {
    double paso = 1.0;
    int decimales = 0;
};
PasoEjeTiempo pasoEjeTiempo(double segundos, double pixeles, double separacionMinima = 80.0);

// Title of the amplitude axis for the rows `canales` of the branch:
// "Amplitud (µV)" when each is in µV (the readers give voltages in µV, "uV")
// or gives no unit, "Amplitud (mV)" when they share another unit, and
// "Amplitud (µV, mV)" naming each unit once, in row order, when they differ.
std::string tituloEjeAmplitud(const EEG& eeg, const std::vector<int>& canales);

// Vertical marker: (t, minimo) then (t, maximo), t = posicion / frecuencia
// seconds (no offset). Throws std::invalid_argument for frecuencia <= 0.
std::array<PuntoSerie, 2> puntosEvento(const Evento& e, int frecuencia, double maximo, double minimo);

// Horizontal: from -tiempoInicio to columnas / frecuencia - tiempoInicio
// seconds, the branch's whole span (641 samples at 256 Hz reach 2.504 s).
// Vertical: minimo to maximo; a reversed pair is swapped and an empty one
// (maximo == minimo, a flat channel) is widened by 1 each way so the line
// stays visible. Throws std::invalid_argument for frecuencia <= 0.
RangoEjes rangoEjes(int64_t columnas, int frecuencia, double tiempoInicio, double maximo, double minimo);

// For each event in order: true when it is the first of its kind
// (tipo, calificador). Only those markers get a legend entry.
std::vector<bool> primerosDeSuTipo(const std::vector<Evento>& eventos);

// A channel's pen colour from the C library generator shared with the rest of
// the program: three draws, blue, green, red, each modulo 255.
ColorRGB colorAleatorioCanal();

// The indices that name a row of a branch with numeroCanales channels, in
// their given order; the rest are dropped.
std::vector<int> canalesExistentes(const std::vector<int>& canales, uint32_t numeroCanales);

// Largest and smallest value of the given rows of datos (first: maximum,
// second: minimum); nullopt when no row is given or there are no samples.
// Throws std::out_of_range for a row that datos lacks.
std::optional<std::pair<double, double>> extremosFilas(const arma::mat& datos, const std::vector<int>& filas);

// A channel label as shown in the chooser and the legend: the label without
// the trailing blanks and NUL bytes that fixed-width file fields keep.
std::string etiquetaVisible(const std::string& etiqueta);

// Why a branch cannot be plotted against time, as a Spanish sentence for the
// user; empty when it can (at least one channel and one sample in its first
// matrix, and a sampling rate above 0).
std::string motivoNoDibujable(const EEG& eeg);
