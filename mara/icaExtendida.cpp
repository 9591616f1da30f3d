#include "mara/icaExtendida.h"

#include <algorithm>
#include <functional>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/diagnostico.h"
#include "io/textoNumero.h"
#include "mara/icaExtendidaBloque.h"
#include "mara/icaExtendidaDetalle.h"

namespace icaDetalle {

namespace {

constexpr double etaMinimo = 1e-6;
constexpr double etaMaximo = 0.1;
constexpr double radianesAGrados = 57.29577951308232;
constexpr double anguloRecocido = 60.0;
constexpr double factorRecocido = 0.98;
constexpr double limitePesos = 1e8;
constexpr double limiteCambio = 1e9;
constexpr double factorCambio = 0.8;
constexpr double factorReinicio = 0.9;
constexpr double sesgoSigno = 0.02;
constexpr double momentoCurtosis = 0.5;
constexpr int pasadasEstables = 25;

// Kurtosis slices: large enough for an efficient product (and for BLAS threads
// to gain), small enough that a slice's activations stay in cache.
constexpr arma::uword columnasTramo = 1000;

// OpenBLAS's thread count, looked up at run time so the core links against any
// BLAS. The block products (Q x C by C x B, B about 50) are far too small to
// gain from threads, and a product or decomposition split over threads rounds
// differently, which training then amplifies: sphering and passes run on one
// thread whatever the caller chose, so a seed gives the same weights on any
// machine. The kurtosis products, over thousands of samples, get the caller's
// threads back (only the signs of the kurtosis reach the weights).
class UnHiloBLAS {
public:
    UnHiloBLAS() {
        fijar_ = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "openblas_set_num_threads"));
        const auto leer = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "openblas_get_num_threads"));
        previos_ = fijar_ && leer ? leer() : 1;
        fijar();
    }
    ~UnHiloBLAS() { liberar(); }
    UnHiloBLAS(const UnHiloBLAS&) = delete;
    UnHiloBLAS& operator=(const UnHiloBLAS&) = delete;
    void fijar() {
        if (previos_ > 1) fijar_(1);
    }
    void liberar() {
        if (previos_ > 1) fijar_(previos_);
    }

private:
    void (*fijar_)(int) = nullptr;
    int previos_ = 1;
};

// Every failure leaves one diagnostic line before throwing.
[[noreturn]] void fallar(const std::string& linea, const std::string& texto) {
    diagnostico(linea);
    throw std::runtime_error(texto);
}

std::string formatoF(double valor) { return textoFijo(valor, 6); }

// Copies the columns `indices[0..n)` of `origen` into the first n columns of
// `destino` (already sized); columns are contiguous in column-major storage.
void copiarColumnas(const arma::mat& origen, const arma::uword* indices, arma::uword n,
                    arma::mat& destino) {
    const arma::uword filas = origen.n_rows;
    for (arma::uword j = 0; j < n; ++j)
        std::memcpy(destino.colptr(j), origen.colptr(indices[j]), filas * sizeof(double));
}

// Component type per row: +1 super-Gaussian, -1 sub-Gaussian; the sign of
// k + 0.02, with exact zero (which would give 0/0) taken as super-Gaussian.
double signoDe(double s) { return s < 0.0 ? -1.0 : 1.0; }

[[noreturn]] void fallarPorRango(arma::uword rango, int Q) {
    fallar("no se pueden calcular tantas componentes, los datos no tienen tantas",
           "Error ICA, no se pueden calcular " + std::to_string(Q) +
               " componentes, los datos recibidos solo tienen " + std::to_string(rango) + " componentes");
}

}  // namespace

double ratioAprendizaje(double eta, arma::uword canales) {
    if (eta >= etaMinimo && eta <= etaMaximo) return eta;
    return 0.00065 / std::log(static_cast<double>(std::max<arma::uword>(canales, 2)));
}

int tamanoBloque(arma::uword muestras) {
    const double T = static_cast<double>(muestras);
    const double bloque = std::ceil(std::min(5.0 * std::log(T), 0.3 * T));
    if (!(bloque >= 0.0)) return 0;  // T = 0 gives -inf
    return static_cast<int>(std::min(bloque, static_cast<double>(std::numeric_limits<int>::max())));
}

double toleranciaParada(int componentes) { return componentes > 32 ? 1e-7 : 1e-6; }

uint32_t semillaDelReloj() {
    return static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)) * 100u);
}

double GeneradorICA::uniforme() {
    const uint64_t alto = motor_() >> 5;  // 27 bits
    const uint64_t bajo = motor_() >> 6;  // 26 bits
    return static_cast<double>((alto << 26) | bajo) * 0x1.0p-53;
}

arma::uword GeneradorICA::posicion(arma::uword n) {
    const auto p = static_cast<arma::uword>(static_cast<double>(n) * uniforme());
    return std::min(p, n - 1);  // guards the rounding of n * r up to n
}

void GeneradorICA::permutacion(std::vector<arma::uword>& orden) {
    const arma::uword n = orden.size();
    for (arma::uword i = 0; i < n; ++i) orden[i] = i;
    for (arma::uword i = n; i > 1; --i) std::swap(orden[i - 1], orden[posicion(i)]);
}

bool curtosisConTodas(arma::uword muestras) { return muestras <= muestrasCurtosis; }

void sortearPosicionesCurtosis(arma::uword muestras, GeneradorICA& generador,
                               std::vector<arma::uword>& posiciones) {
    posiciones.resize(muestrasCurtosis);
    for (auto& p : posiciones) p = generador.posicion(muestras);
    for (auto& p : posiciones)
        while (p == 0) p = generador.posicion(muestras);
}

arma::uword rangoNumerico(const arma::mat& datos) {
    if (datos.is_empty()) return 0;
    const arma::vec s = arma::svd(datos);
    const double sMax = s.max();
    if (!(sMax > 0.0)) return 0;
    const double tolerancia = static_cast<double>(std::max(datos.n_rows, datos.n_cols)) *
                              std::ldexp(1.0, static_cast<int>(std::floor(std::log2(sMax))) - 52);
    return arma::accu(s > tolerancia);
}

void comprobarReinicio(double eta, arma::uword rango, int Q) {
    if (eta <= etaMinimo)
        fallar("fallo con la matriz de pesos, no es invertible",
               "Error ICA, el ratio de aprendizaje se ha ido bajando para mejorar el calculo de ICA, y ha "
               "bajado el minimo establecido. Se considera que la matriz de pesos no es invertible.");
    if (rango < static_cast<arma::uword>(Q)) fallarPorRango(rango, Q);
}

InformeICA icaExtendidaInforme(arma::mat datos, arma::mat& pesosSalida, arma::mat& esferaSalida,
                               double etaPedido, int Q, std::optional<uint32_t> semilla, const Avance& avance) {
    // The outputs are written only on success.
    arma::mat pesos, esfera;
    const arma::uword C = datos.n_rows;
    const arma::uword T = datos.n_cols;
    InformeICA informe;

    double eta = ratioAprendizaje(etaPedido, C);
    const int B = tamanoBloque(T);

    if (T < C)
        fallar("Error en ICA, hay mas canales que muestras",
               "Error en mara, hay mas canales (" + std::to_string(C) + ") que muestras (" +
                   std::to_string(T) + ")");
    if (B < 2)
        fallar("Error en ICA, el tamaño de bloque " + std::to_string(B) + " es demasiado pequeño",
               "Error en mara, numero bajo de bloques (" + std::to_string(B) +
                   "). para aumentar el numero de bloques se deberia aumentar el numero de muestras, el "
                   "calculo de numero de bloques se calcula quedandose con la parte entera del resultado "
                   "de la formula siguiente:  min(5*log(numeroMuestras), 0.3*numeroMuestras)");
    if (Q < 1)
        fallar("Error ICA, there can be at most " + std::to_string(Q) + " sub-Gaussian components!",
               "Error en ICA, se quiere calcular con " + std::to_string(Q) +
                   " componentes, pero el minimo es " + formatoF(1.0));
    // The final ordering pairs component j with channel j, so any other count
    // could only fail after the whole training: refuse it now.
    if (static_cast<arma::uword>(Q) != C)
        fallar("Error en ICA, el número de componentes debe ser igual al número de canales",
               "Error en ICA, se quiere calcular con " + std::to_string(Q) +
                   " componentes, pero los datos tienen " + std::to_string(C) +
                   " canales; el número de componentes debe ser igual al número de canales");
    // A single NaN or infinity would silently poison every weight.
    if (!datos.is_finite()) {
        const arma::uword i = arma::uvec(arma::find_nonfinite(datos)).at(0);
        fallar("Error en ICA, los datos contienen valores no finitos",
               "Error en ICA, los datos contienen un valor no finito (NaN o infinito) en el canal " +
                   std::to_string(i % C + 1) + ", muestra " + std::to_string(i / C + 1));
    }

    UnHiloBLAS unHilo;
    datos.each_col() -= arma::mean(datos, 1);
    // Rank-deficient data (a channel that is a combination of others, as after
    // an average reference) have a singular covariance: its inverse square
    // root would fail, or amplify rounding noise into a spurious component.
    // Refuse them with the rank message before sphering.
    if (const arma::uword rangoEntrada = rangoNumerico(datos); rangoEntrada < static_cast<arma::uword>(Q))
        fallarPorRango(rangoEntrada, Q);

    const double tolerancia = toleranciaParada(Q);
    informe.tamanoBloque = B;
    informe.tolerancia = tolerancia;
    informe.etaInicial = eta;

    esfera = 2.0 * arma::real(arma::inv(arma::sqrtmat(arma::cov(datos.t()))));
    pesos = arma::eye(Q, C);
    datos = esfera * datos;

    const arma::uword Bu = static_cast<arma::uword>(B);
    const arma::uword ultimoInicio = T - T % Bu - Bu;
    const bool conTodas = curtosisConTodas(T);
    informe.curtosisConTodas = conTodas;

    informe.semilla = semilla ? *semilla : semillaDelReloj();
    GeneradorICA generador(informe.semilla);

    // Working state.
    const arma::mat pesosIniciales = pesos;
    arma::mat pesosRef = pesosIniciales;
    arma::vec sesgo(Q, arma::fill::zeros);
    arma::vec signos(Q, arma::fill::ones);  // diagonal of G
    signos(0) = -1.0;                       // component 0 starts as sub-Gaussian
    arma::vec signosPrev(Q, arma::fill::zeros);
    arma::vec kPrev(Q, arma::fill::zeros);
    arma::vec d(Q * C, arma::fill::zeros), dRef(Q * C, arma::fill::zeros);
    double c = 0.0, cRef = 0.0;
    int p = 0;
    long contadorBloques = 1;
    int estabilidad = 0;
    long intervaloCurtosis = 1;
    bool explotado = false;
    std::optional<arma::uword> rango;  // of the sphered data, computed at the first restart

    // Buffers reused by every block, so no pass allocates anything.
    std::vector<arma::uword> orden(T);
    std::vector<arma::uword> posiciones;
    arma::mat bloque(C, Bu), u(Q, Bu), y(Q, Bu), M(Q, Q), MW(Q, C);
    arma::vec sumaY(Q);
    // Kurtosis works through the samples in slices of columnasTramo: each
    // slice's activations stay in cache and are reduced at once, instead of
    // copying the whole sub-sample and squaring full matrices.
    const arma::uword muestrasEstimacion = conTodas ? T : muestrasCurtosis;
    const arma::uword anchoTramo = std::min(columnasTramo, muestrasEstimacion);
    arma::mat tramo(C, conTodas ? 0 : anchoTramo), act(Q, anchoTramo);
    arma::vec m2(Q), m4(Q), k(Q);

    auto reiniciar = [&] {
        ++informe.reinicios;
        eta *= factorReinicio;
        p = 0;
        contadorBloques = 1;
        explotado = false;
        pesos = pesosIniciales;
        pesosRef = pesosIniciales;
        d.zeros();
        dRef.zeros();
        intervaloCurtosis = 1;
        sesgo.zeros();
        signos.ones();
        signos(0) = -1.0;
        signosPrev.zeros();
        if (!rango) rango = rangoNumerico(datos);
        comprobarReinicio(eta, *rango, Q);
    };

    // Fourth and squared second moments of weights x (the sub-sample).
    auto estimarCurtosis = [&] {
        m2.zeros();
        m4.zeros();
        if (!conTodas) sortearPosicionesCurtosis(T, generador, posiciones);
        for (arma::uword inicio = 0; inicio < muestrasEstimacion; inicio += anchoTramo) {
            const arma::uword n = std::min(anchoTramo, muestrasEstimacion - inicio);
            // Views over existing memory: the slice of the data itself, or the
            // gathered columns; the product goes straight into `act`.
            double* origen = datos.colptr(inicio);
            if (!conTodas) {
                copiarColumnas(datos, posiciones.data() + inicio, n, tramo);
                origen = tramo.memptr();
            }
            const arma::mat vista(origen, C, n, false, true);
            arma::mat destino(act.memptr(), Q, n, false, true);
            destino = pesos * vista;
            acumularMomentos(act.memptr(), Q, n, m2.memptr(), m4.memptr());
        }
        const double muestrasD = static_cast<double>(muestrasEstimacion);
        m2 = arma::square(m2 / muestrasD);
        m4 /= muestrasD;
        k = m4 / m2 - 3.0;
        k = momentoCurtosis * k + (1.0 - momentoCurtosis) * kPrev;
        kPrev = k;
        for (int i = 0; i < Q; ++i) signos(i) = signoDe(k(i) + sesgoSigno);
        if (arma::approx_equal(signos, signosPrev, "absdiff", 0.0))
            ++estabilidad;
        else
            estabilidad = 0;
        signosPrev = signos;
        if (estabilidad >= pasadasEstables) {
            intervaloCurtosis *= 2;
            estabilidad = 0;
        }
    };

    // Progress: passes done out of the maximum, with the blocks of the pass
    // under way; a restart starts the passes again but never moves the
    // reported fraction back.
    const Avance etapa = avance.tramo(0.0, 1.0, "ICA");
    etapa(0.0);
    double hecho = 0.0;
    const double bloquesPasada = static_cast<double>(ultimoInicio / Bu + 1);
    const auto informar = [&](double pasadas) {
        hecho = std::max(hecho, pasadas / pasadasMaximas);
        etapa(hecho);
    };
    const arma::uword elementosPesos = pesos.n_elem;
    while (p < pasadasMaximas) {
        generador.permutacion(orden);
        // weights + eta (B I - M) weights, with M = G y u' + u u' = (G y + u) u'
        // (one product instead of two).
        const double escalaPasada = 1.0 + eta * static_cast<double>(B);
        for (arma::uword t = 0; t <= ultimoInicio; t += Bu) {
            copiarColumnas(datos, orden.data() + t, Bu, bloque);
            u = pesos * bloque;
            nolinealidadBloque(u.memptr(), sesgo.memptr(), signos.memptr(), Q, Bu, y.memptr(), sumaY.memptr());
            M = y * u.t();
            MW = M * pesos;
            const bool sano = actualizarPesos(pesos.memptr(), MW.memptr(), elementosPesos, escalaPasada, eta, limitePesos);
            sesgo -= (2.0 * eta) * sumaY;

            if (!sano) {
                explotado = true;
                ++contadorBloques;
                break;
            }

            if (intervaloCurtosis > 0 && contadorBloques % intervaloCurtosis == 0) {
                ++informe.estimacionesCurtosis;
                unHilo.liberar();
                estimarCurtosis();
                unHilo.fijar();
            }
            ++contadorBloques;
            if (etapa.activo()) informar(p + static_cast<double>(t / Bu + 1) / bloquesPasada);
        }

        if (explotado) {
            ++informe.pasadasTotales;
            reiniciar();
            continue;
        }

        ++p;
        ++informe.pasadasTotales;
        informar(p);
        std::transform(pesos.begin(), pesos.end(), pesosRef.begin(), d.begin(), std::minus<double>());
        c = arma::dot(d, d);
        if (!std::isfinite(c)) {
            reiniciar();
            continue;
        }
        double angulo = 0.0;
        // Rounding can put the cosine just outside [-1, 1]; clamp it so that
        // (anti)parallel changes give 0 or 180 degrees rather than NaN.
        if (p >= 2) angulo = std::acos(std::clamp(arma::dot(d, dRef) / std::sqrt(c * cRef), -1.0, 1.0));
        pesosRef = pesos;
        if (radianesAGrados * angulo > anguloRecocido) {
            eta *= factorRecocido;
            dRef = d;
            cRef = c;
        } else if (p == 1) {
            dRef = d;
            cRef = c;
        }
        if (p >= 2 && c < tolerancia) {
            informe.convergio = true;
            informe.pasadas = p;
            p = pasadasMaximas;
        } else if (c > limiteCambio) {
            eta *= factorCambio;
        }
    }
    if (!informe.convergio) informe.pasadas = pasadasMaximas;
    informe.etaFinal = eta;

    // Q == C here, so the plain inverse.
    const arma::mat inversa = arma::inv(pesos * esfera);
    const arma::rowvec medida = arma::sum(arma::square(inversa), 0) %
                                arma::sum(arma::square(datos), 1).t() /
                                (static_cast<double>(C) * static_cast<double>(T) - 1.0);
    const arma::uvec ordenFinal = arma::sort_index(medida, "descend");
    pesosSalida = pesos.rows(ordenFinal);
    esferaSalida = std::move(esfera);
    return informe;
}

}  // namespace icaDetalle

void icaExtendida(arma::mat datos, arma::mat& pesos, arma::mat& esfera, double eta, int Q,
                  std::optional<uint32_t> semilla, const Avance& avance) {
    icaDetalle::icaExtendidaInforme(std::move(datos), pesos, esfera, eta, Q, semilla, avance);
}
