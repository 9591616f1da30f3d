#include "io/DatFileReader.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "io/diagnostico.h"
#include "io/reservarEEG.h"
#include "io/textoNumerico.h"
#include "io/valoresBinarios.h"

namespace {

// The first line of a BCI2000 file holds three keys; a longer one is not a
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

std::string textoOVacio(const std::string& t) { return t == "%" ? std::string() : t; }

}  // namespace

EEG DatFileReader::leer(std::string ruta) { return leerArchivo(ruta); }

void DatFileReader::reiniciar() {
    longitudCabecera = tamanoArchivo = longitudVectorEstado = 0;
    tipoDato = 3;
    bytesPorValor = 2;
    token.clear();
    frecuenciaMuestreo = numeroCanales = numeroMuestras = 0;
    etiquetas.clear();
    etiquetasDeclaradas = 0;
    sujeto.clear();
    sesion.clear();
    ejecuciones.clear();
    fechaRegistro.clear();
    numeroEnsayos = -1;
    errorCabecera.clear();
}

void DatFileReader::errorDeCabecera(const std::string& texto) {
    if (errorCabecera.empty()) errorCabecera = texto;
}

EEG DatFileReader::decodificar() {
    reiniciar();
    tamanoArchivo = tamano();

    const std::optional<std::string> primera = leerPrimeraLinea(maximoPrimeraLinea);
    if (!primera)
        return fallar("la primera línea del archivo no termina en CR LF: no es una cabecera BCI2000.");
    diagnostico(*primera);

    const std::vector<std::string> tokensPrimera = separarTokens(*primera);
    const auto clave = std::find(tokensPrimera.begin(), tokensPrimera.end(), "HeaderLen=");
    if (clave == tokensPrimera.end() || clave + 1 == tokensPrimera.end())
        return fallar("la primera línea no indica la longitud de la cabecera (HeaderLen=): no es un archivo BCI2000.");
    const std::optional<int64_t> longitud = enteroInicial(*(clave + 1));
    if (!longitud || *longitud <= 0 || *longitud > tamanoArchivo)
        return fallar("la longitud de cabecera HeaderLen= " + *(clave + 1) + " no es válida para un archivo de " +
                      std::to_string(tamanoArchivo) + " bytes.");
    longitudCabecera = *longitud;

    irA(0);
    const std::string cabecera = leerTexto(static_cast<size_t>(longitudCabecera));
    diagnostico(cabecera);

    size_t inicio = 0;
    while (inicio <= cabecera.size()) {
        size_t fin = cabecera.find('\n', inicio);
        if (fin == std::string::npos) fin = cabecera.size();
        const std::string linea = cabecera.substr(inicio, fin - inicio);
        if (linea != "[ State Vector Definition ]") analizarLinea(linea);
        inicio = fin + 1;
    }
    if (!errorCabecera.empty()) return fallar(errorCabecera);

    if (numeroCanales <= 0)
        return fallar("la cabecera no declara canales (SourceCh= " + std::to_string(numeroCanales) + ").");
    if (numeroCanales > maximoCanales)
        return fallar("la cabecera declara " + std::to_string(numeroCanales) + " canales (SourceCh=); se admiten " +
                      std::to_string(maximoCanales) + " como mucho.");
    if (frecuenciaMuestreo <= 0 || frecuenciaMuestreo > INT32_MAX)
        return fallar("la frecuencia de muestreo de la cabecera (SamplingRate= " +
                      std::to_string(frecuenciaMuestreo) + ") no es válida: debe ser mayor que 0 Hz.");
    if (longitudVectorEstado < 0)
        return fallar("la longitud del vector de estado (StatevectorLen= " + std::to_string(longitudVectorEstado) +
                      ") es negativa.");
    if (etiquetasDeclaradas > numeroCanales)
        return fallar("ChannelNames= nombra " + std::to_string(etiquetasDeclaradas) + " canales, pero el archivo tiene " +
                      std::to_string(numeroCanales) + ".");

    // One sample: every channel's value and the state vector. Counts beyond
    // the file size cannot give a whole sample, so the product cannot overflow.
    const int64_t datos = tamanoArchivo - longitudCabecera;
    if (numeroCanales > datos || longitudVectorEstado > datos)
        return fallar("la cabecera declara " + std::to_string(numeroCanales) + " canales y " +
                      std::to_string(longitudVectorEstado) + " bytes de estado, más de lo que cabe en los " +
                      std::to_string(datos) + " bytes de datos del archivo.");
    const int64_t bytesPorMuestra = numeroCanales * bytesPorValor + longitudVectorEstado;
    numeroMuestras = datos / bytesPorMuestra;
    if (numeroMuestras == 0)
        return fallar("el archivo no contiene ninguna muestra completa tras la cabecera.");

    EEG eeg;
    try {
        eeg = reservarEEG(static_cast<int32_t>(frecuenciaMuestreo), static_cast<uint32_t>(numeroCanales),
                          numeroMuestras);
    } catch (const std::bad_alloc&) {
        return fallar("no hay memoria para " + std::to_string(numeroCanales) + " canales x " +
                      std::to_string(numeroMuestras) + " muestras.");
    }
    eeg.sujeto = sujeto;
    eeg.identificacionRegistro = sesion + ejecuciones;
    eeg.fechaRegistro = fechaRegistro;
    std::vector<Canal>& canales = *eeg.canales;
    for (size_t c = 0; c < etiquetas.size(); ++c) canales[c].etiqueta = etiquetas[c];
    if (numeroEnsayos >= 0) {
        for (Canal& canal : canales) {
            canal.muestrasPorRegistro = static_cast<uint32_t>(numeroEnsayos);
            canal.tipoDato = static_cast<uint32_t>(tipoDato);
            canal.unidad = "uV.";
        }
    }

    const TipoValor tipo =
        tipoDato == 3 ? TipoValor::int16 : tipoDato == 5 ? TipoValor::int32 : TipoValor::float32;
    const auto nCanales = static_cast<size_t>(numeroCanales);
    const auto paso = static_cast<size_t>(bytesPorMuestra);
    const size_t muestrasPorBloque =
        std::min(std::max<size_t>(1, bytesPorBloque / paso), static_cast<size_t>(numeroMuestras));
    std::vector<uint8_t> bloque(muestrasPorBloque * paso);
    double* destino = eeg.matrices.front().memptr();
    irA(longitudCabecera);
    for (int64_t s = 0; s < numeroMuestras;) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(numeroMuestras - s, static_cast<int64_t>(muestrasPorBloque)));
        leerBloque(bloque.data(), n * paso);
        for (size_t j = 0; j < n; ++j) convertirValores(tipo, bloque.data() + j * paso, nCanales, destino + (static_cast<size_t>(s) + j) * nCanales, 1);
        s += static_cast<int64_t>(n);
    }
    return eeg;
}

void DatFileReader::analizarLinea(const std::string& linea) {
    const std::vector<std::string> tokens = separarTokens(linea);
    const size_t fin = static_cast<size_t>(std::find(tokens.begin(), tokens.end(), "//") - tokens.begin());
    size_t i = 0;
    auto siguiente = [&](std::string& destino) {
        if (i >= fin) return false;
        destino = tokens[i++];
        return true;
    };
    auto entero = [&](const std::string& claveLeida, int64_t& destino) {
        if (!siguiente(token)) return false;
        const std::optional<int64_t> v = enteroInicial(token);
        if (!v) {
            errorDeCabecera("el valor «" + token + "» de " + claveLeida + " no es un número entero.");
            return false;
        }
        destino = *v;
        return true;
    };

    while (i < fin) {
        const std::string clave = tokens[i++];
        if (clave == "SourceCh=") {
            entero(clave, numeroCanales);
        } else if (clave == "StatevectorLen=") {
            entero(clave, longitudVectorEstado);
        } else if (clave == "DataFormat=") {
            if (!siguiente(token)) continue;
            if (token == "int16") {
                tipoDato = 3;
                bytesPorValor = 2;
            } else if (token == "int32") {
                tipoDato = 5;
                bytesPorValor = 4;
            } else {
                tipoDato = 16;
                bytesPorValor = 4;
            }
        } else if (clave == "SamplingRate=") {
            if (!siguiente(token)) continue;
            if (token == "%" && !siguiente(token)) continue;
            // "256Hz", "256.0Hz" and "256" all mean 256 samples per second.
            const size_t h = token.rfind('H');
            const std::string numero = h == std::string::npos ? token : token.substr(0, h);
            const std::optional<int64_t> v = enteroInicial(numero);
            if (!v)
                errorDeCabecera("la frecuencia de muestreo «" + token + "» de SamplingRate= no es un número.");
            else
                frecuenciaMuestreo = *v;
        } else if (clave == "ChannelNames=") {
            int64_t n = 0;
            if (!entero(clave, n)) continue;
            if (n < 0) {
                errorDeCabecera("ChannelNames= declara un número negativo de canales (" + std::to_string(n) + ").");
                continue;
            }
            etiquetasDeclaradas = n;
            etiquetas.clear();
            for (int64_t k = 0; k < n && siguiente(token); ++k) etiquetas.push_back(token);
        } else if (clave == "SubjectName=") {
            if (siguiente(token)) sujeto = textoOVacio(token);
        } else if (clave == "SubjectSession=") {
            if (siguiente(token)) sesion = textoOVacio(token);
        } else if (clave == "SubjectRun=") {
            // Kept apart from the session so that "session-run" does not
            // depend on which of the two keys the header lists first.
            if (siguiente(token)) ejecuciones += "-" + textoOVacio(token);
        } else if (clave == "StorageTime=") {
            if (siguiente(token)) fechaRegistro = textoOVacio(token);
        } else if (clave == "NumberOfTrials=") {
            int64_t n = 0;
            if (!entero(clave, n)) continue;
            if (n < 0 || n > UINT32_MAX) {
                errorDeCabecera("NumberOfTrials= " + std::to_string(n) + " no es un número de ensayos válido.");
                continue;
            }
            numeroEnsayos = n;
            for (int64_t k = 0; k < numeroCanales && siguiente(token); ++k) {
            }
        }
    }
}
