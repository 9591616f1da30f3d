#include "io/DatFileReader.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <new>
#include <string_view>

#include "io/diagnostico.h"
#include "io/frecuenciaMuestreo.h"
#include "io/eventosLeidos.h"
#include "io/fechaHora.h"
#include "io/lecturaParalela.h"
#include "io/reservarEEG.h"
#include "io/textoCabecera.h"
#include "io/textoNumerico.h"
#include "io/valoresBinarios.h"

namespace {

// The first line of a BCI2000 file holds a few keys; a longer one is not a
// BCI2000 header.
constexpr size_t maximoPrimeraLinea = 64 * 1024;
constexpr size_t bytesPorBloque = 256 * 1024;  // stays in the L2 cache while decoded
// Far beyond any amplifier; bounds the channel records a header can ask for.
constexpr int64_t maximoCanales = 65536;

bool esBlanco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::vector<std::string> separarTokens(const std::string& linea) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < linea.size()) {
        while (i < linea.size() && esBlanco(linea[i])) ++i;
        const size_t inicio = i;
        while (i < linea.size() && !esBlanco(linea[i])) ++i;
        if (i > inicio) tokens.emplace_back(linea, inicio, i - inicio);
    }
    return tokens;
}

// A value as the record keeps it: "%" is BCI2000's empty value, %XX escapes
// (blanks are written %20) are decoded.
std::string textoDeValor(const std::string& t) { return t == "%" ? std::string() : utf8Saneado(decodificarPorciento(t)); }

// The whole token as an integer, nothing else around it.
std::optional<int64_t> enteroExacto(const std::string& t) {
    int64_t v = 0;
    const char* fin = t.data() + t.size();
    const auto [p, error] = std::from_chars(t.data(), fin, v);
    if (error != std::errc() || p != fin || t.empty()) return std::nullopt;
    return v;
}

std::string valorVisible(const std::string& t) { return textoParaMensaje(t); }

// The whole token as a finite real number followed by one of `unidades`
// (text and factor); nullopt for anything else ("%" included).
std::optional<double> realConUnidad(const std::string& t,
                                    std::initializer_list<std::pair<std::string_view, double>> unidades) {
    double v = 0.0;
    const char* fin = t.data() + t.size();
    const auto [resto, error] = std::from_chars(t.data(), fin, v);
    if (error != std::errc() || resto == t.data() || !std::isfinite(v)) return std::nullopt;
    const std::string_view unidad(resto, static_cast<size_t>(fin - resto));
    for (const auto& [texto, factor] : unidades)
        if (unidad == texto) return v * factor;
    return std::nullopt;
}

// The tokens of a parameter line before its "//" comment, taken in turn.
class TokensParametro {
public:
    explicit TokensParametro(const std::string& linea)
        : tokens_(separarTokens(linea)),
          fin_(static_cast<size_t>(std::find(tokens_.begin(), tokens_.end(), "//") - tokens_.begin())) {}
    // The next token into `destino`; false, `destino` untouched, when none is left.
    bool siguiente(std::string& destino) {
        if (i_ >= fin_) return false;
        destino = tokens_[i_++];
        return true;
    }

private:
    std::vector<std::string> tokens_;
    size_t fin_;
    size_t i_ = 0;
};

// The value of SourceChGain= (ganancia) or SourceChOffset=: a count, then one
// number per channel: gains in µV per A/D unit (a unit may follow, as in
// "0.019muV"), offsets in A/D units. Empty when it is not such a list;
// `token` is the caller's scratch.
std::vector<double> listaPorCanal(TokensParametro& tokens, bool ganancia, std::string& token) {
    if (!tokens.siguiente(token)) return {};
    const std::optional<int64_t> n = enteroExacto(token);
    if (!n || *n <= 0 || *n > maximoCanales) return {};
    std::vector<double> valores;
    for (int64_t k = 0; k < *n && tokens.siguiente(token); ++k) {
        const std::optional<double> v =
            ganancia ? realConUnidad(token, {{"", 1.0}, {"muV", 1.0}, {"uV", 1.0}, {"µV", 1.0}, {"nV", 1e-3},
                                             {"mV", 1e3}, {"V", 1e6}})
                     : realConUnidad(token, {{"", 1.0}});
        if (!v) break;
        valores.push_back(*v);
    }
    if (valores.size() == static_cast<size_t>(*n)) return valores;
    return {};
}

}  // namespace

EEG DatFileReader::leer(std::string ruta) { return leerArchivo(ruta); }

void DatFileReader::reiniciar() {
    longitudCabecera = tamanoArchivo = 0;
    longitudVectorEstado.reset();
    formatoDatos.reset();
    formatoEnPrimeraLinea = false;
    token.clear();
    frecuenciaMuestreo.reset();
    numeroCanales.reset();
    numeroMuestras = 0;
    etiquetas.clear();
    sujeto.clear();
    sesion.clear();
    ejecuciones.clear();
    fechaRegistro.clear();
    numeroEnsayos = -1;
    ganancias.reset();
    desplazamientos.reset();
    codigoEstimulo.reset();
    longitudEstadoParametro.reset();
    bytesEstados = 0;
    errorCabecera.clear();
    notas.clear();
}

void DatFileReader::errorDeCabecera(const std::string& texto) {
    if (errorCabecera.empty()) errorCabecera = texto;
}

void DatFileReader::comprobarIgual(const std::string& clave, const std::string& claveLinea, int64_t valor,
                                   std::optional<int64_t> primeraLinea) {
    if (primeraLinea && valor != *primeraLinea)
        errorDeCabecera("el parámetro " + clave + " " + std::to_string(valor) + " no coincide con " + claveLinea + " " +
                        std::to_string(*primeraLinea) + " de la primera línea.");
}

void DatFileReader::fijarFormato(const std::string& valor, const std::string& origen) {
    if (valor != "int16" && valor != "int32" && valor != "float32") {
        errorDeCabecera("el formato de datos «" + valorVisible(valor) + "» de DataFormat= (" + origen +
                        ") no se admite: solo int16, int32 o float32.");
        return;
    }
    if (formatoDatos && *formatoDatos != valor) {
        errorDeCabecera("el parámetro DataFormat= " + valor + " no coincide con DataFormat= " + *formatoDatos +
                        " de la primera línea.");
        return;
    }
    formatoDatos = valor;
}

bool DatFileReader::analizarPrimeraLinea(const std::string& linea) {
    const std::vector<std::string> t = separarTokens(linea);
    std::optional<std::string> cabecera, canales, estado;
    // A key followed by another key, or by nothing, has an empty value: it
    // gives no value, and never takes the next key as one.
    auto valor = [&t](size_t& i) -> std::optional<std::string> {
        if (i + 1 >= t.size() || (!t[i + 1].empty() && t[i + 1].back() == '=')) return std::nullopt;
        return t[++i];
    };
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == "HeaderLen=") cabecera = valor(i);
        else if (t[i] == "SourceCh=") canales = valor(i);
        else if (t[i] == "StatevectorLen=") estado = valor(i);
        else if (t[i] == "DataFormat=") {
            const std::optional<std::string> formato = valor(i);
            if (!formato) {
                errorDeCabecera("DataFormat= no tiene valor en la primera línea (se esperaba int16, int32 o float32).");
                continue;
            }
            fijarFormato(*formato, "primera línea");
            formatoEnPrimeraLinea = true;
        }
    }
    if (!cabecera) {
        fallar("la primera línea no indica la longitud de la cabecera (HeaderLen=): no es un archivo BCI2000.");
        return false;
    }
    const std::optional<int64_t> longitud = enteroExacto(*cabecera);
    if (!longitud || *longitud <= 0 || *longitud > tamanoArchivo) {
        fallar("la longitud de cabecera HeaderLen= " + valorVisible(*cabecera) + " no es válida para un archivo de " +
               std::to_string(tamanoArchivo) + " bytes.");
        return false;
    }
    longitudCabecera = *longitud;
    // The first line lays out the data: without these two the bytes of a
    // sample are unknown.
    if (!canales || !estado) {
        fallar(std::string("la primera línea no indica ") +
               (!canales ? "el número de canales (SourceCh=)" : "la longitud del vector de estado (StatevectorLen=)") +
               ": no se sabe cómo están guardadas las muestras.");
        return false;
    }
    numeroCanales = enteroExacto(*canales);
    longitudVectorEstado = enteroExacto(*estado);
    if (!numeroCanales || !longitudVectorEstado) {
        fallar("la primera línea tiene un valor que no es un número entero (SourceCh= " + valorVisible(*canales) +
               ", StatevectorLen= " + valorVisible(*estado) + ").");
        return false;
    }
    return true;
}

// What the header lays out for the data, and the StimulusCode onsets found
// in them.
struct DatFileReader::Lectura {
    int64_t canales = 0;
    int64_t vectorEstado = 0;  // bytes of the state vector after each sample's values
    TipoValor tipo = TipoValor::int16;
    int32_t tipoDato = 3;  // GDF code of the stored type
    int64_t bytesValor = 2;
    int64_t bytesPorMuestra = 0;
    std::vector<Escala> escalas;  // empty: values stay as stored
    std::vector<std::pair<int64_t, uint32_t>> inicios;  // (sample, StimulusCode) where the code turns on
};

EEG DatFileReader::decodificar() {
    reiniciar();
    tamanoArchivo = tamano();
    Lectura l;
    if (!leerCabecera() || !disponerDatos(l)) return EEG();
    EEG eeg;
    if (!reservarRegistro(l, eeg)) return EEG();
    describirCanales(l, eeg);
    if (!leerMuestras(l, eeg)) return EEG();
    crearEventos(l, eeg);
    if (!notas.empty()) {
        std::string aviso;
        for (const std::string& n : notas) aviso += (aviso.empty() ? "" : " ") + n;
        avisar(aviso);
    }
    return eeg;
}

bool DatFileReader::leerCabecera() {
    const std::optional<std::string> primera = leerPrimeraLinea(maximoPrimeraLinea);
    if (!primera) {
        fallar("la primera línea del archivo no termina en CR LF: no es una cabecera BCI2000.");
        return false;
    }
    diagnostico(*primera);
    if (!analizarPrimeraLinea(*primera)) return false;

    irA(0);
    const std::string cabecera = leerTexto(static_cast<size_t>(longitudCabecera));
    diagnostico(cabecera);

    // Lines after the first: "[ Section ]" headings, the state definitions
    // under "[ State Vector Definition ]", parameter lines elsewhere.
    bool enEstados = false;
    size_t inicio = std::min(primera->size() + 2, cabecera.size() + 1);
    while (inicio <= cabecera.size()) {
        size_t fin = cabecera.find('\n', inicio);
        if (fin == std::string::npos) fin = cabecera.size();
        const std::string linea = cabecera.substr(inicio, fin - inicio);
        const std::vector<std::string> t = separarTokens(linea);
        if (!t.empty() && t.front().front() == '[' && t.back().back() == ']') {
            enEstados = linea.find("State Vector Definition") != std::string::npos;
        } else if (enEstados) {
            analizarEstado(linea);
        } else {
            analizarLinea(linea);
        }
        inicio = fin + 1;
    }
    // A StateVectorLength= parameter that disagrees with the first line is
    // refused, unless it is too short for the states the header defines:
    // then the parameter is stale (BCI2000 files exist with such headers) and
    // the data are read as the first line lays them out.
    if (errorCabecera.empty() && longitudEstadoParametro) {
        const std::string ambos = "el parámetro StateVectorLength= " + std::to_string(*longitudEstadoParametro) +
                                  " no coincide con StatevectorLen= " + std::to_string(*longitudVectorEstado) +
                                  " de la primera línea";
        if (*longitudEstadoParametro < bytesEstados && *longitudVectorEstado >= bytesEstados)
            diagnostico("En la cabecera, " + ambos + "; los estados definidos ocupan " +
                        std::to_string(bytesEstados) + " bytes, así que se usa la primera línea.");
        else
            errorDeCabecera(ambos + ".");
    }
    if (!errorCabecera.empty()) {
        fallar(errorCabecera);
        return false;
    }
    return true;
}

// The channels, the sample format and the state vector checked against each
// other and against the file's size; the count of complete samples.
bool DatFileReader::disponerDatos(Lectura& l) {
    const int64_t canales = l.canales = *numeroCanales;
    const int64_t vectorEstado = l.vectorEstado = *longitudVectorEstado;
    if (canales <= 0) {
        fallar("la cabecera no declara canales (SourceCh= " + std::to_string(canales) + ").");
        return false;
    }
    if (canales > maximoCanales) {
        fallar("la cabecera declara " + std::to_string(canales) + " canales (SourceCh=); se admiten " +
               std::to_string(maximoCanales) + " como mucho.");
        return false;
    }
    if (!frecuenciaMuestreo) {
        fallar("la cabecera no indica la frecuencia de muestreo (SamplingRate=).");
        return false;
    }
    if (vectorEstado < 0) {
        fallar("la longitud del vector de estado (StatevectorLen= " + std::to_string(vectorEstado) + ") es negativa.");
        return false;
    }
    if (etiquetas.size() > static_cast<size_t>(canales)) {
        notas.push_back("ChannelNames= nombra " + std::to_string(etiquetas.size()) + " canales, pero el archivo tiene " +
                        std::to_string(canales) + ": se usan los " + std::to_string(canales) + " primeros nombres.");
        etiquetas.resize(static_cast<size_t>(canales));
    }

    const std::string formato = formatoDatos.value_or("int16");  // the format's default
    l.tipo = formato == "int16" ? TipoValor::int16 : formato == "int32" ? TipoValor::int32 : TipoValor::float32;
    l.tipoDato = formato == "int16" ? 3 : formato == "int32" ? 5 : 16;
    l.bytesValor = static_cast<int64_t>(bytesPorValor(l.tipo));

    // One sample: every channel's value and the state vector. Counts beyond
    // the file size cannot give a whole sample, so the product cannot overflow.
    const int64_t datos = tamanoArchivo - longitudCabecera;
    if (canales > datos || vectorEstado > datos) {
        fallar("la cabecera declara " + std::to_string(canales) + " canales y " + std::to_string(vectorEstado) +
               " bytes de estado, más de lo que cabe en los " + std::to_string(datos) + " bytes de datos del archivo.");
        return false;
    }
    if (codigoEstimulo && (codigoEstimulo->longitud < 1 || codigoEstimulo->longitud > 32 || codigoEstimulo->byte < 0 ||
                           codigoEstimulo->byte > vectorEstado || codigoEstimulo->bit < 0 || codigoEstimulo->bit > 7 ||
                           codigoEstimulo->byte * 8 + codigoEstimulo->bit + codigoEstimulo->longitud > vectorEstado * 8)) {
        notas.push_back("El estado StimulusCode no cabe en el vector de estado de " + std::to_string(vectorEstado) +
                        " bytes: el registro queda sin eventos.");
        codigoEstimulo.reset();
    }
    const int64_t bytesPorMuestra = l.bytesPorMuestra = canales * l.bytesValor + vectorEstado;
    numeroMuestras = datos / bytesPorMuestra;
    if (numeroMuestras == 0) {
        fallar("el archivo no contiene ninguna muestra completa tras la cabecera.");
        return false;
    }
    // A file cut inside a sample keeps the complete ones before the cut.
    const int64_t sobrantes = datos % bytesPorMuestra;
    if (sobrantes > 0)
        notas.insert(notas.begin(), "El archivo está incompleto: se leyeron " + std::to_string(numeroMuestras) +
                                        " de las " + std::to_string(numeroMuestras + 1) +
                                        " muestras por canal; a la última le faltan " +
                                        std::to_string(bytesPorMuestra - sobrantes) + " de sus " +
                                        std::to_string(bytesPorMuestra) + " bytes.");
    return true;
}

bool DatFileReader::reservarRegistro(const Lectura& l, EEG& eeg) {
    try {
        eeg = reservarEEG(static_cast<int32_t>(*frecuenciaMuestreo), static_cast<uint32_t>(l.canales), numeroMuestras,
                          Poblado::porPiezas);
    } catch (const std::bad_alloc&) {
        fallar("no hay memoria para " + std::to_string(l.canales) + " canales x " + std::to_string(numeroMuestras) +
               " muestras.");
        return false;
    }
    eeg.sujeto = sujeto;
    eeg.identificacionRegistro = sesion + ejecuciones;
    eeg.fechaRegistro = fechaRegistro;
    eeg.fechaHora = fechaDeBCI2000(fechaRegistro);
    return true;
}

void DatFileReader::describirCanales(Lectura& l, EEG& eeg) {
    std::vector<Canal>& registroCanales = *eeg.canales;
    const auto nCanales = static_cast<size_t>(l.canales);
    for (size_t c = 0; c < etiquetas.size(); ++c) registroCanales[c].etiqueta = etiquetas[c];
    if (numeroEnsayos >= 0) {
        for (Canal& canal : registroCanales) {
            canal.muestrasPorRegistro = static_cast<uint32_t>(numeroEnsayos);
            canal.tipoDato = static_cast<uint32_t>(l.tipoDato);
        }
    }
    // (raw - SourceChOffset) x SourceChGain gives µV, when both lists hold one
    // number per channel; otherwise the values stay in A/D units.
    std::vector<Escala>& escalas = l.escalas;
    if (ganancias && desplazamientos && ganancias->size() == nCanales && desplazamientos->size() == nCanales) {
        escalas.resize(nCanales);
        for (size_t c = 0; c < nCanales; ++c) {
            escalas[c] = {(*ganancias)[c], -(*desplazamientos)[c] * (*ganancias)[c]};
            registroCanales[c].unidad = "uV";
        }
        if (std::all_of(escalas.begin(), escalas.end(), [](const Escala& e) { return e.identidad(); }))
            escalas.clear();
    } else {
        notas.push_back("La cabecera no da SourceChGain= y SourceChOffset= con un número para cada uno de los " +
                        std::to_string(nCanales) +
                        " canales: los valores quedan en unidades del conversor A/D, sin pasar a µV.");
    }
}

bool DatFileReader::leerMuestras(Lectura& l, EEG& eeg) {
    const auto nCanales = static_cast<size_t>(l.canales);
    const int64_t bytesPorMuestra = l.bytesPorMuestra;
    const TipoValor tipo = l.tipo;
    const std::vector<Escala>& escalas = l.escalas;
    const auto paso = static_cast<size_t>(bytesPorMuestra);
    const size_t desplazamientoEstado = nCanales * static_cast<size_t>(l.bytesValor);
    const auto muestrasPorBloque =
        std::min(std::max<int64_t>(1, static_cast<int64_t>(bytesPorBloque / paso)), numeroMuestras);
    double* destino = eeg.matrices.front().memptr();
    // The code's bits, little-endian from its first bit in the state vector.
    const auto codigoEn = [&](const uint8_t* estado) {
        uint32_t v = 0;
        const int64_t primerBit = codigoEstimulo->byte * 8 + codigoEstimulo->bit;
        for (int64_t k = 0; k < codigoEstimulo->longitud; ++k) {
            const int64_t b = primerBit + k;
            v |= static_cast<uint32_t>((estado[b / 8] >> (b % 8)) & 1u) << k;
        }
        return v;
    };
    // Blocks of samples are read (each at its own offset) and converted on
    // two threads, each with its own buffer and mapping the matrix pages it
    // writes. Per block, the StimulusCode at its first sample and at each
    // change within it, so that onsets can be found in order afterwards.
    std::vector<uint8_t> bloques[2];
    std::atomic<bool> fallo{false};
    std::vector<std::vector<std::pair<int64_t, uint32_t>>> cambios(
        codigoEstimulo ? static_cast<size_t>((numeroMuestras + muestrasPorBloque - 1) / muestrasPorBloque) : 0);
    repartirEnDosHilos(
        numeroMuestras, muestrasPorBloque,
        [&](int hilo, int64_t desde, int64_t hasta) {
            const auto n = static_cast<size_t>(hasta - desde);
            std::vector<uint8_t>& bloque = bloques[hilo];
            bloque.resize(n * paso);
            // Only whole samples are read: the file holds every byte asked
            // for, unless it shrinks or fails meanwhile.
            if (!leerEn(bloque.data(), bloque.size(), longitudCabecera + desde * bytesPorMuestra)) {
                fallo = true;
                return;
            }
            double* columnas = destino + static_cast<size_t>(desde) * nCanales;
            poblarMemoria(columnas, n * nCanales * sizeof(double));
            convertirMultiplexado(tipo, bloque.data(), paso, nCanales, n, escalas.empty() ? nullptr : escalas.data(),
                                  columnas);
            if (!codigoEstimulo) return;
            auto& suyos = cambios[static_cast<size_t>(desde / muestrasPorBloque)];
            for (size_t j = 0; j < n; ++j) {
                const uint32_t codigo = codigoEn(bloque.data() + j * paso + desplazamientoEstado);
                if (j == 0 || codigo != suyos.back().second) suyos.emplace_back(desde + static_cast<int64_t>(j), codigo);
            }
        },
        [&](int64_t hechas) { informarLectura(static_cast<double>(hechas), static_cast<double>(numeroMuestras)); });
    if (fallo) {
        fallar("error de lectura en los datos del archivo.");
        return false;
    }
    uint32_t codigoPrevio = 0;
    for (const auto& suyos : cambios)
        for (const auto& [muestra, codigo] : suyos) {
            if (codigo != 0 && codigoPrevio == 0) l.inicios.emplace_back(muestra, codigo);
            codigoPrevio = codigo;
        }
    return true;
}

// Each StimulusCode onset is an event of its code's type.
void DatFileReader::crearEventos(const Lectura& l, EEG& eeg) {
    if (!codigoEstimulo) return;
    std::vector<Evento> eventos;
    eventos.reserve(l.inicios.size());
    size_t fuera = 0;
    for (const auto& [muestra, codigo] : l.inicios) {
        if (muestra > INT32_MAX || codigo > static_cast<uint32_t>(INT32_MAX)) {
            ++fuera;  // a column or a type that an Evento cannot hold
            continue;
        }
        Evento e;
        e.tipo = static_cast<int32_t>(codigo);
        e.posicion = static_cast<int32_t>(muestra);
        e.calificador = 1;
        eventos.push_back(e);
    }
    size_t descartados = 0;  // none: every onset is a sample that was read
    eeg.tablaEventos = construirTablaEventos(std::move(eventos), numeroMuestras, &descartados);
    fuera += descartados;
    if (fuera > 0)
        notas.push_back("Se descartaron " + std::to_string(fuera) +
                        " eventos de StimulusCode que el registro no puede guardar.");
}

void DatFileReader::analizarEstado(const std::string& linea) {
    // Name, length in bits, initial value, byte and bit of its first bit.
    const std::vector<std::string> t = separarTokens(linea);
    if (t.size() < 5) return;
    const std::optional<int64_t> longitud = enteroExacto(t[1]), byte = enteroExacto(t[3]), bit = enteroExacto(t[4]);
    if (longitud && byte && bit && *longitud > 0 && *longitud <= 64 && *byte >= 0 && *byte < (int64_t{1} << 32) &&
        *bit >= 0 && *bit < 8)
        bytesEstados = std::max(bytesEstados, (*byte * 8 + *bit + *longitud + 7) / 8);
    if (t[0] != "StimulusCode") return;
    if (!longitud || !byte || !bit) {
        notas.push_back("La definición del estado StimulusCode no se puede leer: el registro queda sin eventos.");
        return;
    }
    codigoEstimulo = Estado{*longitud, *byte, *bit};
}

void DatFileReader::analizarLinea(const std::string& linea) {
    TokensParametro tokens(linea);
    std::string clave;
    while (tokens.siguiente(clave)) {
        if (clave == "SourceCh=" || clave == "StateVectorLength=" || clave == "StatevectorLen=") {
            // Repeats of the first line's layout: they must agree with it.
            if (!tokens.siguiente(token)) continue;
            const std::optional<int64_t> v = enteroExacto(token);
            if (!v) {
                errorDeCabecera("el valor «" + valorVisible(token) + "» de " + clave + " no es un número entero.");
                continue;
            }
            if (clave == "SourceCh=") comprobarIgual(clave, "SourceCh=", *v, numeroCanales);
            // The first value that disagrees, checked once the state definitions are known.
            else if (*v != *longitudVectorEstado && !longitudEstadoParametro) longitudEstadoParametro = *v;
        } else if (clave == "DataFormat=") {
            if (tokens.siguiente(token)) fijarFormato(token, "parámetro");
        } else if (clave == "SamplingRate=") {
            // "%" is an empty value: the rate is then missing, and the token
            // after it (the parameter's default column) is not the rate.
            if (tokens.siguiente(token) && token != "%") fijarFrecuencia(token);
        } else if (clave == "ChannelNames=") {
            if (!tokens.siguiente(token)) continue;
            const std::optional<int64_t> n = enteroExacto(token);
            if (!n || *n < 0) continue;  // not a list the record can use
            etiquetas.clear();
            for (int64_t k = 0; k < *n && tokens.siguiente(token); ++k) etiquetas.push_back(textoDeValor(token));
        } else if (clave == "SubjectName=") {
            if (tokens.siguiente(token)) sujeto = textoDeValor(token);
        } else if (clave == "SubjectSession=") {
            if (tokens.siguiente(token)) sesion = textoDeValor(token);
        } else if (clave == "SubjectRun=") {
            // Kept apart from the session so that "session-run" does not
            // depend on which of the two keys the header lists first.
            if (tokens.siguiente(token)) ejecuciones += "-" + textoDeValor(token);
        } else if (clave == "StorageTime=") {
            if (tokens.siguiente(token)) fechaRegistro = textoDeValor(token);
        } else if (clave == "SourceChGain=" || clave == "SourceChOffset=") {
            std::optional<std::vector<double>>& lista = clave == "SourceChGain=" ? ganancias : desplazamientos;
            lista = listaPorCanal(tokens, clave == "SourceChGain=", token);
        } else if (clave == "NumberOfTrials=") {
            if (!tokens.siguiente(token)) continue;
            const std::optional<int64_t> n = enteroExacto(token);
            numeroEnsayos = n && *n >= 0 && *n <= UINT32_MAX ? *n : 0;  // "%" or unreadable: no count
            for (int64_t k = 0; k < numeroCanales.value_or(0) && tokens.siguiente(token); ++k) {
            }
        }
    }
}

// A real number with an optional unit: "256", "256Hz", "256.0Hz", "2.56e2", "1kHz".
void DatFileReader::fijarFrecuencia(const std::string& valor) {
    double v = 0.0;
    const char* fin = valor.data() + valor.size();
    const auto [resto, error] = std::from_chars(valor.data(), fin, v);
    const std::string unidad(resto, fin);
    if (error != std::errc() || resto == valor.data() || (unidad != "" && unidad != "Hz" && unidad != "kHz")) {
        errorDeCabecera("la frecuencia de muestreo «" + valorVisible(valor) +
                        "» de SamplingRate= no es un número de Hz (por ejemplo 256, 256Hz o 1kHz).");
        return;
    }
    if (unidad == "kHz") v *= 1000.0;
    if (!std::isfinite(v) || v <= 0.0) {
        errorDeCabecera("la frecuencia de muestreo de la cabecera (SamplingRate= " + valorVisible(valor) +
                        ") no es válida: debe ser mayor que 0 Hz.");
    } else if (v > frecuenciaMaximaHz) {
        errorDeCabecera("la frecuencia de muestreo de la cabecera (SamplingRate= " + valorVisible(valor) +
                        ") es demasiado grande: más de 1 MHz no es un registro de EEG.");
    } else if (v != std::floor(v)) {
        errorDeCabecera("la frecuencia de muestreo de la cabecera (SamplingRate= " + valorVisible(valor) +
                        ") no es un número entero de Hz.");
    } else {
        frecuenciaMuestreo = static_cast<int64_t>(v);
    }
}
