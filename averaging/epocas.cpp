#include "averaging/epocas.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

#include "averaging/promediado.h"

namespace {

[[noreturn]] void rechazar(const std::string& motivo) { throw std::invalid_argument(motivo); }

std::string textoTipo(const TipoEvento& t) { return std::to_string(t.first) + "." + std::to_string(t.second); }

int64_t muestraRedondeada(double ms, int32_t frecuencia) {
    // As MNE does it: seconds times the rate, to the nearest (ties to even).
    return static_cast<int64_t>(std::nearbyint(ms / 1000.0 * frecuencia));
}

// A table with one event per epoch at its zero, the source's kinds kept
// (colours and names).
std::shared_ptr<TablaEventos> tablaDeEpocas(const TablaEventos* fuente, const Epocas& epocas) {
    auto tabla = std::make_shared<TablaEventos>();
    tabla->modo = 1;
    if (fuente) tabla->textos = fuente->textos;
    for (std::size_t e = 0; e < epocas.numero(); ++e) {
        Evento ev;
        ev.tipo = epocas.tipos[e].first;
        ev.calificador = epocas.tipos[e].second;
        ev.posicion = static_cast<int32_t>(e * static_cast<std::size_t>(epocas.ancho) + static_cast<std::size_t>(epocas.pre));
        if (fuente)
            for (const Evento& k : fuente->tipos)
                if (k.tipo == ev.tipo && k.calificador == ev.calificador) {
                    ev.rojo = k.rojo;
                    ev.verde = k.verde;
                    ev.azul = k.azul;
                }
        tabla->eventos.push_back(ev);
        bool nuevo = true;
        for (const Evento& k : tabla->tipos) nuevo = nuevo && !(k.tipo == ev.tipo && k.calificador == ev.calificador);
        if (nuevo) tabla->tipos.push_back(ev);
    }
    tabla->numeroEventos = static_cast<int32_t>(tabla->eventos.size());
    tabla->numeroTipos = static_cast<int32_t>(tabla->tipos.size());
    return tabla;
}

// The epoched branch over `datos` (channels x E·W) with that layout.
EEG ramaEnEpocas(const EEG& fuente, arma::mat datos, std::shared_ptr<const Epocas> epocas,
                 const TablaEventos* tablaFuente) {
    EEG r = derivarEEG(fuente, std::move(datos));
    r.numeroMuestras = static_cast<int64_t>(r.datos().n_cols);
    r.numeroMatrices = 1;
    r.tiempoInicio = -static_cast<double>(epocas->pre) / fuente.frecuenciaMuestreo;
    r.tiempoFin = static_cast<double>(epocas->post) / fuente.frecuenciaMuestreo;
    r.tablaEventos = tablaDeEpocas(tablaFuente, *epocas);
    r.epocas = std::move(epocas);
    return r;
}

void exigirEpocas(const EEG& rama, const char* paso) {
    if (!rama.epocas || rama.matrices.empty())
        rechazar(std::string(paso) + " necesita una rama en épocas (aplique antes el paso epocas)");
}

// z-scores across the columns of each row (sample standard deviation); a row
// that does not vary gives zeros.
arma::mat puntuacionesZ(const arma::mat& X) {
    arma::mat Z(arma::size(X), arma::fill::zeros);
    if (X.n_cols < 2) return Z;
    for (arma::uword f = 0; f < X.n_rows; ++f) {
        const arma::rowvec fila = X.row(f);
        const double sd = arma::stddev(fila);
        if (sd > 0.0 && std::isfinite(sd)) Z.row(f) = (fila - arma::mean(fila)) / sd;
    }
    return Z;
}

// Marks from local (channels x epochs) and global z-scores above the limit.
void marcarPorZ(const arma::mat& valores, double limite, const std::string& regla, const EEG& rama,
                std::vector<std::vector<MotivoRechazo>>& marcas) {
    const arma::mat local = puntuacionesZ(valores);
    const arma::mat global = puntuacionesZ(arma::sum(valores, 0));
    for (arma::uword e = 0; e < valores.n_cols; ++e) {
        for (arma::uword c = 0; c < valores.n_rows; ++c)
            if (std::abs(local(c, e)) > limite) marcas[e].push_back({regla, (*rama.canales)[c].etiqueta});
        if (std::abs(global(0, e)) > limite) marcas[e].push_back({regla, "global"});
    }
}

}  // namespace

VentanaEpoca ventanaRedondeada(int32_t frecuencia, double msPrev, double msPost) {
    if (frecuencia <= 0) rechazar("la frecuencia de muestreo de la rama no es válida");
    if (!std::isfinite(msPrev) || !std::isfinite(msPost) || msPrev < 0 || msPost < 0)
        rechazar("los milisegundos antes y después del evento deben ser números no negativos");
    const int64_t pre = muestraRedondeada(msPrev, frecuencia), post = muestraRedondeada(msPost, frecuencia);
    if (pre + 1 + post > std::numeric_limits<int32_t>::max()) rechazar("la ventana de las épocas es demasiado ancha");
    VentanaEpoca v;
    v.pre = static_cast<int32_t>(pre);
    v.post = static_cast<int32_t>(post);
    v.ancho = v.pre + 1 + v.post;
    return v;
}

EEG cortarEpocas(const EEG& fuente, const std::vector<TipoEvento>& tipos, double msPrev, double msPost,
                 std::vector<std::string>& avisos) {
    if (fuente.epocas) rechazar("la rama ya está dividida en épocas");
    if (!fuente.tieneEventos() || fuente.tablaEventos->eventos.empty())
        rechazar("la rama no tiene eventos, así que no se pueden cortar épocas");
    if (tipos.empty()) rechazar("no se ha elegido ningún tipo de evento");
    const TablaEventos& tabla = *fuente.tablaEventos;
    for (const TipoEvento& t : tipos) {
        const bool hay = std::any_of(tabla.eventos.begin(), tabla.eventos.end(), [&](const Evento& e) {
            return e.tipo == t.first && e.calificador == t.second;
        });
        if (!hay) rechazar("la rama no tiene eventos del tipo " + textoTipo(t));
    }
    const VentanaEpoca v = ventanaRedondeada(fuente.frecuenciaMuestreo, msPrev, msPost);
    const arma::mat& X = fuente.datos();
    const auto n = static_cast<int64_t>(X.n_cols);

    auto epocas = std::make_shared<Epocas>();
    epocas->pre = v.pre;
    epocas->post = v.post;
    epocas->ancho = v.ancho;
    std::vector<std::string> fuera;
    std::size_t numeroFuera = 0;
    for (std::size_t i = 0; i < tabla.eventos.size(); ++i) {
        const Evento& e = tabla.eventos[i];
        if (std::find(tipos.begin(), tipos.end(), TipoEvento{e.tipo, e.calificador}) == tipos.end()) continue;
        if (int64_t{e.posicion} - v.pre < 0 || int64_t{e.posicion} + v.post >= n) {
            if (++numeroFuera <= 10)
                fuera.push_back(std::to_string(i + 1) + " (muestra " + std::to_string(e.posicion) + ")");
            continue;
        }
        epocas->posicionesOrigen.push_back(e.posicion);
        epocas->tipos.emplace_back(e.tipo, e.calificador);
    }
    if (numeroFuera > 0) {
        std::string lista;
        for (std::size_t k = 0; k < fuera.size(); ++k) lista += (k ? ", " : "") + fuera[k];
        if (numeroFuera > fuera.size()) lista += "…";
        avisos.push_back(std::to_string(numeroFuera) + (numeroFuera == 1 ? " época queda" : " épocas quedan") +
                         " fuera del registro y se omite" + (numeroFuera == 1 ? "" : "n") + ": evento " + lista);
    }
    if (epocas->numero() == 0)
        rechazar("ninguna época de " + std::to_string(v.ancho) + " muestras cabe en el registro alrededor de los eventos elegidos");

    const auto W = static_cast<arma::uword>(v.ancho);
    arma::mat datos(X.n_rows, W * epocas->numero());
    for (std::size_t e = 0; e < epocas->numero(); ++e) {
        const auto inicio = static_cast<arma::uword>(epocas->posicionesOrigen[e] - v.pre);
        datos.cols(e * W, (e + 1) * W - 1) = X.cols(inicio, inicio + W - 1);
    }
    return ramaEnEpocas(fuente, std::move(datos), std::move(epocas), &tabla);
}

EEG restarLineaBase(const EEG& rama, double ms1, double ms2) {
    if (!std::isfinite(ms1) || !std::isfinite(ms2) || ms1 > ms2)
        rechazar("el intervalo de la línea de base debe ir de un tiempo a otro mayor o igual");
    if (rama.matrices.empty()) rechazar("la rama no tiene datos");
    int64_t pre = 0, ancho = 0;
    if (rama.epocas) {
        pre = rama.epocas->pre;
        ancho = rama.epocas->ancho;
    } else if (!rama.tieneEventos() && rama.tiempoInicio > 0.0) {
        // A branch averaged from a continuous one: its start time holds the
        // milliseconds before the event, its window as averaging cut it.
        const auto msPrev = static_cast<int32_t>(std::llround(rama.tiempoInicio * 1000.0));
        pre = calcularVentana(rama.frecuenciaMuestreo, msPrev, 0).pre;
        ancho = static_cast<int64_t>(rama.datos().n_cols);
    } else {
        rechazar("la línea de base necesita una rama en épocas o promediada");
    }
    const int64_t desde = std::max<int64_t>(-pre, muestraRedondeada(ms1, rama.frecuenciaMuestreo));
    const int64_t hasta = std::min<int64_t>(ancho - 1 - pre, muestraRedondeada(ms2, rama.frecuenciaMuestreo));
    if (desde > hasta) rechazar("el intervalo de la línea de base no tiene ninguna muestra de la época");

    arma::mat Y = rama.datos();
    const auto W = static_cast<arma::uword>(ancho);
    for (arma::uword inicio = 0; inicio + W <= Y.n_cols; inicio += W) {
        const arma::vec media = arma::mean(
            Y.cols(inicio + static_cast<arma::uword>(pre + desde), inicio + static_cast<arma::uword>(pre + hasta)), 1);
        Y.cols(inicio, inicio + W - 1).each_col() -= media;
    }
    EEG r = derivarEEG(rama, std::move(Y));
    return r;
}

arma::mat puntuacionesProbabilidad(const EEG& rama) {
    exigirEpocas(rama, "la probabilidad conjunta");
    const arma::mat& X = rama.datos();
    const auto W = static_cast<arma::uword>(rama.epocas->ancho);
    const std::size_t E = rama.epocas->numero();
    constexpr arma::uword casillas = 1000;
    arma::mat puntos(X.n_rows, E, arma::fill::zeros);
    for (arma::uword c = 0; c < X.n_rows; ++c) {
        const arma::rowvec fila = X.row(c);
        const double minimo = fila.min(), maximo = fila.max();
        if (!(maximo > minimo)) continue;  // a flat channel says nothing: every epoch scores 0
        const double ancho = (maximo - minimo) / casillas;
        arma::uvec indice(fila.n_elem);
        arma::vec cuenta(casillas, arma::fill::zeros);
        for (arma::uword j = 0; j < fila.n_elem; ++j) {
            indice(j) = std::min<arma::uword>(casillas - 1, static_cast<arma::uword>((fila(j) - minimo) / ancho));
            cuenta(indice(j)) += 1.0;
        }
        const arma::vec logDensidad = arma::log(cuenta / (static_cast<double>(fila.n_elem) * ancho));
        for (std::size_t e = 0; e < E; ++e) {
            double s = 0.0;
            for (arma::uword j = e * W; j < (e + 1) * W; ++j) s += logDensidad(indice(j));
            puntos(c, e) = s;
        }
    }
    return puntos;
}

arma::mat curtosisEpocas(const EEG& rama) {
    exigirEpocas(rama, "la curtosis");
    const arma::mat& X = rama.datos();
    const auto W = static_cast<arma::uword>(rama.epocas->ancho);
    const std::size_t E = rama.epocas->numero();
    arma::mat k(X.n_rows, E);
    for (std::size_t e = 0; e < E; ++e) {
        arma::mat bloque = X.cols(e * W, (e + 1) * W - 1);
        bloque.each_col() -= arma::mean(bloque, 1);
        const arma::vec m2 = arma::mean(arma::square(bloque), 1);
        const arma::vec m4 = arma::mean(arma::pow(bloque, 4), 1);
        // A flat epoch is as flat as a distribution gets: m4 / m2² taken as 0.
        for (arma::uword c = 0; c < X.n_rows; ++c) k(c, e) = (m2(c) > 0.0 ? m4(c) / (m2(c) * m2(c)) : 0.0) - 3.0;
    }
    return k;
}

std::vector<std::vector<MotivoRechazo>> marcarEpocas(const EEG& rama, const OpcionesRechazo& o) {
    exigirEpocas(rama, "el rechazo de épocas");
    for (const auto& limite : {o.picoAPico, o.probabilidad, o.curtosis})
        if (limite && !(*limite > 0.0)) rechazar("los límites del rechazo deben ser números mayores que 0");
    const std::size_t E = rama.epocas->numero();
    std::vector<std::vector<MotivoRechazo>> marcas(E);
    if (o.picoAPico) {
        // MNE's reject=dict(eeg=…): an epoch goes when a channel's peak to
        // peak exceeds the threshold (equal to it stays).
        const arma::mat& X = rama.datos();
        const auto W = static_cast<arma::uword>(rama.epocas->ancho);
        for (std::size_t e = 0; e < E; ++e) {
            const arma::mat bloque = X.cols(e * W, (e + 1) * W - 1);
            const arma::vec pp = arma::max(bloque, 1) - arma::min(bloque, 1);
            for (arma::uword c = 0; c < pp.n_elem; ++c)
                if (pp(c) > *o.picoAPico) marcas[e].push_back({"pp", (*rama.canales)[c].etiqueta});
        }
    }
    if (o.probabilidad) marcarPorZ(puntuacionesProbabilidad(rama), *o.probabilidad, "prob", rama, marcas);
    if (o.curtosis) marcarPorZ(curtosisEpocas(rama), *o.curtosis, "curt", rama, marcas);
    return marcas;
}

EEG quitarEpocas(const EEG& rama, const std::vector<bool>& quitar) {
    exigirEpocas(rama, "quitar épocas");
    const Epocas& origen = *rama.epocas;
    if (quitar.size() != origen.numero()) rechazar("las marcas no corresponden a las épocas de la rama");
    auto epocas = std::make_shared<Epocas>();
    epocas->pre = origen.pre;
    epocas->post = origen.post;
    epocas->ancho = origen.ancho;
    std::vector<arma::uword> columnas;
    const auto W = static_cast<arma::uword>(origen.ancho);
    for (std::size_t e = 0; e < origen.numero(); ++e) {
        if (quitar[e]) continue;
        epocas->posicionesOrigen.push_back(origen.posicionesOrigen[e]);
        epocas->tipos.push_back(origen.tipos[e]);
        for (arma::uword j = 0; j < W; ++j) columnas.push_back(e * W + j);
    }
    if (epocas->numero() == 0) rechazar("el rechazo quitaría todas las épocas");
    arma::mat datos = rama.datos().cols(arma::uvec(columnas));
    return ramaEnEpocas(rama, std::move(datos), std::move(epocas), rama.tablaEventos.get());
}

std::string informeRechazoCSV(const EEG& rama, const std::vector<std::vector<MotivoRechazo>>& marcas) {
    exigirEpocas(rama, "el informe de rechazo");
    std::string r = "epoca,tipo,muestra_origen,marcada,motivos\n";
    for (std::size_t e = 0; e < marcas.size() && e < rama.epocas->numero(); ++e) {
        std::string motivos;
        for (const MotivoRechazo& m : marcas[e]) motivos += (motivos.empty() ? "" : ";") + m.regla + ":" + m.canal;
        // Labels are the file's: quote the field, doubling any quote.
        std::string campo = "\"";
        for (char ch : motivos) campo += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        campo += "\"";
        r += std::to_string(e + 1) + "," + textoTipo(rama.epocas->tipos[e]) + "," +
             std::to_string(rama.epocas->posicionesOrigen[e]) + "," + (marcas[e].empty() ? "0" : "1") + "," + campo + "\n";
    }
    return r;
}

EEG promediarPorTipo(const EEG& rama, const std::vector<TipoEvento>& tipos, const Avance& avance) {
    exigirEpocas(rama, "el promediado por tipo");
    if (!rama.epocas->promediadas.empty()) rechazar("la rama ya es un promedio");
    const Epocas& origen = *rama.epocas;
    const auto W = static_cast<arma::uword>(origen.ancho);
    const arma::mat& X = rama.datos();
    auto epocas = std::make_shared<Epocas>();
    epocas->pre = origen.pre;
    epocas->post = origen.post;
    epocas->ancho = origen.ancho;
    arma::mat medias(X.n_rows, W * tipos.size(), arma::fill::zeros);
    for (std::size_t t = 0; t < tipos.size(); ++t) {
        avance(static_cast<double>(t) / static_cast<double>(tipos.size()));
        std::size_t cuenta = 0;
        for (std::size_t e = 0; e < origen.numero(); ++e)
            if (origen.tipos[e] == tipos[t]) {
                medias.cols(t * W, (t + 1) * W - 1) += X.cols(e * W, (e + 1) * W - 1);
                ++cuenta;
            }
        if (cuenta == 0) rechazar("la rama no tiene épocas del tipo " + textoTipo(tipos[t]));
        medias.cols(t * W, (t + 1) * W - 1) /= static_cast<double>(cuenta);
        epocas->tipos.push_back(tipos[t]);
        epocas->posicionesOrigen.push_back(0);
        epocas->promediadas.push_back(static_cast<int64_t>(cuenta));
    }
    avance(1.0);
    return ramaEnEpocas(rama, std::move(medias), std::move(epocas), rama.tablaEventos.get());
}
