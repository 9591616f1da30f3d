#pragma once
// The numbers behind the recording browser: which columns a page shows, how a
// page of many samples shrinks to one minimum and maximum per pixel column,
// the initial amplitude scale, where events and time ticks fall, and the
// navigation state (page, channel rows, scale). No Qt here; the browser
// widget only paints what these give.
//
// Sample matrices are channels x samples, one column per time point, and are
// read in place: a page never copies them.

#include <cstdint>
#include <string>
#include <vector>

#include <armadillo>

#include "io/EEG.h"

// Pixel column of a (possibly fractional) matrix column on a page that
// starts at column `inicio` and spans `muestrasPagina` columns over
// `pixeles` pixel columns: floor((columna - inicio) * pixeles / muestrasPagina).
// Samples, events and the zero line all go through this one rule, so an event
// line and the sample it marks share a pixel column.
int64_t pixelDeColumna(double columna, int64_t inicio, double muestrasPagina, int pixeles);

// The matrix column under the centre of pixel column `pixel` (not clamped).
int64_t columnaDePixel(int pixel, int64_t inicio, double muestrasPagina, int pixeles);

// One pixel column of one row: the extremes of the samples that fall in it,
// and its first and last sample, which join it to its neighbours. `vacia`
// when no sample falls in it (a page with fewer samples than pixels).
struct ColumnaTrazo {
    float minimo = 0.0f, maximo = 0.0f, primero = 0.0f, ultimo = 0.0f;
    bool vacia = true;
};

struct TrazoFila {
    std::vector<ColumnaTrazo> columnas;  // `pixeles` entries
    // The row's level on the page, where the browser centres it: the mean of
    // its pixel columns' midpoints (the sample mean when each column holds
    // one sample); 0 when the page has none.
    double media = 0.0;
};

// Minimum and maximum of each row over aligned blocks of 2^k samples, for
// every level k from nivelMinimo up to the longest block the recording
// holds (level k + 1 merges pairs of level-k blocks). A page covering many
// samples per pixel column reads a column's extremes from O(log) blocks plus
// at most 2 (2^nivelMinimo - 1) samples at its edges, so a whole hour draws
// at the cost of a few seconds. Blocks with a trailing partial part are
// left out: those samples are read directly.
//
// Stored as float: a trace column is float anyway, and rounding to float is
// monotonic, so the float of a minimum is the minimum of the floats and the
// drawn extremes equal those of the raw samples. With 32-sample blocks and
// two floats per block the levels add up to 1/16 of the samples' bytes
// (double), under 6.3 %.
//
// The build goes by chunks of columns (`avanzar`) so that a window can
// spread it over idle moments; the pyramid knows its matrix only by address
// and shape, which is how `sirvePara` tells a stale one.
class PiramideExtremos {
public:
    static constexpr int nivelMinimo = 5;

    // Forgets what was built and starts over for `datos`.
    void empezar(const arma::mat& datos);
    // Builds the finest level over the next `columnas` (at least one block)
    // and, once it is done, every coarser level. True when complete. Throws
    // std::logic_error when `datos` is not the matrix given to `empezar`.
    bool avanzar(const arma::mat& datos, arma::uword columnas);
    // empezar + avanzar to the end.
    void construir(const arma::mat& datos);

    bool completa() const { return completa_; }
    // Complete and built from a matrix with this address and shape.
    bool sirvePara(const arma::mat& datos) const;
    std::size_t bytes() const;

    // Levels built (nivelMinimo, nivelMinimo + 1, ...); each is rows x blocks.
    int niveles() const { return static_cast<int>(minimos_.size()); }
    const arma::fmat& minimos(int nivel) const { return minimos_[static_cast<std::size_t>(nivel - nivelMinimo)]; }
    const arma::fmat& maximos(int nivel) const { return maximos_[static_cast<std::size_t>(nivel - nivelMinimo)]; }

private:
    const double* memoria_ = nullptr;
    arma::uword filas_ = 0, columnas_ = 0;
    arma::uword hecho_ = 0;  // columns of the finest level already summarised
    bool completa_ = false;
    std::vector<arma::fmat> minimos_, maximos_;
};

// The trace of each of `filas` (matrix rows, in the given order) on the page
// [inicio, inicio + muestrasPagina) drawn over `pixeles` pixel columns. The
// matrix is read column by column (its memory order). Without a pyramid the
// cost grows with the page's samples times the rows; with one built for
// `datos` (see PiramideExtremos::sirvePara; any other is ignored) it grows
// with the pixels times the rows, and the result is the same. `trazos` is
// resized and reused, so turning pages allocates nothing new. NaN samples
// are skipped; infinities count as extremes.
// Throws std::invalid_argument for pixeles < 1, muestrasPagina <= 0 or a row
// the matrix lacks.
void trazarPagina(const arma::mat& datos, const std::vector<int>& filas, int64_t inicio, double muestrasPagina,
                  int pixeles, std::vector<TrazoFila>& trazos, const PiramideExtremos* piramide = nullptr);

// Initial amplitude scale in sample units per row spacing: three times the
// median over `filas` of each row's interquartile range (so the middle half
// of a typical channel fills a third of its row), rounded up to a 1-2-5
// value. The quartiles come from at most 32 evenly spaced runs of 256
// consecutive columns (8192 samples a row, the whole recording when it is
// shorter): runs are read in the matrix's memory order, so an hour of 64
// channels costs 4 MB of reading rather than a pass over its 470 MB.
// A flat recording gives 1.
double escalaInicial(const arma::mat& datos, const std::vector<int>& filas);

// The 1-2-5 value `pasos` steps from `escala` (negative: smaller). A value
// between steps first snaps to the nearest step at or above it.
double escalonEscala(double escala, int pasos);

// Rows a page shows until the user picks a number: as many as fit in
// `altoPixeles` at `altoMinimoFila` pixels each, at least 1 and at most
// `maximo`, so that a small window still shows readable rows and a tall
// one no more than the default.
int filasQueCaben(int altoPixeles, int maximo = 32, int altoMinimoFila = 10);

struct MarcaEvento {
    int64_t pixel;       // pixel column on the page
    int rojo, verde, azul;
    std::string texto;   // the kind's label
};

// The label of an event's kind: "tipo.calificador" (for example "768.1").
// Every label in the browser comes from here.
std::string textoTipoEvento(const Evento& e, const TablaEventos& tabla);

// Events of `tabla` whose position falls on the page, in table order.
std::vector<MarcaEvento> marcasEventos(const TablaEventos& tabla, int64_t inicio, double muestrasPagina, int pixeles);

struct MarcaTiempo {
    int64_t pixel;
    std::string texto;  // "12 s", "-0.2 s", or "m:ss" once the page reaches a minute
};

// Ticks of the time axis for a page whose left edge is at `tInicio` seconds
// and which spans `segundos` over `pixeles`: a 1-2-5 (or 15/30 s, minutes)
// step leaving at least `separacionMinima` pixels between ticks.
std::vector<MarcaTiempo> marcasTiempo(double tInicio, double segundos, int pixeles, int separacionMinima = 80);

// A time written for the user in the axis's style: seconds ("12 s",
// "-0.25 s") or, when `minutos`, "m:ss" ("1:05", "-0:00.5"), with `decimales`
// decimals.
std::string textoTiempo(double segundos, int decimales, bool minutos);

// The points a signal plot of `canales` channels x `muestras` samples plus
// `eventos` two-point markers would hold, and whether that is too many for
// the chart (more than 20 million).
int64_t puntosGrafico(int64_t canales, int64_t muestras, int64_t eventos);
constexpr int64_t maximoPuntosGrafico = 20'000'000;
// Empty when the chart fits, otherwise a Spanish sentence sending the user to
// the browser.
std::string motivoGraficoExcesivo(int64_t puntos);

// Where the browser stands: a page of `segundosPagina` seconds starting at a
// column, a run of channel rows, and the scale. Holds only numbers (never
// the record), so it stays valid while the record it describes lives
// elsewhere. Columns are clamped so the page stays inside the recording.
class Exploracion {
public:
    // Throws std::invalid_argument for frecuencia <= 0, no columns or no channels.
    Exploracion(int64_t columnas, int frecuencia, double tiempoPrimeraColumna, int numeroCanales);

    // Branch time of column 0: 0 for a recording, minus the start time for an
    // averaged branch (which begins before its event), as the signal plot does.
    static double tiempoPrimeraColumnaDe(const EEG& eeg);

    int64_t columnas() const { return columnas_; }
    int frecuencia() const { return frecuencia_; }
    double tiempoPrimeraColumna() const { return t0_; }
    double duracion() const { return static_cast<double>(columnas_) / frecuencia_; }

    int64_t columnaInicio() const { return inicio_; }
    double segundosPagina() const { return segundosPagina_; }
    double muestrasPagina() const { return segundosPagina_ * frecuencia_; }
    double tiempoInicioPagina() const { return t0_ + static_cast<double>(inicio_) / frecuencia_; }
    double tiempoDeColumna(int64_t c) const { return t0_ + static_cast<double>(c) / frecuencia_; }

    const std::vector<int>& canales() const { return canales_; }  // rows that can be shown, in order
    int primeraFila() const { return primeraFila_; }               // index into canales()
    int filasPorPagina() const { return filasPorPagina_; }
    std::vector<int> filasPagina() const;  // the channels on the current page, top to bottom
    double escala() const { return escala_; }

    // Navigation. Pages move by whole or fractional page widths.
    void desplazarPaginas(double paginas);
    void irAColumna(int64_t columna);
    void irATiempo(double segundos);  // left edge at that branch time
    void irAlInicio() { irAColumna(0); }
    void irAlFinal();
    int64_t ultimaColumnaInicio() const;

    // Default: the recording's length up to 10 s.
    void fijarSegundosPagina(double segundos);
    // Unknown indices are dropped, order and repeats kept as given; an empty
    // choice shows every channel.
    void fijarCanales(const std::vector<int>& canales);
    void fijarFilasPorPagina(int n);  // clamped to 1..channels shown; default min(channels, 32)
    void paginaCanales(int paso);     // PgDn (+1) / PgUp (-1)
    void fijarEscala(double escala);  // ignored unless finite and > 0
    // +1 enlarges the traces (fewer units per row), -1 shrinks them.
    void ampliar(int pasos) { fijarEscala(escalonEscala(escala_, -pasos)); }

private:
    int64_t columnas_;
    int frecuencia_;
    double t0_;
    int numeroCanales_;
    int64_t inicio_ = 0;
    double segundosPagina_ = 10.0;
    std::vector<int> canales_;
    int primeraFila_ = 0;
    int filasPorPagina_ = 1;
    int filasDeseadas_ = 32;  // what the user asked for; fewer when fewer channels are shown
    double escala_ = 1.0;
};

// For each row of a page (matrix rows, as filasPagina gives them), whether its
// channel is on the branch's bad list: the browser greys those rows.
std::vector<bool> filasMalasPagina(const EEG& eeg, const std::vector<int>& filas);
