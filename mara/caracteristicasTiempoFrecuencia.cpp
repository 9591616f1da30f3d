#include "mara/caracteristicasTiempoFrecuencia.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "mara/ajusteCurva.h"
#include "mara/periodogramaWelch.h"

namespace {

// Index of the first bin whose frequency is exactly f.
arma::uword binDe(const arma::vec& freq, double f) {
    const arma::uvec i = arma::find(freq == f, 1);
    if (i.is_empty())
        throw std::invalid_argument("el espectro no tiene el bin de " +
                                    std::to_string(f) + " Hz");
    return i(0);
}

// Frequency of the first bin of the whole spectrum equal to the minimum over lo < f < hi.
double frecuenciaDelMinimo(const arma::vec& dB, const arma::vec& freq, double lo, double hi) {
    const arma::uvec banda = arma::find(freq > lo && freq < hi);
    if (banda.is_empty())
        throw std::invalid_argument("el espectro no tiene bins entre " +
                                    std::to_string(lo) + " y " + std::to_string(hi) + " Hz");
    const double minimo = dB.elem(banda).min();
    const arma::uvec primero = arma::find(dB == minimo, 1);
    return freq(primero(0));
}

double asimetria(const arma::rowvec& x) {
    const double n = static_cast<double>(x.n_elem);
    const arma::rowvec d = x - arma::mean(x);
    const double m2 = arma::accu(arma::square(d)) / n;
    const double m3 = arma::accu(arma::square(d) % d) / n;
    return m3 / std::pow(m2, 1.5);
}

}  // namespace

PuntosAjuste puntosAjusteCurva(const arma::vec& dB, const arma::vec& freq) {
    const double x3 = frecuenciaDelMinimo(dB, freq, 4.0, 14.0);
    const double x5 = frecuenciaDelMinimo(dB, freq, 32.0, 40.0);
    PuntosAjuste p;
    p.x = {2.0, 3.0, x3, x3 - 1.0, x5, x5 + 1.0};
    for (std::size_t j = 0; j < p.x.size(); ++j) p.y[j] = dB(binDe(freq, p.x[j]));
    return p;
}

int factorDiezmado(int32_t fs) { return std::max(fs / 100, 1); }

double frecuenciaDiezmada(int32_t fs) { return std::round(static_cast<double>(fs) / factorDiezmado(fs)); }

arma::uword muestrasDiezmadas(int64_t muestras, int32_t fs) {
    if (muestras <= 0) return 0;
    return static_cast<arma::uword>((muestras - 1) / factorDiezmado(fs) + 1);
}

std::vector<std::pair<arma::uword, arma::uword>> ventanasAsimetria(arma::uword muestras, double fs) {
    const double duracion = static_cast<double>(muestras) / fs;
    auto construir = [&](double intervalo) {
        std::vector<std::pair<arma::uword, arma::uword>> v;
        for (double s = 1.0; s <= duracion - intervalo; s += intervalo) {
            const auto primera = static_cast<arma::uword>(s * fs);
            const auto ultima = std::min(static_cast<arma::uword>((s + intervalo) * fs), muestras - 1);
            v.emplace_back(primera, ultima);
        }
        return v;
    };
    auto ventanas = construir(15.0);
    if (!ventanas.empty()) return ventanas;
    // With interval floor(D) - 1 the first start, 1 s, always fits; a zero or
    // negative interval would never advance, so refuse it instead.
    const double intervalo = std::trunc(std::floor(duracion) - 1.0);
    if (intervalo <= 0.0)
        throw std::invalid_argument("la señal dura " + std::to_string(duracion) +
                                    " s tras el diezmado; la asimetría local necesita al menos 2 s");
    return construir(intervalo);
}

void comprobarEntradaTiempoFrecuencia(int64_t muestras, int32_t fs) {
    if (fs <= 0)
        throw std::invalid_argument("frecuencia de muestreo no válida (" +
                                    std::to_string(fs) + ")");
    const double fsd = frecuenciaDiezmada(fs);
    if (fsd < 80.0)
        throw std::invalid_argument("hacen falta al menos 80 Hz tras el diezmado "
                                    "para el espectro hasta 40 Hz; hay " + std::to_string(static_cast<int>(fsd)) + " Hz");
    const arma::uword Td = muestrasDiezmadas(muestras, fs);
    if (static_cast<double>(Td) < fsd)
        throw std::invalid_argument("hay " + std::to_string(Td) +
                                    " muestras tras el diezmado, menos que un segmento de Welch (" +
                                    std::to_string(static_cast<int>(fsd)) + ")");
    ventanasAsimetria(Td, fsd);
}

arma::mat caracteristicasTiempoFrecuencia(const arma::mat& X, int32_t fs, const arma::mat& W, const arma::mat& S,
                                          std::mt19937& generador, const Avance& avance) {
    if (S.n_rows != X.n_rows || S.n_cols != X.n_rows || W.n_cols != X.n_rows || W.n_rows == 0)
        throw std::invalid_argument("pesos " + std::to_string(W.n_rows) + "x" +
                                    std::to_string(W.n_cols) + " y esfera " + std::to_string(S.n_rows) + "x" +
                                    std::to_string(S.n_cols) + " no encajan con " + std::to_string(X.n_rows) +
                                    " canales");
    comprobarEntradaTiempoFrecuencia(static_cast<int64_t>(X.n_cols), fs);

    const int factor = factorDiezmado(fs);
    const double fsd = frecuenciaDiezmada(fs);
    const arma::uvec columnas = arma::regspace<arma::uvec>(0, factor, X.n_cols - 1);
    arma::mat act = W * S * X.cols(columnas);
    act.each_col() /= arma::stddev(act, 0, 1);

    const auto L = static_cast<arma::uword>(fsd);
    const arma::vec ventana = arma::ones(L);
    const auto ventanas = ventanasAsimetria(act.n_cols, fsd);

    arma::mat F(4, act.n_rows);
    for (arma::uword c = 0; c < act.n_rows; ++c) {
        const arma::rowvec x = act.row(c);
        const EspectroWelch e = espectroWelch(x.t(), ventana, L, fsd);
        const arma::vec dB = 10.0 * arma::log10(e.pxx * fsd / 2.0);
        auto dBen = [&](double f) { return dB(binDe(e.freq, f)); };

        double alfa = 0.0;
        for (int f = 8; f <= 13; ++f) alfa += dBen(f);
        F(2, c) = alfa / 6.0;

        const PuntosAjuste puntos = puntosAjusteCurva(dB, e.freq);
        const AjusteCurva ajuste = ajusteCurva(puntos.x, puntos.y, generador);
        F(1, c) = ajuste.p[1];

        double error = 0.0;
        const arma::uvec banda = arma::find(e.freq > 7.0 && e.freq < 16.0);
        for (arma::uword j : banda) {
            const double r = modeloCurva(ajuste.p, e.freq(j)) - dB(j);
            error += r * r;
        }
        F(3, c) = std::log(error);

        double suma = 0.0;
        for (const auto& [primera, ultima] : ventanas) suma += std::abs(asimetria(x.subvec(primera, ultima)));
        F(0, c) = std::log(suma / static_cast<double>(ventanas.size()));
        avance(static_cast<double>(c + 1), static_cast<double>(act.n_rows));
    }
    return F;
}
