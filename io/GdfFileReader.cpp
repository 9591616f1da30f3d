#include "io/GdfFileReader.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <vector>

#include "io/diagnostico.h"
#include "io/frecuenciaMuestreo.h"
#include "io/fechaHora.h"
#include "io/lecturaParalela.h"
#include "io/reservarEEG.h"
#include "io/textoCabecera.h"
#include "io/textoNumerico.h"
#include "io/valoresBinarios.h"

namespace {

constexpr size_t bytesPorBloque = 256 * 1024;  // stays in the L2 cache while decoded

struct CanalGdf {
    uint32_t muestrasPorRegistro = 0;
    TipoValor tipo = TipoValor::int16;
};

// "GDF d.dd", the only form the version field takes; the major digit, or
// nullopt for any other text ("GDF 1.xx", "GDF 1.2\0").
// a x b for counts whose product may not fit in 64 bits.
std::string textoProducto(int64_t a, uint32_t b) {
    unsigned __int128 v = static_cast<unsigned __int128>(a) * b;
    std::string t;
    do {
        t.insert(t.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    } while (v > 0);
    return t;
}

// physmin + (d - digmin) x (physmax - physmin) / (digmax - digmin), written
// as d x ganancia + desplazamiento; nullopt when the ranges define no scale
// (equal or non-finite limits).
std::optional<Escala> escalaFisica(double fisicoMinimo, double fisicoMaximo, double digitalMinimo,
                                   double digitalMaximo) {
    const double ganancia = (fisicoMaximo - fisicoMinimo) / (digitalMaximo - digitalMinimo);
    const double desplazamiento = fisicoMinimo - digitalMinimo * ganancia;
    if (!std::isfinite(ganancia) || ganancia == 0.0 || !std::isfinite(desplazamiento)) return std::nullopt;
    return Escala{ganancia, desplazamiento};
}

std::optional<int> versionMayor(const std::string& campo) {
    const auto digito = [&](size_t i) { return campo[i] >= '0' && campo[i] <= '9'; };
    if (campo.size() != 8 || campo.compare(0, 4, "GDF ") != 0 || !digito(4) || campo[5] != '.' || !digito(6) ||
        !digito(7))
        return std::nullopt;
    return campo[4] - '0';
}

}  // namespace

EEG GdfFileReader::leer(std::string ruta) { return leerArchivo(ruta); }

// What the phases of one reading hand on to the next.
struct GdfFileReader::Lectura {
    int64_t tamanoArchivo = 0;
    bool v2 = false;
    int menor = 0;  // the version's minor number
    std::string sujeto, identificacion, fecha, reservado;
    int64_t longitudCabecera = 0;
    uint64_t idEquipo = 0, idLaboratorio = 0, idTecnico = 0;
    int64_t numeroRegistros = 0;
    uint32_t numerador = 0, denominador = 0, ns = 0;
    double duracionReal = 0.0;  // record duration of version 2.21 on, a float64 in seconds
    std::optional<FechaHora> fechaHora;
    std::vector<Canal> canales;
    // Digital limits as stored (float64 in version 2), for the physical scale.
    std::vector<double> digitalMinimo, digitalMaximo;
    std::map<int32_t, std::string> descripciones;  // event types' texts of the header extension
    std::vector<CanalGdf> formato;
    int64_t bytesPorRegistro = 0;
    uint32_t spr = 0;  // samples per record of the fastest channel
    std::vector<Escala> escalas;
    bool todasIdentidad = false;
    std::string sinEscala;  // the first channels without a scale, as a list
    size_t canalesSinEscala = 0;
    double frecuencia = 0.0;
    int64_t registrosLeidos = 0;
    int64_t numeroMuestras = 0;
    std::vector<std::string> notas;  // what the user is told at the end, as one warning
};

EEG GdfFileReader::decodificar() {
    Lectura l;
    l.tamanoArchivo = tamano();
    if (!leerVersion(l) || !leerCabeceraFija(l) || !comprobarCabeceraFija(l)) return EEG();
    leerCabecerasCanales(l);
    if (!comprobarFormatos(l)) return EEG();
    calcularEscalas(l);
    if (!calcularFrecuencia(l) || !contarRegistros(l)) return EEG();
    EEG eeg;
    if (!reservarRegistro(l, eeg) || !leerDatos(l, eeg)) return EEG();
    leerTablaEventos(l, eeg);
    return eeg;
}

bool GdfFileReader::leerVersion(Lectura& l) {
    const std::string version = leerTexto(8);
    if (version.compare(0, 3, "GDF") != 0) {
        fallar("el archivo no empieza por «GDF»: no es un archivo GDF.");
        return false;
    }
    const std::optional<int> mayor = versionMayor(version);
    const std::string versionVisible = utf8Saneado(version.substr(0, version.find('\0')));
    if (!mayor) {
        fallar("no se puede leer la versión del archivo GDF («" + versionVisible + "»).");
        return false;
    }
    diagnostico("detectado el formato: " + std::to_string(*mayor));
    l.menor = (version[6] - '0') * 10 + (version[7] - '0');
    if (*mayor > 2 || (*mayor == 2 && (l.menor < 10 || l.menor > 51))) {
        fallar("el archivo GDF es de la versión " + versionVisible.substr(4) +
                   "; solo se admiten la versión 1 y de la 2.10 a la 2.51.",
               "Version no soportada por ahora");
        return false;
    }
    if (*mayor != 1 && *mayor != 2) {
        fallar("la versión «" + versionVisible + "» del archivo GDF no existe; solo se admiten la versión 1 y la 2.");
        return false;
    }
    l.v2 = *mayor == 2;
    return true;
}

bool GdfFileReader::leerCabeceraFija(Lectura& l) {
    diagnostico("Cargando cabeceras...");
    if (!l.v2) {
        l.sujeto = leerTexto(80);
        l.identificacion = leerTexto(80);
        l.fecha = leerTexto(16);
        l.fechaHora = fechaDeGDF1(l.fecha);
        l.longitudCabecera = static_cast<int64_t>(leer64());
        l.idEquipo = leer64();
        l.idLaboratorio = leer64();
        l.idTecnico = leer64();
        l.reservado = leerTexto(20);
        l.numeroRegistros = static_cast<int64_t>(leer64());
        l.numerador = leer32();
        l.denominador = leer32();
        l.ns = leer32();
        return true;
    }
    // Byte offsets of the 256-byte fixed header of version 2.
    l.sujeto = leerTexto(66);  // 8
    irA(88);
    l.identificacion = leerTexto(64);
    irA(168);
    l.fechaHora = fechaDeGDF2(leer64());
    irA(184);
    l.longitudCabecera = 256 * static_cast<int64_t>(leer16());
    irA(192);
    l.idEquipo = leer64();
    irA(236);
    l.numeroRegistros = static_cast<int64_t>(leer64());
    // Versions 2.10 to 2.20 give the duration as a fraction of two
    // uint32; from 2.21 on it is one float64 in seconds.
    if (l.menor >= 21) {
        l.duracionReal = leerReal64();
        if (!std::isfinite(l.duracionReal) || l.duracionReal <= 0.0) {
            fallar("la duración de registro del archivo GDF (" + textoReal(l.duracionReal) + " s) no es válida.");
            return false;
        }
    } else {
        l.numerador = leer32();
        l.denominador = leer32();
    }
    l.ns = leer16();
    return true;
}

bool GdfFileReader::comprobarCabeceraFija(const Lectura& l) {
    if (l.ns == 0) {
        fallar("la cabecera GDF no declara ningún canal.");
        return false;
    }
    const int64_t cabeceraMinima = 256 * (static_cast<int64_t>(l.ns) + 1);
    if (l.longitudCabecera < cabeceraMinima || l.longitudCabecera > l.tamanoArchivo) {
        fallar("la longitud de cabecera GDF (" + std::to_string(l.longitudCabecera) + " bytes) no es válida para " +
               std::to_string(l.ns) + " canales en un archivo de " + std::to_string(l.tamanoArchivo) + " bytes.");
        return false;
    }
    if (l.numeroRegistros <= 0) {
        fallar("el archivo GDF no declara registros de datos (número de registros " +
               std::to_string(l.numeroRegistros) + ").");
        return false;
    }
    if ((l.numerador == 0 || l.denominador == 0) && l.duracionReal == 0.0) {
        fallar("la duración de registro del archivo GDF (" + std::to_string(l.numerador) + "/" +
               std::to_string(l.denominador) + " s) no es válida.");
        return false;
    }
    return true;
}

// Channel headers: each field is an array over the channels.
void GdfFileReader::leerCabecerasCanales(Lectura& l) {
    const uint32_t ns = l.ns;
    std::vector<Canal>& canales = l.canales;
    canales.resize(ns);
    l.digitalMinimo.resize(ns);
    l.digitalMaximo.resize(ns);
    // Labels and units lose the padding of their fields: "Fz" matches "Fz".
    if (!l.v2) {
        for (Canal& c : canales) c.etiqueta = textoDeCabecera(leerTexto(16));
        for (Canal& c : canales) c.transductor = utf8Saneado(leerTexto(80));
        for (Canal& c : canales) c.unidad = textoDeCabecera(leerTexto(8));
        for (Canal& c : canales) c.minimoFisico = leerReal64();
        for (Canal& c : canales) c.maximoFisico = leerReal64();
        for (Canal& c : canales) c.minimoDigital = static_cast<int64_t>(leer64());
        for (Canal& c : canales) c.maximoDigital = static_cast<int64_t>(leer64());
        for (uint32_t c = 0; c < ns; ++c) {
            l.digitalMinimo[c] = static_cast<double>(canales[c].minimoDigital);
            l.digitalMaximo[c] = static_cast<double>(canales[c].maximoDigital);
        }
        for (Canal& c : canales) c.prefiltrado = utf8Saneado(leerTexto(80));
        for (Canal& c : canales) c.muestrasPorRegistro = leer32();
        for (Canal& c : canales) c.tipoDato = leer32();
        return;
    }
    // Digital limits are float64 here; a value no int64 holds keeps 0.
    const auto entero = [](double d) {
        return std::isfinite(d) && std::fabs(d) < 9.2e18 ? static_cast<int64_t>(std::llround(d)) : int64_t{0};
    };
    irA(256);
    for (Canal& c : canales) c.etiqueta = textoDeCabecera(leerTexto(16));
    for (Canal& c : canales) c.transductor = utf8Saneado(leerTexto(80));
    for (Canal& c : canales) c.unidad = textoDeCabecera(leerTexto(6));
    irA(posicion() + 2 * int64_t{ns});  // unit code: the text above says the same
    for (Canal& c : canales) c.minimoFisico = leerReal64();
    for (Canal& c : canales) c.maximoFisico = leerReal64();
    for (double& d : l.digitalMinimo) d = leerReal64();
    for (double& d : l.digitalMaximo) d = leerReal64();
    for (uint32_t c = 0; c < ns; ++c) {
        canales[c].minimoDigital = entero(l.digitalMinimo[c]);
        canales[c].maximoDigital = entero(l.digitalMaximo[c]);
    }
    for (Canal& c : canales) c.prefiltrado = utf8Saneado(leerTexto(68));
    // Low-pass, high-pass and notch (float32 each) are not used.
    irA(posicion() + 12 * int64_t{ns});
    for (Canal& c : canales) c.muestrasPorRegistro = leer32();
    for (Canal& c : canales) c.tipoDato = leer32();
    // Sensor positions and impedances are not used; the header
    // extension may name the event types.
    l.descripciones = leerDescripcionesEventos(256 * (int64_t{ns} + 1), l.longitudCabecera);
}

// Samples per record and data type of every channel, and so the size of a
// data record.
bool GdfFileReader::comprobarFormatos(Lectura& l) {
    const std::vector<Canal>& canales = l.canales;
    const int64_t presentes = l.tamanoArchivo - l.longitudCabecera;
    l.formato.resize(l.ns);
    // Version 2 lets a channel hold fewer samples per record than the
    // fastest one, if it divides it: each of its values is held over the
    // columns it spans. Version 1 needs one count for all.
    l.spr = canales[0].muestrasPorRegistro;
    if (l.v2)
        for (const Canal& c : canales) l.spr = std::max(l.spr, c.muestrasPorRegistro);
    if (l.spr == 0) {
        fallar("el primer canal del archivo GDF tiene 0 muestras por registro.");
        return false;
    }
    for (uint32_t c = 0; c < l.ns; ++c) {
        const uint32_t propias = canales[c].muestrasPorRegistro;
        if (propias != l.spr && (!l.v2 || propias == 0 || l.spr % propias != 0)) {
            fallar("los canales del archivo GDF tienen distinto número de muestras por registro (canal 1: " +
                   std::to_string(canales[0].muestrasPorRegistro) + ", canal " + std::to_string(c + 1) + ": " +
                   std::to_string(propias) + "); no se admite.");
            return false;
        }
        const std::optional<TipoValor> tipo = tipoValorGDF(canales[c].tipoDato);
        if (!tipo) {
            fallar("el canal " + std::to_string(c + 1) + " del archivo GDF usa el tipo de dato " +
                   std::to_string(canales[c].tipoDato) + ", que no se admite (1 a 7, 16, 17 o 279).");
            return false;
        }
        l.formato[c] = {propias, *tipo};
        // Past the bytes present the sum only needs to say "too long" (and
        // must not overflow on the way).
        if (l.bytesPorRegistro <= presentes)
            l.bytesPorRegistro += static_cast<int64_t>(propias) * static_cast<int64_t>(bytesPorValor(*tipo));
    }
    return true;
}

// Values become physical through each channel's ranges; a channel whose
// ranges define no scale keeps its stored values, and the user is told.
void GdfFileReader::calcularEscalas(Lectura& l) {
    l.escalas.resize(l.ns);
    for (uint32_t c = 0; c < l.ns; ++c) {
        const std::optional<Escala> e = escalaFisica(l.canales[c].minimoFisico, l.canales[c].maximoFisico,
                                                     l.digitalMinimo[c], l.digitalMaximo[c]);
        if (e) {
            l.escalas[c] = *e;
        } else if (++l.canalesSinEscala <= 10) {
            l.sinEscala += (l.sinEscala.empty() ? "" : ", ") + std::to_string(c + 1);
        }
    }
    l.todasIdentidad = std::all_of(l.escalas.begin(), l.escalas.end(), [](const Escala& e) { return e.identidad(); });
}

bool GdfFileReader::calcularFrecuencia(Lectura& l) {
    // spr / (numerator / denominator), truncated toward zero; formed as
    // spr x denominator / numerator so that whole rates stay exact.
    double frecuencia =
        l.duracionReal > 0.0 ? l.spr / l.duracionReal : static_cast<double>(l.spr) * l.denominador / l.numerador;
    // A float64 duration is seldom exact (1/200 s is not): a rate within a
    // millionth of a whole number of hertz is that number.
    if (l.duracionReal > 0.0 && std::fabs(frecuencia - std::round(frecuencia)) < 1e-6 * frecuencia)
        frecuencia = std::round(frecuencia);
    if (!(frecuencia >= 1.0)) {
        fallar("la frecuencia de muestreo del archivo GDF (" + std::to_string(l.spr) + " muestras cada " +
               (l.duracionReal > 0.0 ? textoReal(l.duracionReal)
                                     : std::to_string(l.numerador) + "/" + std::to_string(l.denominador)) +
               " s) no es válida.");
        return false;
    }
    if (frecuencia > frecuenciaMaximaHz) {
        fallar("la frecuencia de muestreo del archivo GDF (" + textoReal(frecuencia) +
               " Hz) es mayor que 1 MHz: no es un registro de EEG.");
        return false;
    }
    l.frecuencia = frecuencia;
    return true;
}

// Only the complete records the file holds are read: a file cut short
// loses its tail, never gains zeros that no one recorded.
bool GdfFileReader::contarRegistros(Lectura& l) {
    const int64_t presentes = l.tamanoArchivo - l.longitudCabecera;
    const int64_t completos = presentes / l.bytesPorRegistro;
    if (completos == 0) {
        fallar("el archivo no contiene ninguna muestra completa: tras la cabecera hay " + std::to_string(presentes) +
               " bytes y cada registro de datos ocupa " +
               (l.bytesPorRegistro > presentes ? "más" : std::to_string(l.bytesPorRegistro)) + ".");
        return false;
    }
    l.registrosLeidos = std::min(l.numeroRegistros, completos);
    l.numeroMuestras = l.registrosLeidos * l.spr;
    if (l.canalesSinEscala > 0)
        l.notas.push_back("Los rangos físico y digital de la cabecera no definen una escala para " +
                          (l.canalesSinEscala == 1 ? "el canal " + l.sinEscala
                                                   : std::to_string(l.canalesSinEscala) + " canales (" + l.sinEscala +
                                                         (l.canalesSinEscala > 10 ? ", ..." : "") + ")") +
                          ": sus valores quedan como se guardaron.");
    if (l.registrosLeidos < l.numeroRegistros)
        l.notas.push_back("El archivo está incompleto: se leyeron " + std::to_string(l.numeroMuestras) + " de las " +
                          textoProducto(l.numeroRegistros, l.spr) + " muestras por canal que declara su cabecera.");
    return true;
}

bool GdfFileReader::reservarRegistro(Lectura& l, EEG& eeg) {
    try {
        eeg = reservarEEG(static_cast<int32_t>(l.frecuencia), l.ns, l.numeroMuestras, Poblado::porPiezas);
    } catch (const std::bad_alloc&) {
        fallar("no hay memoria para " + std::to_string(l.ns) + " canales x " + std::to_string(l.numeroMuestras) +
               " muestras.");
        return false;
    }
    // Texts stay whole (padding included) but valid UTF-8.
    eeg.sujeto = utf8Saneado(l.sujeto);
    eeg.identificacionRegistro = utf8Saneado(l.identificacion);
    eeg.fechaRegistro = utf8Saneado(l.fecha);
    eeg.fechaHora = l.fechaHora;
    eeg.idEquipo = l.idEquipo;
    eeg.idLaboratorio = l.idLaboratorio;
    eeg.idTecnico = l.idTecnico;
    eeg.reservado = utf8Saneado(l.reservado);
    *eeg.canales = std::move(l.canales);
    return true;
}

// Data records start at the header length, which may exceed the
// 256 x (NS + 1) bytes of the standard headers.
bool GdfFileReader::leerDatos(const Lectura& l, EEG& eeg) {
    diagnostico("Cargando datos...");
    const int64_t bytesPorRegistro = l.bytesPorRegistro, longitudCabecera = l.longitudCabecera;
    const int64_t registrosLeidos = l.registrosLeidos;
    const uint32_t spr = l.spr;
    const std::vector<CanalGdf>& formato = l.formato;
    const std::vector<Escala>& escalas = l.escalas;
    const auto registro = static_cast<size_t>(bytesPorRegistro);
    const auto registrosPorBloque =
        std::min(std::max<int64_t>(1, static_cast<int64_t>(bytesPorBloque / registro)), registrosLeidos);
    double* destino = eeg.matrices.front().memptr();
    const size_t nCanales = l.ns;
    const bool uniforme = spr == 1 && std::all_of(formato.begin(), formato.end(),
                                                  [&](const CanalGdf& f) { return f.tipo == formato[0].tipo; });
    // Blocks of records are read (each at its own offset) and converted on
    // two threads, each with its own buffers and mapping the matrix pages
    // it writes.
    std::vector<uint8_t> bloques[2];
    std::vector<double> retenidos[2];
    std::atomic<bool> fallo{false};
    repartirEnDosHilos(
        registrosLeidos, registrosPorBloque,
        [&](int hilo, int64_t desde, int64_t hasta) {
            const auto n = static_cast<size_t>(hasta - desde);
            std::vector<uint8_t>& bloque = bloques[hilo];
            bloque.resize(n * registro);
            // Only whole records are read: the file holds every byte asked
            // for, unless it shrinks or fails meanwhile.
            if (!leerEn(bloque.data(), bloque.size(), longitudCabecera + desde * bytesPorRegistro)) {
                fallo = true;
                return;
            }
            double* columnas = destino + static_cast<size_t>(desde) * spr * nCanales;
            poblarMemoria(columnas, n * spr * nCanales * sizeof(double));
            if (uniforme) {
                // One sample per record and one type: the block is n multiplexed columns.
                convertirMultiplexado(formato[0].tipo, bloque.data(), registro, nCanales, n,
                                      l.todasIdentidad ? nullptr : escalas.data(), columnas);
                return;
            }
            std::vector<double>& retenido = retenidos[hilo];
            retenido.resize(spr);
            for (size_t j = 0; j < n; ++j) {
                const uint8_t* origen = bloque.data() + j * registro;
                // Column of the record's first value: record r holds samples r*spr ... r*spr + spr-1.
                double* columna = columnas + j * spr * nCanales;
                for (size_t c = 0; c < nCanales; ++c) {
                    const uint32_t propias = formato[c].muestrasPorRegistro;
                    if (propias == spr) {
                        convertirValores(formato[c].tipo, origen, spr, columna + c, nCanales, escalas[c]);
                    } else {
                        convertirValores(formato[c].tipo, origen, propias, retenido.data(), 1, escalas[c]);
                        const uint32_t factor = spr / propias;
                        for (uint32_t k = 0; k < spr; ++k) columna[c + size_t{k} * nCanales] = retenido[k / factor];
                    }
                    origen += propias * bytesPorValor(formato[c].tipo);
                }
            }
        },
        [&](int64_t hechos) { informarLectura(static_cast<double>(hechos), static_cast<double>(registrosLeidos)); });
    if (fallo) {
        fallar("error de lectura en los registros de datos del archivo.");
        return false;
    }
    irA(longitudCabecera + registrosLeidos * bytesPorRegistro);  // the event table follows the records
    return true;
}

// The event table, named by the header extension's texts; every note of
// the reading goes out as one warning.
void GdfFileReader::leerTablaEventos(Lectura& l, EEG& eeg) {
    diagnostico("Cargando eventos...");
    if (l.registrosLeidos < l.numeroRegistros) {
        // The table lies after the declared records: a short file has lost it.
        eeg.tablaEventos = tablaVacia();
        l.notas.push_back("Falta la tabla de eventos: el registro queda sin eventos.");
    } else {
        // A description that writes a kind as our writer does
        // ("tipo.calificador nombre", io/claseEvento.h) gives its code's
        // events that kind; any other is the name of kind (code, 1).
        std::map<int32_t, ClaseEvento> clases;
        for (const auto& [codigo, texto] : l.descripciones) {
            const std::optional<ClaseEvento> escrita = leerClaseEvento(texto);
            clases[codigo] = escrita ? *escrita : ClaseEvento{codigo, 1, texto};
        }
        leerEventos(eeg, l.notas, l.v2, l.frecuencia, clases);
        TablaEventos& tabla = *eeg.tablaEventos;
        for (const auto& par : clases) {
            const ClaseEvento& clase = par.second;  // a named reference: clang cannot capture a binding
            const bool presente = std::any_of(tabla.tipos.begin(), tabla.tipos.end(), [&](const Evento& k) {
                return k.tipo == clase.tipo && k.calificador == clase.calificador;
            });
            if (presente && !clase.nombre.empty()) tabla.textos[{clase.tipo, clase.calificador}] = clase.nombre;
        }
    }
    if (!l.notas.empty()) {
        std::string aviso;
        for (const std::string& n : l.notas) aviso += (aviso.empty() ? "" : " ") + n;
        avisar(aviso);
    }
}

std::map<int32_t, std::string> GdfFileReader::leerDescripcionesEventos(int64_t desde, int64_t hasta) {
    std::map<int32_t, std::string> textos;
    // Tag, 3-byte length of the value, value; tag 0 ends the extension.
    for (int64_t p = desde; p + 4 <= hasta;) {
        irA(p);
        uint8_t cabecera[4];
        leerBloque(cabecera, 4);
        const int64_t largo = cabecera[1] | (int64_t{cabecera[2]} << 8) | (int64_t{cabecera[3]} << 16);
        if (cabecera[0] == 0) break;
        if (cabecera[0] != 1) {
            p += 4 + largo;
            continue;
        }
        const std::string valor = leerTexto(static_cast<size_t>(std::min(largo, hasta - p - 4)));
        size_t inicio = 0;
        for (int32_t tipo = 0; inicio < valor.size() && tipo <= 255; ++tipo) {
            const size_t fin = std::min(valor.find('\0', inicio), valor.size());
            // An empty string describes nothing: a code with no text between two that have one.
            if (tipo > 0 && fin > inicio) textos[tipo] = utf8Saneado(valor.substr(inicio, fin - inicio));
            inicio = fin + 1;
        }
        break;
    }
    return textos;
}

std::shared_ptr<TablaEventos> GdfFileReader::tablaVacia() {
    auto t = std::make_shared<TablaEventos>();
    t->modo = 1;
    return t;
}

namespace {

// The arrays of an event table as read: positions, then types, then (mode 3)
// channels and durations, each over the events.
struct ArreglosEventos {
    ArreglosEventos(const uint8_t* bytes, uint32_t numero, uint8_t modoTabla, double escalaPosiciones)
        : posiciones(bytes),
          tipos(posiciones + 4 * size_t{numero}),
          canales(tipos + 2 * size_t{numero}),
          duraciones(canales + 2 * size_t{numero}),
          n(numero),
          modo(modoTabla),
          escala(escalaPosiciones) {}
    const uint8_t* posiciones;
    const uint8_t* tipos;
    const uint8_t* canales;
    const uint8_t* duraciones;
    uint32_t n;
    uint8_t modo;
    double escala;  // positions counted at this rate become columns at the signal's rate
};

// The events of `a` that mark a sample of a record of `numeroMuestras`
// columns, into `tabla`; how many fell outside goes into `notas`.
void colocarEventos(TablaEventos& tabla, const ArreglosEventos& a, int64_t numeroMuestras,
                    const std::map<int32_t, ClaseEvento>& clases, std::vector<std::string>& notas) {
    const uint32_t n = a.n;
    const uint8_t modo = a.modo;
    const double escala = a.escala;
    auto u16 = [](const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); };
    auto u32 = [](const uint8_t* p) {
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
               (static_cast<uint32_t>(p[3]) << 24);
    };

    tabla.modo = modo;
    tabla.eventos.reserve(n);
    // An event must mark a sample of the record: GDF position k (from 1) is
    // column k - 1, so 0 and anything past the last sample are dropped.
    const int64_t ultima = std::min<int64_t>(numeroMuestras, INT32_MAX);
    uint32_t fuera = 0;
    std::map<std::pair<int32_t, int32_t>, Evento> colorPorTipo;
    for (uint32_t i = 0; i < n; ++i) {
        int64_t posicionGdf = u32(a.posiciones + 4 * size_t{i});
        // Position 1 is the first sample at either rate.
        if (escala != 1.0 && posicionGdf >= 1)
            posicionGdf = 1 + std::llround(static_cast<double>(posicionGdf - 1) * escala);
        if (posicionGdf < 1 || posicionGdf > ultima) {
            ++fuera;
            continue;
        }
        Evento e;
        const int32_t codigo = u16(a.tipos + 2 * size_t{i});
        const auto clase = clases.find(codigo);
        e.tipo = clase != clases.end() ? clase->second.tipo : codigo;
        e.calificador = clase != clases.end() ? clase->second.calificador : 1;
        e.posicion = static_cast<int32_t>(posicionGdf - 1);
        if (modo == 3) {
            e.canal = u16(a.canales + 2 * size_t{i});
            e.duracion = static_cast<int32_t>(
                std::min<double>(std::round(u32(a.duraciones + 4 * size_t{i}) * escala), double{INT32_MAX}));
        }
        // fijarEvento scans the kinds; a kind already met takes its colour from
        // the index, so a long table with many kinds stays linear.
        const auto clave = std::make_pair(e.tipo, e.calificador);
        const auto conocido = colorPorTipo.find(clave);
        if (conocido == colorPorTipo.end()) {
            fijarEvento(tabla, e, static_cast<int32_t>(tabla.eventos.size()));
            colorPorTipo.emplace(clave, tabla.tipos.back());
        } else {
            e.rojo = conocido->second.rojo;
            e.verde = conocido->second.verde;
            e.azul = conocido->second.azul;
            tabla.eventos.push_back(e);
        }
    }
    tabla.numeroEventos = static_cast<int32_t>(tabla.eventos.size());
    if (fuera > 0)
        notas.push_back("Se descartaron " + std::to_string(fuera) + " de los " + std::to_string(n) +
                        " eventos por caer fuera de las " + std::to_string(numeroMuestras) + " muestras del registro.");
}

}  // namespace

void GdfFileReader::leerEventos(EEG& eeg, std::vector<std::string>& notas, bool v2, double frecuencia,
                                const std::map<int32_t, ClaseEvento>& clases) {
    eeg.tablaEventos = tablaVacia();
    const int64_t disponibles = bytesRestantes();
    if (disponibles == 0) return;  // a recording without events
    if (disponibles < 8) {
        notas.push_back("La tabla de eventos está cortada (" + std::to_string(disponibles) +
                        " bytes): el registro queda sin eventos.");
        return;
    }
    uint8_t modo = leerByte();
    uint32_t declarados = 0;
    // Positions counted at this rate become columns at the signal's rate.
    double escala = 1.0;
    if (!v2) {
        uint8_t saltar[3];
        leerBloque(saltar, 3);  // event sampling rate, not used
        declarados = leer32();
    } else {
        uint8_t cuenta[3];
        leerBloque(cuenta, 3);  // 24-bit event count
        declarados = cuenta[0] | (uint32_t{cuenta[1]} << 8) | (uint32_t{cuenta[2]} << 16);
        const uint32_t bits = leer32();
        float tasa;
        std::memcpy(&tasa, &bits, sizeof tasa);
        if (std::isfinite(tasa) && tasa > 0.0F && tasa != static_cast<float>(frecuencia))
            escala = frecuencia / static_cast<double>(tasa);
        // Bit 4 of the mode announces a time stamp per event after the other
        // arrays; they are not used, and the layout before them is mode 1's or 3's.
        if ((modo & 4) != 0) modo = static_cast<uint8_t>(modo & ~4);
    }
    if (modo != 1 && modo != 3) {
        notas.push_back("La tabla de eventos tiene un modo desconocido (" + std::to_string(modo) +
                        "): el registro queda sin eventos.");
        return;
    }
    // Positions, then types, then (mode 3) channels and durations, each an
    // array over the events. A count beyond the bytes that follow is cut to
    // the events whose arrays fit: nothing is read from bytes past the table.
    const int64_t resto = bytesRestantes();
    if (modo == 3 && 12 * int64_t{declarados} > resto && 6 * int64_t{declarados} <= resto) {
        // Positions and types are all there, channels and durations are not:
        // the mode byte is what is wrong.
        modo = 1;
        notas.push_back("La tabla de eventos dice ser de modo 3, pero el archivo no contiene sus canales ni "
                        "duraciones: se leyó como modo 1.");
    }
    const int64_t bytesPorEvento = modo == 1 ? 6 : 12;
    // The arrays' offsets depend on the count; with a count too large for the
    // bytes, the count the bytes hold lays them out.
    const auto n = static_cast<uint32_t>(std::min<int64_t>(declarados, resto / bytesPorEvento));
    if (n < declarados)
        notas.push_back("La tabla de eventos declara " + std::to_string(declarados) +
                        " eventos, pero el archivo solo tiene sitio para " + std::to_string(n) + "; se leyeron " +
                        std::to_string(n) + ".");

    std::vector<uint8_t> bytes(static_cast<size_t>(n) * static_cast<size_t>(bytesPorEvento));
    leerBloque(bytes.data(), bytes.size());
    colocarEventos(*eeg.tablaEventos, ArreglosEventos(bytes.data(), n, modo, escala), eeg.numeroMuestras, clases,
                   notas);
}
