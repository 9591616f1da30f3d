#include "canales/deteccionCanales.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "io/textoNumero.h"

namespace {

constexpr double escalaMAD = 1.4826;  // 1 / Phi^-1(3/4): a normal's sigma from its MAD

double mediana(arma::vec x) { return x.is_empty() ? 0.0 : arma::median(x); }

// Fraction of consecutive samples equal to the one before.
double fraccionIguales(const arma::rowvec& x) {
    if (x.n_elem < 2) return 0.0;
    return static_cast<double>(arma::accu(x.tail(x.n_elem - 1) == x.head(x.n_elem - 1))) /
           static_cast<double>(x.n_elem - 1);
}

// Each row's power above `hz` over its power from above 0 Hz up to `hz`,
// in decibels, from Hann-windowed periodograms of consecutive segments of a
// power of two of at least a second (summed, so one burst weighs as much as
// its length).
arma::vec cocienteAltaBajaDB(const arma::mat& X, double fs, double hz) {
    arma::uword largo = 8;
    while (static_cast<double>(largo) < fs && largo * 2 <= X.n_cols) largo *= 2;
    const arma::vec hann = 0.5 - 0.5 * arma::cos(2 * M_PI * arma::regspace<arma::vec>(0, largo - 1) / double(largo));
    arma::mat potencia(largo / 2 + 1, X.n_rows, arma::fill::zeros);
    for (arma::uword inicio = 0; inicio + largo <= X.n_cols; inicio += largo) {
        arma::mat tramo = X.cols(inicio, inicio + largo - 1).t();  // one column per channel
        tramo.each_row() -= arma::mean(tramo, 0);
        tramo.each_col() %= hann;
        const arma::cx_mat F = arma::fft(tramo);
        potencia += arma::square(arma::abs(F.rows(0, largo / 2)));
    }
    arma::vec r(X.n_rows);
    for (arma::uword c = 0; c < X.n_rows; ++c) {
        double alta = 0.0, baja = 0.0;
        for (arma::uword k = 1; k <= largo / 2; ++k)
            (static_cast<double>(k) * fs / static_cast<double>(largo) > hz ? alta : baja) += potencia(k, c);
        // The smallest normal double on both sides keeps a channel without
        // power below `hz` finite (very large), and one without any at 0 dB.
        const double piso = std::numeric_limits<double>::min();
        r(c) = 10.0 * (std::log10(alta + piso) - std::log10(baja + piso));
    }
    return r;
}

// Robust z of the channels in `filas` (the others NaN).
arma::vec zEntre(const arma::vec& valores, const std::vector<arma::uword>& filas) {
    arma::vec z(valores.n_elem, arma::fill::value(NAN));
    if (filas.empty()) return z;
    const arma::uvec f(filas);
    z.elem(f) = zRobusta(valores.elem(f));
    return z;
}

// Indices of the k channels nearest to each channel with a position (an
// empty list for one without).
std::vector<std::vector<arma::uword>> vecinosMasCercanos(const EEG& eeg, arma::uword k) {
    const std::vector<Canal>& canales = *eeg.canales;
    const arma::uword n = eeg.datos().n_rows;
    std::vector<std::vector<arma::uword>> vecinos(n);
    for (arma::uword i = 0; i < n && i < canales.size(); ++i) {
        if (!canales[i].localizacion) continue;
        std::vector<std::pair<double, arma::uword>> d;
        for (arma::uword j = 0; j < n && j < canales.size(); ++j) {
            if (j == i || !canales[j].localizacion) continue;
            double s = 0.0;
            for (int c = 0; c < 3; ++c) s += std::pow((*canales[i].localizacion)[c] - (*canales[j].localizacion)[c], 2);
            d.emplace_back(s, j);
        }
        std::sort(d.begin(), d.end());
        for (std::size_t m = 0; m < d.size() && m < k; ++m) vecinos[i].push_back(d[m].second);
    }
    return vecinos;
}

// Median over windows of the median correlation with the neighbours; a
// window where either channel is constant counts as no correlation.
arma::vec correlacionConVecinos(const arma::mat& X, arma::uword ancho,
                                const std::vector<std::vector<arma::uword>>& vecinos) {
    const arma::uword ventanas = X.n_cols / ancho;
    arma::mat porVentana(X.n_rows, ventanas, arma::fill::value(NAN));
    for (arma::uword w = 0; w < ventanas; ++w) {
        arma::mat Z = X.cols(w * ancho, (w + 1) * ancho - 1);
        Z.each_col() -= arma::mean(Z, 1);
        const arma::vec normas = arma::sqrt(arma::sum(arma::square(Z), 1));
        for (arma::uword i = 0; i < X.n_rows; ++i) {
            if (vecinos[i].empty()) continue;
            arma::vec r(vecinos[i].size());
            for (std::size_t m = 0; m < vecinos[i].size(); ++m) {
                const arma::uword j = vecinos[i][m];
                const double den = normas(i) * normas(j);
                r(m) = den > 0.0 ? arma::dot(Z.row(i), Z.row(j)) / den : 0.0;
            }
            porVentana(i, w) = arma::median(r);
        }
    }
    arma::vec r(X.n_rows, arma::fill::value(NAN));
    for (arma::uword i = 0; i < X.n_rows; ++i)
        if (!vecinos[i].empty() && ventanas > 0) r(i) = arma::median(porVentana.row(i).t());
    return r;
}

void comprobarOpciones(const OpcionesCanalesMalos& o) {
    auto positivo = [](double v, const char* nombre) {
        if (!(v > 0.0) || !std::isfinite(v))
            throw std::invalid_argument(std::string("el umbral ") + nombre + " debe ser un número mayor que 0 (es " +
                                        textoGeneral(v) + ")");
    };
    positivo(o.desviacionMinimaUV, "de desviación mínima");
    positivo(o.fraccionRepetidas, "de muestras repetidas");
    positivo(o.zAmplitud, "de z de amplitud");
    positivo(o.correlacionMinima, "de correlación mínima");
    positivo(o.segundosVentana, "de duración de la ventana");
    positivo(o.zRuido, "de z de ruido");
    positivo(o.frecuenciaRuidoHz, "de frecuencia del ruido");
    if (o.vecinos < 1) throw std::invalid_argument("hace falta al menos un vecino por canal");
}

}  // namespace

double desviacionRobusta(const arma::vec& x) {
    if (x.is_empty()) return 0.0;
    return escalaMAD * mediana(arma::abs(x - mediana(x)));
}

arma::vec zRobusta(const arma::vec& x) {
    const double m = mediana(x), s = desviacionRobusta(x);
    arma::vec z(x.n_elem);
    for (arma::uword i = 0; i < x.n_elem; ++i)
        z(i) = s > 0.0 ? (x(i) - m) / s : x(i) > m ? std::numeric_limits<double>::infinity() : 0.0;
    return z;
}

std::vector<arma::uword> DeteccionCanales::marcados() const {
    std::vector<arma::uword> r;
    for (arma::uword i = 0; i < canales.size(); ++i)
        if (!canales[i].reglas.empty()) r.push_back(i);
    return r;
}

DeteccionCanales detectarCanalesMalos(const EEG& eeg, const OpcionesCanalesMalos& o) {
    comprobarOpciones(o);
    if (eeg.matrices.empty() || eeg.datos().n_rows == 0 || eeg.datos().n_cols < 2)
        throw std::invalid_argument("la rama no tiene canales ni muestras en los que buscar canales malos");
    const arma::mat& X = eeg.datos();
    const double fs = eeg.frecuenciaMuestreo;
    DeteccionCanales d;
    d.canales.resize(X.n_rows);

    std::vector<arma::uword> noPlanos;
    arma::vec amplitud(X.n_rows);
    const bool hayRuido = fs / 2 > o.frecuenciaRuidoHz && X.n_cols >= 8;
    for (arma::uword i = 0; i < X.n_rows; ++i) {
        MedidasCanal& m = d.canales[i];
        m.desviacionRobusta = desviacionRobusta(X.row(i).t());
        m.fraccionRepetidas = fraccionIguales(X.row(i));
        amplitud(i) = m.desviacionRobusta;
        if (m.desviacionRobusta < o.desviacionMinimaUV || m.fraccionRepetidas > o.fraccionRepetidas)
            m.reglas.push_back(ReglaCanal::plano);
        else
            noPlanos.push_back(i);
    }
    // A flat channel would pull the medians of the others' amplitude and noise.
    const arma::vec zA = zEntre(amplitud, noPlanos);
    const arma::vec zR = hayRuido ? zEntre(cocienteAltaBajaDB(X, fs, o.frecuenciaRuidoHz), noPlanos)
                                  : arma::vec(X.n_rows, arma::fill::value(NAN));
    if (!hayRuido)
        d.notas.push_back("la regla del ruido no se aplica: a " + std::to_string(eeg.frecuenciaMuestreo) +
                          " Hz no hay potencia por encima de " + textoGeneral(o.frecuenciaRuidoHz) + " Hz");

    const auto ancho = static_cast<arma::uword>(std::llround(o.segundosVentana * fs));
    const auto vecinos = vecinosMasCercanos(eeg, static_cast<arma::uword>(o.vecinos));
    const auto sinVecinos = std::count_if(vecinos.begin(), vecinos.end(), [](const auto& v) { return v.empty(); });
    arma::vec correlacion(X.n_rows, arma::fill::value(NAN));
    if (ancho < 2 || X.n_cols < ancho)
        d.notas.push_back("la regla de la correlación no se aplica: la rama dura menos de una ventana de " +
                          textoGeneral(o.segundosVentana) + " s");
    else if (sinVecinos == static_cast<long>(X.n_rows))
        d.notas.push_back("la regla de la correlación no se aplica: los canales no tienen posiciones");
    else {
        if (sinVecinos > 0)
            d.notas.push_back("la regla de la correlación no se aplica a " + std::to_string(sinVecinos) +
                              " canales sin posición");
        correlacion = correlacionConVecinos(X, ancho, vecinos);
    }

    for (arma::uword i = 0; i < X.n_rows; ++i) {
        MedidasCanal& m = d.canales[i];
        m.zAmplitud = zA(i);
        m.zRuido = zR(i);
        m.correlacionVecinos = correlacion(i);
        if (m.zAmplitud > o.zAmplitud) m.reglas.push_back(ReglaCanal::desviado);
        if (m.correlacionVecinos < o.correlacionMinima) m.reglas.push_back(ReglaCanal::pocoCorrelacionado);
        if (m.zRuido > o.zRuido) m.reglas.push_back(ReglaCanal::ruidoso);
    }
    return d;
}

std::string nombreRegla(ReglaCanal regla) {
    switch (regla) {
        case ReglaCanal::plano: return "plano";
        case ReglaCanal::desviado: return "desviado";
        case ReglaCanal::pocoCorrelacionado: return "poco correlacionado";
        case ReglaCanal::ruidoso: return "ruidoso";
    }
    return "?";
}

std::string tablaCanalesMalos(const EEG& eeg, const DeteccionCanales& d) {
    auto columna = [](std::string t, std::size_t ancho) {
        // Width in characters, not bytes: labels and rule names may carry accents.
        std::size_t letras = 0;
        for (const char c : t) letras += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (letras < ancho) t.append(ancho - letras, ' ');
        return t + " ";
    };
    auto numero = [](double v, int decimales) { return std::isnan(v) ? std::string("—") : textoFijo(v, decimales); };
    std::string r = columna("canal", 8) + columna("reglas", 34) + columna("desv. (µV)", 11) + columna("repetidas", 10) +
                    columna("z ampl.", 8) + columna("correl.", 8) + "z ruido\n";
    for (const arma::uword i : d.marcados()) {
        const MedidasCanal& m = d.canales[i];
        std::string reglas;
        for (const ReglaCanal g : m.reglas) reglas += (reglas.empty() ? "" : ", ") + nombreRegla(g);
        const std::string etiqueta = i < eeg.canales->size() ? (*eeg.canales)[i].etiqueta : std::to_string(i + 1);
        r += columna(etiqueta, 8) + columna(reglas, 34) + columna(numero(m.desviacionRobusta, 2), 11) +
             columna(numero(m.fraccionRepetidas, 3), 10) + columna(numero(m.zAmplitud, 1), 8) +
             columna(numero(m.correlacionVecinos, 2), 8) + numero(m.zRuido, 1) + "\n";
    }
    return r;
}

EEG conCanalesDetectados(const EEG& eeg, const DeteccionCanales& d) {
    EEG r = eeg;
    for (const arma::uword i : d.marcados()) {
        if (i >= eeg.canales->size()) continue;
        const std::string& e = (*eeg.canales)[i].etiqueta;
        if (std::find(r.canalesMalos.begin(), r.canalesMalos.end(), e) == r.canalesMalos.end())
            r.canalesMalos.push_back(e);
    }
    return r;
}
