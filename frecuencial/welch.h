#pragma once
// Welch power spectral density of a branch, channel by channel, and the one
// averaged-periodogram routine it shares with MARA's spectrum.
//
// Definition (Welch 1967): segments of L samples overlapping by floor(L/2);
// each segment, optionally minus its own mean, is multiplied by the window w
// and transformed with nfft points; its periodogram is |DFT|^2 / sum(w^2);
// the K periodograms are averaged, folded to one side (all bins but DC and,
// for even nfft, Nyquist doubled) and divided by the sampling rate, giving a
// density in (signal unit)^2 / Hz. K = (n - floor(L/2)) div (L - floor(L/2)).

#include <memory>
#include <string>

#include <armadillo>

#include "io/progreso.h"

// Periodic Hann window of length L: w(i) = 0.5 - 0.5 cos(2 pi i / L). The
// periodic form is the one whose shifted copies at 50 % overlap sum to a
// constant. Throws std::invalid_argument for L = 0.
arma::vec ventanaHann(arma::uword L);

struct PlanWelch {
    arma::vec ventana;          // L samples; the segment length
    arma::uword nfft = 0;       // DFT length; segments are zero-padded or cut to it
    double frecuencia = 0.0;    // sampling rate in Hz
    bool quitarMedia = false;   // subtract each segment's mean before windowing
};

// Transform plan and buffers reused from one signal to the next, so that a
// whole branch needs no allocation per segment or per channel. They are
// rebuilt only when the DFT length or the batch size changes.
struct TrabajoWelch {
    TrabajoWelch();
    ~TrabajoWelch();
    TrabajoWelch(const TrabajoWelch&) = delete;
    TrabajoWelch& operator=(const TrabajoWelch&) = delete;

    struct Planes;                  // FFTW plan over a batch of segments
    std::unique_ptr<Planes> planes;
    arma::vec potencia;             // nfft / 2 + 1: sum of the segments' |DFT|^2
};

// One-sided density of the n samples at x (nfft / 2 + 1 bins). The segments
// go through real-to-complex transforms in batches: one FFTW plan transforms
// many windowed segments laid end to end. Throws std::invalid_argument for
// an empty window, nfft < 1 or above 2^31 - 1, a rate <= 0 or fewer samples
// than the window.
arma::vec densidadWelch(const double* x, arma::uword n, const PlanWelch& plan, TrabajoWelch& trabajo);

// Bin frequencies j * frecuencia / nfft, j = 0 ... nfft / 2.
arma::vec frecuenciasWelch(arma::uword nfft, double frecuencia);

// Segment length for a branch sampled at `frecuencia`: with segundos <= 0 the
// power of two closest to 2 s of samples (the larger one on a tie), otherwise
// round(segundos x frecuencia). Throws std::invalid_argument for a rate <= 0
// or a length below 2 samples or above 2^31.
arma::uword muestrasSegmento(double frecuencia, double segundos = 0.0);

struct OpcionesEspectro {
    double segundosSegmento = 0.0;  // 0: the default length (muestrasSegmento)
};

struct EspectroPotencia {
    arma::vec frecuencias;          // bins, Hz, from 0 to the Nyquist frequency
    arma::mat densidad;             // canales x bins, (signal unit)^2 / Hz (µV^2/Hz for EEG)
    double frecuenciaMuestreo = 0.0;
    arma::uword muestrasSegmento = 0;  // L actually used
    arma::uword segmentos = 0;         // K
    bool segmentoAcortado = false;     // the branch was shorter than one segment
    std::string aviso;                 // Spanish note when segmentoAcortado
};

// Welch spectrum of every channel (row) of `datos` (canales x muestras) with a
// Hann window, 50 % overlap, nfft = L and the segment mean removed. A branch
// shorter than the segment gives one segment of its whole length, and says so
// in `aviso`. `avance` is called once per channel. Throws
// std::invalid_argument for an empty matrix, a rate <= 0, a bad segment
// length, or a branch of fewer than 2 samples.
EspectroPotencia calcularEspectro(const arma::mat& datos, double frecuencia, const OpcionesEspectro& opciones = {},
                                  const Avance& avance = Avance());
