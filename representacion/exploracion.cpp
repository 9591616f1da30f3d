#include "representacion/exploracion.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace {

// Pixels per matrix column; every column-to-pixel mapping multiplies by this
// same factor so that rounding cannot put a sample and its event line apart.
double pixelesPorColumna(double muestrasPagina, int pixeles) { return pixeles / muestrasPagina; }

std::string numeroFijo(double v, int decimales) {
    std::array<char, 64> b{};
    const auto r = std::to_chars(b.data(), b.data() + b.size(), v, std::chars_format::fixed, decimales);
    return std::string(b.data(), r.ptr);
}

// The 1-2-5 ladder as one integer: value = {1, 2, 5}[i mod 3] * 10^(i div 3).
double valorEscalon(int64_t i) {
    static constexpr double mantisas[3] = {1.0, 2.0, 5.0};
    const int64_t decada = i >= 0 ? i / 3 : -((-i + 2) / 3);
    return mantisas[i - 3 * decada] * std::pow(10.0, static_cast<double>(decada));
}

// The smallest ladder index whose value is at or above v (v > 0, finite).
int64_t escalonDesde(double v) {
    auto i = static_cast<int64_t>(std::floor(std::log10(v))) * 3 - 1;
    while (valorEscalon(i) < v * (1.0 - 1e-9)) ++i;
    while (valorEscalon(i - 1) >= v * (1.0 - 1e-9)) --i;
    return i;
}

}  // namespace

int64_t pixelDeColumna(double columna, int64_t inicio, double muestrasPagina, int pixeles) {
    return static_cast<int64_t>(
        std::floor((columna - static_cast<double>(inicio)) * pixelesPorColumna(muestrasPagina, pixeles)));
}

int64_t columnaDePixel(int pixel, int64_t inicio, double muestrasPagina, int pixeles) {
    return inicio + static_cast<int64_t>(std::floor((pixel + 0.5) / pixelesPorColumna(muestrasPagina, pixeles)));
}

void PiramideExtremos::empezar(const arma::mat& datos) {
    memoria_ = datos.memptr();
    filas_ = datos.n_rows;
    columnas_ = datos.n_cols;
    hecho_ = 0;
    completa_ = false;
    minimos_.clear();
    maximos_.clear();
    const arma::uword bloques = columnas_ >> nivelMinimo;
    if (bloques == 0 || filas_ == 0) {
        completa_ = true;  // nothing a block could summarise
        return;
    }
    minimos_.reserve(64);
    maximos_.reserve(64);
    minimos_.emplace_back(filas_, bloques, arma::fill::none);
    maximos_.emplace_back(filas_, bloques, arma::fill::none);
}

bool PiramideExtremos::avanzar(const arma::mat& datos, arma::uword columnas) {
    if (datos.memptr() != memoria_ || datos.n_rows != filas_ || datos.n_cols != columnas_)
        throw std::logic_error("no es la matriz con la que se empezo");
    if (completa_) return true;
    constexpr arma::uword largo = arma::uword{1} << nivelMinimo;
    const arma::uword bloques = minimos_[0].n_cols;
    const arma::uword primero = hecho_ / largo;
    const arma::uword ultimo = std::min(bloques, primero + std::max<arma::uword>(1, columnas / largo));
    const float infinito = std::numeric_limits<float>::infinity();
    for (arma::uword bl = primero; bl < ultimo; ++bl) {
        float* mn = minimos_[0].colptr(bl);
        float* mx = maximos_[0].colptr(bl);
        std::fill(mn, mn + filas_, infinito);
        std::fill(mx, mx + filas_, -infinito);
        // std::min / std::max keep the running value against NaN.
        for (arma::uword j = bl * largo; j < (bl + 1) * largo; ++j) {
            const double* v = datos.colptr(j);
            for (arma::uword r = 0; r < filas_; ++r) {
                const auto f = static_cast<float>(v[r]);
                mn[r] = std::min(mn[r], f);
                mx[r] = std::max(mx[r], f);
            }
        }
    }
    hecho_ = ultimo * largo;
    if (ultimo < bloques) return false;
    // Coarser levels, each from pairs of the previous one, written in place
    // (temporaries of this size would stay in the heap once freed).
    while (minimos_.back().n_cols >= 2) {
        const arma::uword n = minimos_.back().n_cols / 2;
        minimos_.emplace_back(filas_, n, arma::fill::none);
        maximos_.emplace_back(filas_, n, arma::fill::none);
        const arma::fmat& mnPrevio = minimos_[minimos_.size() - 2];
        const arma::fmat& mxPrevio = maximos_[maximos_.size() - 2];
        for (arma::uword bl = 0; bl < n; ++bl) {
            const float* a = mnPrevio.colptr(2 * bl);
            const float* b = mnPrevio.colptr(2 * bl + 1);
            const float* c = mxPrevio.colptr(2 * bl);
            const float* d = mxPrevio.colptr(2 * bl + 1);
            float* mn = minimos_.back().colptr(bl);
            float* mx = maximos_.back().colptr(bl);
            for (arma::uword r = 0; r < filas_; ++r) {
                mn[r] = std::min(a[r], b[r]);
                mx[r] = std::max(c[r], d[r]);
            }
        }
    }
    completa_ = true;
    return true;
}

void PiramideExtremos::construir(const arma::mat& datos) {
    empezar(datos);
    while (!avanzar(datos, arma::uword{1} << 20)) {
    }
}

bool PiramideExtremos::sirvePara(const arma::mat& datos) const {
    return completa_ && datos.memptr() == memoria_ && datos.n_rows == filas_ && datos.n_cols == columnas_;
}

std::size_t PiramideExtremos::bytes() const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < minimos_.size(); ++i) n += (minimos_[i].n_elem + maximos_[i].n_elem) * sizeof(float);
    return n;
}

namespace {

void comprobarPagina(const arma::mat& datos, const std::vector<int>& filas, double muestrasPagina, int pixeles) {
    if (pixeles < 1 || !(muestrasPagina > 0.0))
        throw std::invalid_argument("la página no es válida (" + std::to_string(pixeles) + " pixeles, " +
                                    numeroFijo(muestrasPagina, 3) + " muestras)");
    for (int f : filas)
        if (f < 0 || static_cast<arma::uword>(f) >= datos.n_rows)
            throw std::invalid_argument("la fila " + std::to_string(f) + " no existe (" +
                                        std::to_string(datos.n_rows) + " filas)");
}

// The running minimum and maximum of each chosen row over a stretch of
// columns, from raw samples or from the pyramid's blocks. Rows that are
// consecutive in the matrix (every channel, or a page of them in order) are
// read as one run per column, which the compiler turns into vector minimum
// and maximum; any other choice goes through the index list. std::min /
// std::max keep the running value when the sample is NaN, so missing
// samples drop out without a test.
class ExtremosFilas {
public:
    ExtremosFilas(const arma::mat& datos, const std::vector<int>& filas, const PiramideExtremos* piramide)
        : datos_(datos), filas_(filas), nFilas_(filas.size()), piramide_(piramide),
          nivelMaximo_(piramide ? PiramideExtremos::nivelMinimo + piramide->niveles() - 1 : 0),
          minimos(nFilas_), maximos(nFilas_) {
        for (std::size_t r = 1; r < nFilas_; ++r) seguidas_ = seguidas_ && filas[r] == filas[0] + static_cast<int>(r);
    }

    // [desde, hasta) as raw samples up to the first block boundary, then the
    // longest aligned blocks that fit, then raw samples after the last one.
    void tramo(int64_t desde, int64_t hasta) {
        const double infinito = std::numeric_limits<double>::infinity();
        std::fill(minimos.begin(), minimos.end(), infinito);
        std::fill(maximos.begin(), maximos.end(), -infinito);
        if (!piramide_) {
            muestras(desde, hasta);
            return;
        }
        constexpr int64_t largoMinimo = int64_t{1} << PiramideExtremos::nivelMinimo;
        int64_t s = desde;
        while (s < hasta) {
            if ((s & (largoMinimo - 1)) != 0 || s + largoMinimo > hasta) {
                const int64_t fin = std::min(hasta, (s | (largoMinimo - 1)) + 1);
                muestras(s, fin);
                s = fin;
                continue;
            }
            int nivel = PiramideExtremos::nivelMinimo;
            while (nivel < nivelMaximo_ && (s & ((int64_t{2} << nivel) - 1)) == 0 &&
                   s + (int64_t{2} << nivel) <= hasta)
                ++nivel;
            const auto bloque = static_cast<arma::uword>(s >> nivel);
            acumular(piramide_->minimos(nivel).colptr(bloque), piramide_->maximos(nivel).colptr(bloque));
            s += int64_t{1} << nivel;
        }
    }

private:
    void muestras(int64_t desde, int64_t hasta) {
        for (int64_t j = desde; j < hasta; ++j) {
            const double* columna = datos_.colptr(static_cast<arma::uword>(j));
            acumular(columna, columna);
        }
    }

    // Folds one column of extremes (raw samples, or a block's float
    // extremes) into the running ones.
    template <class T>
    void acumular(const T* columnaMin, const T* columnaMax) {
        double* mn = minimos.data();
        double* mx = maximos.data();
        if (seguidas_ && nFilas_ > 0) {
            const T* a = columnaMin + filas_[0];
            const T* b = columnaMax + filas_[0];
            for (std::size_t r = 0; r < nFilas_; ++r) {
                mn[r] = std::min(mn[r], static_cast<double>(a[r]));
                mx[r] = std::max(mx[r], static_cast<double>(b[r]));
            }
        } else {
            for (std::size_t r = 0; r < nFilas_; ++r) {
                mn[r] = std::min(mn[r], static_cast<double>(columnaMin[filas_[r]]));
                mx[r] = std::max(mx[r], static_cast<double>(columnaMax[filas_[r]]));
            }
        }
    }

    const arma::mat& datos_;
    const std::vector<int>& filas_;
    const std::size_t nFilas_;
    const PiramideExtremos* piramide_;
    const int nivelMaximo_;
    bool seguidas_ = true;

public:
    std::vector<double> minimos, maximos;  // of the last tramo, one per chosen row
};

}  // namespace

void trazarPagina(const arma::mat& datos, const std::vector<int>& filas, int64_t inicio, double muestrasPagina,
                  int pixeles, std::vector<TrazoFila>& trazos, const PiramideExtremos* piramide) {
    comprobarPagina(datos, filas, muestrasPagina, pixeles);
    if (piramide && (!piramide->sirvePara(datos) || piramide->niveles() == 0)) piramide = nullptr;
    const std::size_t nFilas = filas.size();
    trazos.resize(nFilas);
    for (TrazoFila& t : trazos) {
        t.columnas.assign(static_cast<std::size_t>(pixeles), ColumnaTrazo{});
        t.media = 0.0;
    }
    const auto n = static_cast<int64_t>(datos.n_cols);
    const int64_t c0 = std::max<int64_t>(inicio, 0);
    const int64_t c1 = std::min<int64_t>(n, inicio + static_cast<int64_t>(std::ceil(muestrasPagina)));
    const double k = pixelesPorColumna(muestrasPagina, pixeles);
    auto pixelDe = [&](int64_t c) { return static_cast<int64_t>(std::floor(static_cast<double>(c - inicio) * k)); };
    ExtremosFilas extremos(datos, filas, piramide);
    const double* mn = extremos.minimos.data();
    const double* mx = extremos.maximos.data();
    std::vector<double> sumaCentros(nFilas, 0.0);
    std::vector<int64_t> columnasConCentro(nFilas, 0);
    for (int64_t c = c0; c < c1;) {
        const int64_t px = pixelDe(c);
        if (px >= pixeles) break;
        // First column of a later pixel column: estimated, then settled
        // with pixelDe itself so that it agrees with every other mapping.
        int64_t fin = std::clamp<int64_t>(
            inicio + static_cast<int64_t>(std::ceil(static_cast<double>(px + 1) / k)), c + 1, c1);
        while (fin > c + 1 && pixelDe(fin - 1) > px) --fin;
        while (fin < c1 && pixelDe(fin) <= px) ++fin;
        extremos.tramo(c, fin);
        const double* primera = datos.colptr(static_cast<arma::uword>(c));
        const double* ultima = datos.colptr(static_cast<arma::uword>(fin - 1));
        for (std::size_t r = 0; r < nFilas; ++r) {
            if (!(mn[r] <= mx[r])) continue;  // only NaN here
            const double p = primera[filas[r]], u = ultima[filas[r]];
            const auto minimo = static_cast<float>(mn[r]), maximo = static_cast<float>(mx[r]);
            trazos[r].columnas[static_cast<std::size_t>(px)] = {
                minimo, maximo, std::isnan(p) ? minimo : static_cast<float>(p),
                std::isnan(u) ? minimo : static_cast<float>(u), false};
            // From the float extremes, which are the same with or without a
            // pyramid, so a row keeps its level once the pyramid is there.
            const double centro = 0.5 * (static_cast<double>(minimo) + static_cast<double>(maximo));
            if (std::isfinite(centro)) {
                sumaCentros[r] += centro;
                ++columnasConCentro[r];
            }
        }
        c = fin;
    }
    for (std::size_t r = 0; r < nFilas; ++r)
        if (columnasConCentro[r] > 0)
            trazos[r].media = sumaCentros[r] / static_cast<double>(columnasConCentro[r]);
}

double escalaInicial(const arma::mat& datos, const std::vector<int>& filas) {
    constexpr arma::uword tramos = 32, largoTramo = 256;
    const arma::uword n = datos.n_cols;
    if (n == 0) return 1.0;
    // Starting columns of the runs: evenly spaced, the last ending at the
    // recording's end; one run covering everything when it is short.
    std::vector<std::pair<arma::uword, arma::uword>> tramosLeidos;
    if (n <= tramos * largoTramo) {
        tramosLeidos.emplace_back(0, n);
    } else {
        const double separacion = static_cast<double>(n - largoTramo) / static_cast<double>(tramos - 1);
        for (arma::uword t = 0; t < tramos; ++t) {
            const auto desde = static_cast<arma::uword>(std::llround(separacion * static_cast<double>(t)));
            tramosLeidos.emplace_back(desde, desde + largoTramo);
        }
    }
    const arma::uword porFila = std::min(n, tramos * largoTramo);
    std::vector<int> validas;
    for (int f : filas)
        if (f >= 0 && static_cast<arma::uword>(f) < datos.n_rows) validas.push_back(f);
    // Rows go in groups of eight, the doubles of one cache line when they
    // are neighbours, through one small reused buffer: fresh memory costs
    // more to fault in than these reads.
    constexpr std::size_t grupo = 8;
    std::vector<double> valores(grupo * porFila);
    std::array<std::size_t, grupo> cuantos{};
    std::vector<double> rangos;
    for (std::size_t g = 0; g < validas.size(); g += grupo) {
        const std::size_t enGrupo = std::min(grupo, validas.size() - g);
        cuantos.fill(0);
        for (auto [desde, hasta] : tramosLeidos)
            for (arma::uword j = desde; j < hasta; ++j) {
                const double* columna = datos.colptr(j);
                for (std::size_t i = 0; i < enGrupo; ++i)
                    if (const double v = columna[validas[g + i]]; std::isfinite(v))
                        valores[i * porFila + cuantos[i]++] = v;
            }
        for (std::size_t i = 0; i < enGrupo; ++i) {
            if (cuantos[i] < 2) continue;
            const auto v = valores.begin() + static_cast<std::ptrdiff_t>(i * porFila);
            const auto q1 = static_cast<std::ptrdiff_t>((cuantos[i] - 1) / 4);
            const auto q3 = static_cast<std::ptrdiff_t>(3 * (cuantos[i] - 1) / 4);
            std::nth_element(v, v + q3, v + static_cast<std::ptrdiff_t>(cuantos[i]));
            std::nth_element(v, v + q1, v + q3);
            rangos.push_back(v[q3] - v[q1]);
        }
    }
    if (rangos.empty()) return 1.0;
    std::sort(rangos.begin(), rangos.end());
    const std::size_t m = rangos.size();
    const double mediana = m % 2 ? rangos[m / 2] : 0.5 * (rangos[m / 2 - 1] + rangos[m / 2]);
    const double escala = 3.0 * mediana;
    if (!(escala > 0.0) || !std::isfinite(escala)) return 1.0;
    return valorEscalon(escalonDesde(escala));
}

double escalonEscala(double escala, int pasos) {
    if (!(escala > 0.0) || !std::isfinite(escala)) return 1.0;
    const double r = valorEscalon(escalonDesde(escala) + pasos);
    return std::isfinite(r) && r > 0.0 ? r : escala;
}

std::string textoTipoEvento(const Evento& e, const TablaEventos&) {
    return std::to_string(e.tipo) + "." + std::to_string(e.calificador);
}

std::vector<MarcaEvento> marcasEventos(const TablaEventos& tabla, int64_t inicio, double muestrasPagina, int pixeles) {
    std::vector<MarcaEvento> r;
    if (pixeles < 1 || !(muestrasPagina > 0.0)) return r;
    for (const Evento& e : tabla.eventos) {
        if (e.posicion < inicio) continue;
        const int64_t px = pixelDeColumna(static_cast<double>(e.posicion), inicio, muestrasPagina, pixeles);
        if (px >= pixeles) continue;
        r.push_back({px, e.rojo, e.verde, e.azul, textoTipoEvento(e, tabla)});
    }
    return r;
}

std::string textoTiempo(double segundos, int decimales, bool minutos) {
    if (!minutos) return numeroFijo(segundos, decimales) + " s";
    // Round once at the shown precision so 59.96 s becomes 1:00.0, not 0:60.0.
    const double escalaDecimal = std::pow(10.0, decimales);
    const double absoluto = std::round(std::abs(segundos) * escalaDecimal) / escalaDecimal;
    const auto m = static_cast<int64_t>(std::floor(absoluto / 60.0));
    const double s = absoluto - 60.0 * static_cast<double>(m);
    std::string ss = numeroFijo(s, decimales);
    if (s < 10.0) ss = "0" + ss;
    return (segundos < 0 && absoluto > 0 ? "-" : "") + std::to_string(m) + ":" + ss;
}

std::vector<MarcaTiempo> marcasTiempo(double tInicio, double segundos, int pixeles, int separacionMinima) {
    std::vector<MarcaTiempo> r;
    if (pixeles < 1 || !(segundos > 0.0)) return r;
    static constexpr double largos[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 18000, 36000};
    const double minimo = segundos * separacionMinima / pixeles;
    double paso = 0.0;
    if (minimo <= 1.0) {
        paso = valorEscalon(escalonDesde(std::max(minimo, 1e-6)));
    } else {
        paso = largos[std::size(largos) - 1];
        for (double l : largos)
            if (l >= minimo) {
                paso = l;
                break;
            }
    }
    const int decimales = paso >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(paso) - 1e-9));
    const double tFin = tInicio + segundos;
    const bool minutos = std::max(std::abs(tInicio), std::abs(tFin)) >= 60.0;
    for (auto k = static_cast<int64_t>(std::ceil(tInicio / paso - 1e-9)); k * paso <= tFin + 1e-9 * paso; ++k) {
        const double t = static_cast<double>(k) * paso;
        const auto px = static_cast<int64_t>(std::floor((t - tInicio) / segundos * pixeles + 1e-9));
        if (px < 0 || px >= pixeles) continue;
        r.push_back({px, textoTiempo(t, decimales, minutos)});
    }
    return r;
}

int64_t puntosGrafico(int64_t canales, int64_t muestras, int64_t eventos) {
    const int64_t tope = std::numeric_limits<int64_t>::max() / 4;
    if (canales > 0 && muestras > tope / canales) return tope;
    return std::max<int64_t>(canales, 0) * std::max<int64_t>(muestras, 0) + 2 * std::max<int64_t>(eventos, 0);
}

std::string motivoGraficoExcesivo(int64_t puntos) {
    if (puntos <= maximoPuntosGrafico) return {};
    return "Este gráfico necesitaría " + std::to_string(puntos) + " puntos, más de los " +
           std::to_string(maximoPuntosGrafico) +
           " que caben en memoria con holgura. Use \"explorar rama seleccionada\" en el menú representar para ver "
           "esta rama.";
}

Exploracion::Exploracion(int64_t columnas, int frecuencia, double tiempoPrimeraColumna, int numeroCanales)
    : columnas_(columnas), frecuencia_(frecuencia), t0_(tiempoPrimeraColumna), numeroCanales_(numeroCanales) {
    if (frecuencia <= 0 || columnas <= 0 || numeroCanales <= 0)
        throw std::invalid_argument("rama vacia o sin frecuencia (" + std::to_string(numeroCanales) +
                                    " canales, " + std::to_string(columnas) + " muestras, " +
                                    std::to_string(frecuencia) + " Hz)");
    fijarCanales({});
    fijarSegundosPagina(10.0);
}

double Exploracion::tiempoPrimeraColumnaDe(const EEG& eeg) { return eeg.tieneEventos() ? 0.0 : -eeg.tiempoInicio; }

std::vector<int> Exploracion::filasPagina() const {
    const auto desde = static_cast<std::size_t>(primeraFila_);
    const std::size_t hasta = std::min(canales_.size(), desde + static_cast<std::size_t>(filasPorPagina_));
    return {canales_.begin() + static_cast<std::ptrdiff_t>(desde), canales_.begin() + static_cast<std::ptrdiff_t>(hasta)};
}

int64_t Exploracion::ultimaColumnaInicio() const {
    const auto ancho = static_cast<int64_t>(std::ceil(muestrasPagina() - 1e-9));
    return std::max<int64_t>(0, columnas_ - ancho);
}

void Exploracion::irAColumna(int64_t columna) { inicio_ = std::clamp<int64_t>(columna, 0, ultimaColumnaInicio()); }

void Exploracion::desplazarPaginas(double paginas) {
    irAColumna(inicio_ + static_cast<int64_t>(std::llround(paginas * muestrasPagina())));
}

void Exploracion::irATiempo(double segundos) {
    if (!std::isfinite(segundos)) return;
    const double columna = std::clamp((segundos - t0_) * frecuencia_, -1.0, static_cast<double>(columnas_));
    irAColumna(static_cast<int64_t>(std::llround(columna)));
}

void Exploracion::irAlFinal() { irAColumna(ultimaColumnaInicio()); }

void Exploracion::fijarSegundosPagina(double segundos) {
    if (!(segundos > 0.0) || !std::isfinite(segundos)) return;
    // At least two samples wide, at most the whole recording.
    segundosPagina_ = std::min(std::max(segundos, 2.0 / frecuencia_), duracion());
    irAColumna(inicio_);
}

void Exploracion::fijarCanales(const std::vector<int>& canales) {
    canales_.clear();
    for (int c : canales)
        if (c >= 0 && c < numeroCanales_) canales_.push_back(c);
    if (canales_.empty())
        for (int c = 0; c < numeroCanales_; ++c) canales_.push_back(c);
    fijarFilasPorPagina(filasDeseadas_);
}

int filasQueCaben(int altoPixeles, int maximo, int altoMinimoFila) {
    return std::clamp(altoPixeles / std::max(altoMinimoFila, 1), 1, std::max(maximo, 1));
}

void Exploracion::fijarFilasPorPagina(int n) {
    filasDeseadas_ = std::max(n, 1);
    filasPorPagina_ = std::min(filasDeseadas_, static_cast<int>(canales_.size()));
    paginaCanales(0);
}

void Exploracion::paginaCanales(int paso) {
    const int ultima = std::max(0, static_cast<int>(canales_.size()) - filasPorPagina_);
    primeraFila_ = std::clamp(primeraFila_ + paso * filasPorPagina_, 0, ultima);
}

void Exploracion::fijarEscala(double escala) {
    if (escala > 0.0 && std::isfinite(escala)) escala_ = escala;
}

std::vector<bool> filasMalasPagina(const EEG& eeg, const std::vector<int>& filas) {
    const std::vector<arma::uword> malas = filasCanalesMalos(eeg);
    std::vector<bool> r(filas.size(), false);
    for (std::size_t i = 0; i < filas.size(); ++i)
        r[i] = filas[i] >= 0 && std::find(malas.begin(), malas.end(), static_cast<arma::uword>(filas[i])) != malas.end();
    return r;
}
