#include "mara/modelo/senalesSimuladas.h"

#include <cmath>
#include <functional>

#include "mara/modelo/parametrosSimulacion.h"

namespace P = parametrosSimulacion;

namespace {

constexpr double kPi = 3.14159265358979323846;

arma::rowvec normalizada(arma::rowvec x) {
    x -= arma::mean(x);
    const double s = arma::stddev(x);
    return s > 0.0 ? arma::rowvec(x / s) : x;
}

// White noise shaped in the frequency domain by a real amplitude gain of the
// (non-negative) frequency of each bin.
arma::rowvec ruidoFiltrado(AzarSimulacion& azar, arma::uword muestras, double fs,
                           const std::function<double(double)>& ganancia) {
    arma::cx_rowvec X = arma::fft(azar.ruidoBlanco(muestras));
    for (arma::uword k = 0; k < muestras; ++k) {
        const double f = static_cast<double>(std::min(k, muestras - k)) * fs / static_cast<double>(muestras);
        X(k) *= ganancia(f);
    }
    return normalizada(arma::real(arma::ifft(X)));
}

// Positions (in samples) of events separated by intervals uniform in [a, b] s,
// the first one a random fraction of an interval after the start.
std::vector<double> instantes(AzarSimulacion& azar, arma::uword muestras, double fs, double a, double b) {
    std::vector<double> t;
    double s = azar.uniforme(0.0, b) * fs;
    while (s < static_cast<double>(muestras)) {
        t.push_back(s);
        s += azar.uniforme(a, b) * fs;
    }
    return t;
}

}  // namespace

arma::rowvec ruidoPotencia(AzarSimulacion& azar, arma::uword muestras, double fs, double beta, double rodilla) {
    const double r = std::pow(rodilla, beta);
    return ruidoFiltrado(azar, muestras, fs,
                         [beta, r](double f) { return f > 0.0 ? 1.0 / std::sqrt(r + std::pow(f, beta)) : 0.0; });
}

arma::rowvec ruidoBanda(AzarSimulacion& azar, arma::uword muestras, double fs, double fInferior, double fSuperior) {
    return ruidoFiltrado(azar, muestras, fs,
                         [=](double f) { return f >= fInferior && f <= fSuperior ? 1.0 : 0.0; });
}

namespace {

arma::rowvec fondoCortical(AzarSimulacion& azar, arma::uword muestras, double fs) {
    const double beta = azar.uniforme(P::betaMinima, P::betaMaxima);
    return ruidoPotencia(azar, muestras, fs, beta, azar.uniforme(P::rodillaMinima, P::rodillaMaxima));
}

// A rhythm of `fuerza` times unit standard deviation in a band around `centro`.
arma::rowvec ritmo(AzarSimulacion& azar, arma::uword muestras, double fs, double centro, double ancho, double fuerza) {
    return fuerza * ruidoBanda(azar, muestras, fs, centro - ancho / 2.0, centro + ancho / 2.0);
}

}  // namespace

arma::rowvec actividadCerebral(AzarSimulacion& azar, arma::uword muestras, double fs) {
    arma::rowvec x = fondoCortical(azar, muestras, fs);
    const double centro = azar.uniforme(P::alfaMinima, P::alfaMaxima);
    const double fuerza = azar.uniforme(P::alfaRelativaMinima, P::alfaRelativaMaxima);
    x += ritmo(azar, muestras, fs, centro, P::anchoAlfa, fuerza);
    return normalizada(x);
}

arma::rowvec actividadCerebralSinAlfa(AzarSimulacion& azar, arma::uword muestras, double fs) {
    arma::rowvec x = fondoCortical(azar, muestras, fs);
    if (azar.probabilidad(P::probabilidadOndulacion)) {
        const bool theta = azar.probabilidad(0.5);
        const double centro = theta ? azar.uniforme(P::thetaMinima, P::thetaMaxima)
                                    : azar.uniforme(P::betaRitmoMinima, P::betaRitmoMaxima);
        const double fuerza = azar.uniforme(P::ondulacionMinima, P::ondulacionMaxima);
        x += ritmo(azar, muestras, fs, centro, theta ? P::anchoTheta : P::anchoBeta, fuerza);
    }
    return normalizada(x);
}

arma::rowvec trenParpadeos(AzarSimulacion& azar, arma::uword muestras, double fs) {
    arma::rowvec x(muestras, arma::fill::zeros);
    for (double inicio : instantes(azar, muestras, fs, P::intervaloParpadeoMinimo, P::intervaloParpadeoMaximo)) {
        const double duracion = azar.uniforme(P::duracionParpadeoMinima, P::duracionParpadeoMaxima) * fs;
        const double subida = P::fraccionSubida * duracion;
        const double altura = 1.0 + azar.uniforme(-P::variacionParpadeo, P::variacionParpadeo);
        for (arma::uword n = static_cast<arma::uword>(inicio); n < muestras; ++n) {
            const double t = static_cast<double>(n) - inicio;
            if (t > duracion) break;
            // Fast raised-cosine rise, slower raised-cosine fall: a skewed pulse.
            const double fase = t < subida ? t / subida : 1.0 + (t - subida) / (duracion - subida);
            x(n) += altura * 0.5 * (1.0 - std::cos(kPi * fase));
        }
    }
    return conRuidoDeFondo(azar, normalizada(x));
}

arma::rowvec sacadas(AzarSimulacion& azar, arma::uword muestras, double fs) {
    arma::rowvec x(muestras);
    double actual = azar.uniforme(-1.0, 1.0);
    arma::uword n = 0;
    while (n < muestras) {
        const auto fijacion = static_cast<arma::uword>(azar.uniforme(P::fijacionMinima, P::fijacionMaxima) * fs);
        for (arma::uword k = 0; k < fijacion && n < muestras; ++k, ++n) x(n) = actual;
        const double siguiente = azar.uniforme(-1.0, 1.0);
        const auto salto = std::max<arma::uword>(1, static_cast<arma::uword>(P::duracionSacada * fs));
        for (arma::uword k = 1; k <= salto && n < muestras; ++k, ++n)
            x(n) = actual + (siguiente - actual) * static_cast<double>(k) / static_cast<double>(salto);
        actual = siguiente;
    }
    return conRuidoDeFondo(azar, normalizada(x));
}

arma::rowvec rafagasMusculares(AzarSimulacion& azar, arma::uword muestras, double fs) {
    const double superior = std::min(P::bandaMusculoSuperior, fs / 2.0);
    const arma::rowvec ruido = ruidoBanda(azar, muestras, fs, P::bandaMusculoInferior, superior);
    arma::rowvec envolvente(muestras, arma::fill::value(P::fondoMusculo));
    double s = azar.uniforme(0.0, P::pausaMaxima) * fs;
    while (s < static_cast<double>(muestras)) {
        const double largo = azar.uniforme(P::rafagaMinima, P::rafagaMaxima) * fs;
        const double altura = azar.uniforme(0.5, 1.5);
        for (arma::uword n = static_cast<arma::uword>(s); n < muestras && static_cast<double>(n) < s + largo; ++n) {
            // Smooth onset and offset: a Hann-shaped burst envelope.
            const double fase = (static_cast<double>(n) - s) / largo;
            envolvente(n) = std::max(envolvente(n), altura * std::sin(kPi * fase));
        }
        s += largo + azar.uniforme(P::pausaMinima, P::pausaMaxima) * fs;
    }
    return normalizada(ruido % envolvente);
}

arma::rowvec senalCanalMalo(AzarSimulacion& azar, arma::uword muestras, double fs) {
    // A loose or high-impedance electrode: broadband contact noise, plus a
    // drift, sparse spikes or line noise (one of them dominant).
    arma::rowvec x(muestras, arma::fill::zeros);
    switch (azar.entero(3)) {
        case 0:  // drift: a slow random walk (1/f^2 below frecuenciaDeriva)
            x = ruidoFiltrado(azar, muestras, fs,
                              [](double f) { return f > 0.0 && f <= P::frecuenciaDeriva ? 1.0 / f : 0.0; });
            break;
        case 1: {  // sparse spikes of random sign
            const double tasa = azar.uniforme(P::tasaPicosMinima, P::tasaPicosMaxima);
            const auto ancho = std::max<arma::uword>(1, static_cast<arma::uword>(P::picoDuracion * fs));
            for (double t : instantes(azar, muestras, fs, 0.2 / tasa, 1.8 / tasa)) {
                const double altura = (azar.probabilidad(0.5) ? 1.0 : -1.0) * azar.uniforme(0.5, 1.5);
                for (arma::uword k = 0; k < ancho && static_cast<arma::uword>(t) + k < muestras; ++k)
                    x(static_cast<arma::uword>(t) + k) += altura;
            }
            break;
        }
        default: {  // line noise at 50 or 60 Hz with a slowly varying amplitude
            const double f = azar.probabilidad(0.5) ? 50.0 : 60.0;
            const double fase = azar.uniforme(0.0, 2.0 * kPi);
            const arma::rowvec t = arma::regspace<arma::rowvec>(0, static_cast<double>(muestras - 1)) / fs;
            x = (1.0 + 0.3 * arma::sin(2.0 * kPi * azar.uniforme(0.05, 0.3) * t)) % arma::sin(2.0 * kPi * f * t + fase);
        }
    }
    const double contacto = azar.uniforme(P::ruidoContactoMinimo, P::ruidoContactoMaximo);
    return normalizada(normalizada(x) + contacto * azar.ruidoBlanco(muestras));
}

arma::rowvec latidos(AzarSimulacion& azar, arma::uword muestras, double fs) {
    arma::rowvec x(muestras, arma::fill::zeros);
    const double periodo = 1.0 / azar.uniforme(P::ritmoCardiacoMinimo, P::ritmoCardiacoMaximo);
    const double sigma = P::anchoQRS / 4.0 * fs;
    double t = azar.uniforme(0.0, periodo) * fs;
    while (t < static_cast<double>(muestras) + fs) {
        // QRS: a narrow R peak flanked by small Q and S dips; T wave: a broad
        // Gaussian 0.25 s later.
        const auto desde = static_cast<long>(t - 8.0 * sigma), hasta = static_cast<long>(t + 0.5 * fs);
        auto campana = [](double u) { return std::exp(-0.5 * u * u); };
        for (long n = std::max(0L, desde); n < std::min(static_cast<long>(muestras), hasta); ++n) {
            const double u = (static_cast<double>(n) - t) / sigma;
            const double v = (static_cast<double>(n) - t - 0.25 * fs) / (0.04 * fs);
            x(static_cast<arma::uword>(n)) += campana(u) - 0.2 * campana(u + 2.5) - 0.3 * campana(u - 2.5) +
                                              P::alturaOndaT * campana(v);
        }
        t += periodo * fs * (1.0 + azar.uniforme(-P::variacionLatido, P::variacionLatido));
    }
    return conRuidoDeFondo(azar, normalizada(x));
}

arma::rowvec conRuidoDeFondo(AzarSimulacion& azar, const arma::rowvec& x) {
    const double nivel = azar.uniforme(P::ruidoArtefactoMinimo, P::ruidoArtefactoMaximo);
    return normalizada(x + nivel * azar.ruidoBlanco(x.n_elem));
}
