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

namespace {

// The refusals that would otherwise come only after training, or never.
void comprobarDatosICA(const arma::mat& datos, int B, int Q) {
    const arma::uword C = datos.n_rows;
    const arma::uword T = datos.n_cols;
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
}

// The training over sphered data: the weights, the bias, the component
// types and the learning rate, with the buffers every block reuses (so no
// pass allocates anything). entrenar() runs the passes, with restarts, until
// convergence or the maximum; the informe gathers what happened.
class EntrenamientoICA {
public:
    EntrenamientoICA(const arma::mat& datos, int Q, int B, double eta, InformeICA& informe, UnHiloBLAS& unHilo)
        : datos_(datos), C_(datos.n_rows), T_(datos.n_cols), Q_(Q), B_(B), Bu_(static_cast<arma::uword>(B)),
          ultimoInicio_(T_ - T_ % Bu_ - Bu_), conTodas_(curtosisConTodas(T_)), tolerancia_(toleranciaParada(Q)),
          eta_(eta), informe_(informe), unHilo_(unHilo), generador_(informe.semilla),
          pesosIniciales_(arma::eye(Q, C_)), pesos_(pesosIniciales_), pesosRef_(pesosIniciales_),
          sesgo_(Q, arma::fill::zeros), signos_(Q, arma::fill::ones), signosPrev_(Q, arma::fill::zeros),
          kPrev_(Q, arma::fill::zeros), d_(Q * C_, arma::fill::zeros), dRef_(Q * C_, arma::fill::zeros),
          orden_(T_), bloque_(C_, Bu_), u_(Q, Bu_), y_(Q, Bu_), M_(Q, Q), MW_(Q, C_), sumaY_(Q),
          muestrasEstimacion_(conTodas_ ? T_ : muestrasCurtosis),
          anchoTramo_(std::min(columnasTramo, muestrasEstimacion_)),
          tramo_(C_, conTodas_ ? 0 : anchoTramo_), act_(Q, anchoTramo_), m2_(Q), m4_(Q), k_(Q) {
        signos_(0) = -1.0;  // component 0 starts as sub-Gaussian
        informe_.curtosisConTodas = conTodas_;
    }

    const arma::mat& pesos() const { return pesos_; }
    double eta() const { return eta_; }

    void entrenar(const Avance& avance) {
        // Progress: passes done out of the maximum, with the blocks of the
        // pass under way; a restart starts the passes again but never moves
        // the reported fraction back.
        const Avance etapa = avance.tramo(0.0, 1.0, "ICA");
        etapa(0.0);
        double hecho = 0.0;
        const double bloquesPasada = static_cast<double>(ultimoInicio_ / Bu_ + 1);
        const auto informar = [&](double pasadas) {
            hecho = std::max(hecho, pasadas / pasadasMaximas);
            etapa(hecho);
        };
        while (p_ < pasadasMaximas) {
            pasadaDeBloques(etapa, informar, bloquesPasada);
            if (explotado_) {
                ++informe_.pasadasTotales;
                reiniciar();
                continue;
            }
            ++p_;
            ++informe_.pasadasTotales;
            informar(p_);
            cerrarPasada();
        }
        if (!informe_.convergio) informe_.pasadas = pasadasMaximas;
    }

private:
    // One pass over the blocks of a fresh permutation; stops at the first
    // block whose weights blow up (explotado_).
    template <class Informar>
    void pasadaDeBloques(const Avance& etapa, const Informar& informar, double bloquesPasada) {
        generador_.permutacion(orden_);
        // weights + eta (B I - M) weights, with M = G y u' + u u' = (G y + u) u'
        // (one product instead of two).
        const double escalaPasada = 1.0 + eta_ * static_cast<double>(B_);
        const arma::uword elementosPesos = pesos_.n_elem;
        for (arma::uword t = 0; t <= ultimoInicio_; t += Bu_) {
            copiarColumnas(datos_, orden_.data() + t, Bu_, bloque_);
            u_ = pesos_ * bloque_;
            nolinealidadBloque(u_.memptr(), sesgo_.memptr(), signos_.memptr(), Q_, Bu_, y_.memptr(),
                               sumaY_.memptr());
            M_ = y_ * u_.t();
            MW_ = M_ * pesos_;
            const bool sano =
                actualizarPesos(pesos_.memptr(), MW_.memptr(), elementosPesos, escalaPasada, eta_, limitePesos);
            sesgo_ -= (2.0 * eta_) * sumaY_;

            if (!sano) {
                explotado_ = true;
                ++contadorBloques_;
                return;
            }

            if (intervaloCurtosis_ > 0 && contadorBloques_ % intervaloCurtosis_ == 0) {
                ++informe_.estimacionesCurtosis;
                unHilo_.liberar();
                estimarCurtosis();
                unHilo_.fijar();
            }
            ++contadorBloques_;
            if (etapa.activo()) informar(p_ + static_cast<double>(t / Bu_ + 1) / bloquesPasada);
        }
    }

    // After a whole pass: the weight change, annealing and the stop rule.
    void cerrarPasada() {
        std::transform(pesos_.begin(), pesos_.end(), pesosRef_.begin(), d_.begin(), std::minus<double>());
        c_ = arma::dot(d_, d_);
        if (!std::isfinite(c_)) {
            reiniciar();
            return;
        }
        double angulo = 0.0;
        // Rounding can put the cosine just outside [-1, 1]; clamp it so that
        // (anti)parallel changes give 0 or 180 degrees rather than NaN.
        if (p_ >= 2) angulo = std::acos(std::clamp(arma::dot(d_, dRef_) / std::sqrt(c_ * cRef_), -1.0, 1.0));
        pesosRef_ = pesos_;
        if (radianesAGrados * angulo > anguloRecocido) {
            eta_ *= factorRecocido;
            dRef_ = d_;
            cRef_ = c_;
        } else if (p_ == 1) {
            dRef_ = d_;
            cRef_ = c_;
        }
        if (p_ >= 2 && c_ < tolerancia_) {
            informe_.convergio = true;
            informe_.pasadas = p_;
            p_ = pasadasMaximas;
        } else if (c_ > limiteCambio) {
            eta_ *= factorCambio;
        }
    }

    void reiniciar() {
        ++informe_.reinicios;
        eta_ *= factorReinicio;
        p_ = 0;
        contadorBloques_ = 1;
        explotado_ = false;
        pesos_ = pesosIniciales_;
        pesosRef_ = pesosIniciales_;
        d_.zeros();
        dRef_.zeros();
        intervaloCurtosis_ = 1;
        sesgo_.zeros();
        signos_.ones();
        signos_(0) = -1.0;
        signosPrev_.zeros();
        if (!rango_) rango_ = rangoNumerico(datos_);
        comprobarReinicio(eta_, *rango_, Q_);
    }

    // Fourth and squared second moments of weights x (the sub-sample). Kurtosis
    // works through the samples in slices: each slice's activations stay in
    // cache and are reduced at once, instead of copying the whole sub-sample
    // and squaring full matrices.
    void estimarCurtosis() {
        m2_.zeros();
        m4_.zeros();
        if (!conTodas_) sortearPosicionesCurtosis(T_, generador_, posiciones_);
        for (arma::uword inicio = 0; inicio < muestrasEstimacion_; inicio += anchoTramo_) {
            const arma::uword n = std::min(anchoTramo_, muestrasEstimacion_ - inicio);
            // Views over existing memory: the slice of the data itself, or the
            // gathered columns; the product goes straight into `act_`.
            const double* origen = datos_.colptr(inicio);
            if (!conTodas_) {
                copiarColumnas(datos_, posiciones_.data() + inicio, n, tramo_);
                origen = tramo_.memptr();
            }
            const arma::mat vista(const_cast<double*>(origen), C_, n, false, true);
            arma::mat destino(act_.memptr(), Q_, n, false, true);
            destino = pesos_ * vista;
            acumularMomentos(act_.memptr(), Q_, n, m2_.memptr(), m4_.memptr());
        }
        const double muestrasD = static_cast<double>(muestrasEstimacion_);
        m2_ = arma::square(m2_ / muestrasD);
        m4_ /= muestrasD;
        k_ = m4_ / m2_ - 3.0;
        k_ = momentoCurtosis * k_ + (1.0 - momentoCurtosis) * kPrev_;
        kPrev_ = k_;
        for (int i = 0; i < Q_; ++i) signos_(i) = signoDe(k_(i) + sesgoSigno);
        if (arma::approx_equal(signos_, signosPrev_, "absdiff", 0.0))
            ++estabilidad_;
        else
            estabilidad_ = 0;
        signosPrev_ = signos_;
        if (estabilidad_ >= pasadasEstables) {
            intervaloCurtosis_ *= 2;
            estabilidad_ = 0;
        }
    }

    const arma::mat& datos_;
    const arma::uword C_, T_;
    const int Q_, B_;
    const arma::uword Bu_, ultimoInicio_;
    const bool conTodas_;
    const double tolerancia_;
    double eta_;
    InformeICA& informe_;
    UnHiloBLAS& unHilo_;
    GeneradorICA generador_;

    const arma::mat pesosIniciales_;
    arma::mat pesos_, pesosRef_;
    arma::vec sesgo_, signos_ /* diagonal of G */, signosPrev_, kPrev_;
    arma::vec d_, dRef_;
    double c_ = 0.0, cRef_ = 0.0;
    int p_ = 0;
    long contadorBloques_ = 1;
    int estabilidad_ = 0;
    long intervaloCurtosis_ = 1;
    bool explotado_ = false;
    std::optional<arma::uword> rango_;  // of the sphered data, computed at the first restart

    std::vector<arma::uword> orden_, posiciones_;
    arma::mat bloque_, u_, y_, M_, MW_;
    arma::vec sumaY_;
    const arma::uword muestrasEstimacion_, anchoTramo_;
    arma::mat tramo_, act_;
    arma::vec m2_, m4_, k_;
};

}  // namespace

InformeICA icaExtendidaInforme(arma::mat datos, arma::mat& pesosSalida, arma::mat& esferaSalida,
                               double etaPedido, int Q, std::optional<uint32_t> semilla, const Avance& avance) {
    // The outputs are written only on success.
    const arma::uword C = datos.n_rows;
    const arma::uword T = datos.n_cols;
    InformeICA informe;
    const double eta = ratioAprendizaje(etaPedido, C);
    const int B = tamanoBloque(T);
    comprobarDatosICA(datos, B, Q);

    UnHiloBLAS unHilo;
    datos.each_col() -= arma::mean(datos, 1);
    // Rank-deficient data (a channel that is a combination of others, as after
    // an average reference) have a singular covariance: its inverse square
    // root would fail, or amplify rounding noise into a spurious component.
    // Refuse them with the rank message before sphering.
    if (const arma::uword rangoEntrada = rangoNumerico(datos); rangoEntrada < static_cast<arma::uword>(Q))
        fallarPorRango(rangoEntrada, Q);

    informe.tamanoBloque = B;
    informe.tolerancia = toleranciaParada(Q);
    informe.etaInicial = eta;

    arma::mat esfera = 2.0 * arma::real(arma::inv(arma::sqrtmat(arma::cov(datos.t()))));
    datos = esfera * datos;
    informe.semilla = semilla ? *semilla : semillaDelReloj();

    EntrenamientoICA entrenamiento(datos, Q, B, eta, informe, unHilo);
    entrenamiento.entrenar(avance);
    informe.etaFinal = entrenamiento.eta();
    const arma::mat& pesos = entrenamiento.pesos();

    // Components by the variance they explain, largest first (Q == C here,
    // so the plain inverse).
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
