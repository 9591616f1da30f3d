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
#include "io/fechaHora.h"
#include "io/lecturaParalela.h"
#include "io/reservarEEG.h"
#include "io/textoCabecera.h"
#include "io/textoNumerico.h"
#include "io/valoresBinarios.h"

namespace {

constexpr size_t bytesPorBloque = 256 * 1024;  // stays in the L2 cache while decoded
// Above this a "recording" is not EEG: a damaged record duration, not data.
constexpr double frecuenciaMaxima = 1e6;

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

EEG GdfFileReader::decodificar() {
    const int64_t tamanoArchivo = tamano();
    const std::string version = leerTexto(8);
    if (version.compare(0, 3, "GDF") != 0) return fallar("el archivo no empieza por «GDF»: no es un archivo GDF.");
    const std::optional<int> mayor = versionMayor(version);
    const std::string versionVisible = utf8Saneado(version.substr(0, version.find('\0')));
    if (!mayor) return fallar("no se puede leer la versión del archivo GDF («" + versionVisible + "»).");
    diagnostico("detectado el formato: " + std::to_string(*mayor));
    const int menor = (version[6] - '0') * 10 + (version[7] - '0');
    if (*mayor > 2 || (*mayor == 2 && (menor < 10 || menor > 51)))
        return fallar("el archivo GDF es de la versión " + versionVisible.substr(4) +
                          "; solo se admiten la versión 1 y de la 2.10 a la 2.51.",
                      "Version no soportada por ahora");
    if (*mayor != 1 && *mayor != 2)
        return fallar("la versión «" + versionVisible + "» del archivo GDF no existe; solo se admiten la versión 1 y la 2.");
    const bool v2 = *mayor == 2;

    diagnostico("Cargando cabeceras...");
    std::string sujeto, identificacion, fecha, reservado;
    int64_t longitudCabecera = 0;
    uint64_t idEquipo = 0, idLaboratorio = 0, idTecnico = 0;
    int64_t numeroRegistros = 0;
    uint32_t numerador = 0, denominador = 0, ns = 0;
    double duracionReal = 0.0;  // record duration of version 2.21 on, a float64 in seconds
    std::optional<FechaHora> fechaHora;
    if (!v2) {
        sujeto = leerTexto(80);
        identificacion = leerTexto(80);
        fecha = leerTexto(16);
        fechaHora = fechaDeGDF1(fecha);
        longitudCabecera = static_cast<int64_t>(leer64());
        idEquipo = leer64();
        idLaboratorio = leer64();
        idTecnico = leer64();
        reservado = leerTexto(20);
        numeroRegistros = static_cast<int64_t>(leer64());
        numerador = leer32();
        denominador = leer32();
        ns = leer32();
    } else {
        // Byte offsets of the 256-byte fixed header of version 2.
        sujeto = leerTexto(66);  // 8
        irA(88);
        identificacion = leerTexto(64);
        irA(168);
        fechaHora = fechaDeGDF2(leer64());
        irA(184);
        longitudCabecera = 256 * static_cast<int64_t>(leer16());
        irA(192);
        idEquipo = leer64();
        irA(236);
        numeroRegistros = static_cast<int64_t>(leer64());
        // Versions 2.10 to 2.20 give the duration as a fraction of two
        // uint32; from 2.21 on it is one float64 in seconds.
        if (menor >= 21) {
            duracionReal = leerReal64();
            if (!std::isfinite(duracionReal) || duracionReal <= 0.0)
                return fallar("la duración de registro del archivo GDF (" + textoReal(duracionReal) +
                              " s) no es válida.");
        } else {
            numerador = leer32();
            denominador = leer32();
        }
        ns = leer16();
    }

    if (ns == 0) return fallar("la cabecera GDF no declara ningún canal.");
    const int64_t cabeceraMinima = 256 * (static_cast<int64_t>(ns) + 1);
    if (longitudCabecera < cabeceraMinima || longitudCabecera > tamanoArchivo)
        return fallar("la longitud de cabecera GDF (" + std::to_string(longitudCabecera) + " bytes) no es válida para " +
                      std::to_string(ns) + " canales en un archivo de " + std::to_string(tamanoArchivo) + " bytes.");
    if (numeroRegistros <= 0)
        return fallar("el archivo GDF no declara registros de datos (número de registros " +
                      std::to_string(numeroRegistros) + ").");
    if ((numerador == 0 || denominador == 0) && duracionReal == 0.0)
        return fallar("la duración de registro del archivo GDF (" + std::to_string(numerador) + "/" +
                      std::to_string(denominador) + " s) no es válida.");

    // Channel headers: each field is an array over the channels.
    std::vector<Canal> canales(ns);
    // Digital limits as stored (float64 in version 2), for the physical scale.
    std::vector<double> digitalMinimo(ns), digitalMaximo(ns);
    // Labels and units lose the padding of their fields: "Fz" matches "Fz".
    if (!v2) {
        for (Canal& c : canales) c.etiqueta = textoDeCabecera(leerTexto(16));
        for (Canal& c : canales) c.transductor = utf8Saneado(leerTexto(80));
        for (Canal& c : canales) c.unidad = textoDeCabecera(leerTexto(8));
        for (Canal& c : canales) c.minimoFisico = leerReal64();
        for (Canal& c : canales) c.maximoFisico = leerReal64();
        for (Canal& c : canales) c.minimoDigital = static_cast<int64_t>(leer64());
        for (Canal& c : canales) c.maximoDigital = static_cast<int64_t>(leer64());
        for (uint32_t c = 0; c < ns; ++c) {
            digitalMinimo[c] = static_cast<double>(canales[c].minimoDigital);
            digitalMaximo[c] = static_cast<double>(canales[c].maximoDigital);
        }
        for (Canal& c : canales) c.prefiltrado = utf8Saneado(leerTexto(80));
        for (Canal& c : canales) c.muestrasPorRegistro = leer32();
        for (Canal& c : canales) c.tipoDato = leer32();
    } else {
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
        for (double& d : digitalMinimo) d = leerReal64();
        for (double& d : digitalMaximo) d = leerReal64();
        for (uint32_t c = 0; c < ns; ++c) {
            canales[c].minimoDigital = entero(digitalMinimo[c]);
            canales[c].maximoDigital = entero(digitalMaximo[c]);
        }
        for (Canal& c : canales) c.prefiltrado = utf8Saneado(leerTexto(68));
        // Low-pass, high-pass and notch (float32 each) are not used.
        irA(posicion() + 12 * int64_t{ns});
        for (Canal& c : canales) c.muestrasPorRegistro = leer32();
        for (Canal& c : canales) c.tipoDato = leer32();
        // Sensor positions and impedances are not used; the header
        // extension may name the event types.
    }
    const std::map<int32_t, std::string> descripciones =
        v2 ? leerDescripcionesEventos(256 * (int64_t{ns} + 1), longitudCabecera) : std::map<int32_t, std::string>();

    const int64_t presentes = tamanoArchivo - longitudCabecera;
    std::vector<CanalGdf> formato(ns);
    int64_t bytesPorRegistro = 0;
    // Version 2 lets a channel hold fewer samples per record than the
    // fastest one, if it divides it: each of its values is held over the
    // columns it spans. Version 1 needs one count for all.
    uint32_t spr = canales[0].muestrasPorRegistro;
    if (v2)
        for (const Canal& c : canales) spr = std::max(spr, c.muestrasPorRegistro);
    if (spr == 0) return fallar("el primer canal del archivo GDF tiene 0 muestras por registro.");
    for (uint32_t c = 0; c < ns; ++c) {
        const uint32_t propias = canales[c].muestrasPorRegistro;
        if (propias != spr && (!v2 || propias == 0 || spr % propias != 0))
            return fallar("los canales del archivo GDF tienen distinto número de muestras por registro (canal 1: " +
                          std::to_string(canales[0].muestrasPorRegistro) + ", canal " + std::to_string(c + 1) + ": " +
                          std::to_string(propias) + "); no se admite.");
        const std::optional<TipoValor> tipo = tipoValorGDF(canales[c].tipoDato);
        if (!tipo)
            return fallar("el canal " + std::to_string(c + 1) + " del archivo GDF usa el tipo de dato " +
                          std::to_string(canales[c].tipoDato) + ", que no se admite (1 a 7, 16, 17 o 279).");
        formato[c] = {propias, *tipo};
        // Past the bytes present the sum only needs to say "too long" (and
        // must not overflow on the way).
        if (bytesPorRegistro <= presentes)
            bytesPorRegistro += static_cast<int64_t>(propias) * static_cast<int64_t>(bytesPorValor(*tipo));
    }

    // Values become physical through each channel's ranges; a channel whose
    // ranges define no scale keeps its stored values, and the user is told.
    std::vector<Escala> escalas(ns);
    std::string sinEscala;
    size_t canalesSinEscala = 0;
    for (uint32_t c = 0; c < ns; ++c) {
        const std::optional<Escala> e =
            escalaFisica(canales[c].minimoFisico, canales[c].maximoFisico, digitalMinimo[c], digitalMaximo[c]);
        if (e) {
            escalas[c] = *e;
        } else if (++canalesSinEscala <= 10) {
            sinEscala += (sinEscala.empty() ? "" : ", ") + std::to_string(c + 1);
        }
    }
    const bool todasIdentidad =
        std::all_of(escalas.begin(), escalas.end(), [](const Escala& e) { return e.identidad(); });

    // spr / (numerator / denominator), truncated toward zero; formed as
    // spr x denominator / numerator so that whole rates stay exact.
    double frecuencia = duracionReal > 0.0 ? spr / duracionReal : static_cast<double>(spr) * denominador / numerador;
    // A float64 duration is seldom exact (1/200 s is not): a rate within a
    // millionth of a whole number of hertz is that number.
    if (duracionReal > 0.0 && std::fabs(frecuencia - std::round(frecuencia)) < 1e-6 * frecuencia)
        frecuencia = std::round(frecuencia);
    if (!(frecuencia >= 1.0))
        return fallar("la frecuencia de muestreo del archivo GDF (" + std::to_string(spr) + " muestras cada " +
                      (duracionReal > 0.0 ? textoReal(duracionReal)
                                          : std::to_string(numerador) + "/" + std::to_string(denominador)) +
                      " s) no es válida.");
    if (frecuencia > frecuenciaMaxima)
        return fallar("la frecuencia de muestreo del archivo GDF (" + textoReal(frecuencia) +
                      " Hz) es mayor que 1 MHz: no es un registro de EEG.");

    // Only the complete records the file holds are read: a file cut short
    // loses its tail, never gains zeros that no one recorded.
    const int64_t completos = presentes / bytesPorRegistro;
    if (completos == 0)
        return fallar("el archivo no contiene ninguna muestra completa: tras la cabecera hay " +
                      std::to_string(presentes) + " bytes y cada registro de datos ocupa " +
                      (bytesPorRegistro > presentes ? "más" : std::to_string(bytesPorRegistro)) + ".");
    const int64_t registrosLeidos = std::min(numeroRegistros, completos);
    const int64_t numeroMuestras = registrosLeidos * spr;
    std::vector<std::string> notas;
    if (canalesSinEscala > 0)
        notas.push_back("Los rangos físico y digital de la cabecera no definen una escala para " +
                        (canalesSinEscala == 1 ? "el canal " + sinEscala
                                               : std::to_string(canalesSinEscala) + " canales (" + sinEscala +
                                                     (canalesSinEscala > 10 ? ", ..." : "") + ")") +
                        ": sus valores quedan como se guardaron.");
    if (registrosLeidos < numeroRegistros)
        notas.push_back("El archivo está incompleto: se leyeron " + std::to_string(numeroMuestras) + " de las " +
                        textoProducto(numeroRegistros, spr) + " muestras por canal que declara su cabecera.");

    EEG eeg;
    try {
        eeg = reservarEEG(static_cast<int32_t>(frecuencia), ns, numeroMuestras, Poblado::porPiezas);
    } catch (const std::bad_alloc&) {
        return fallar("no hay memoria para " + std::to_string(ns) + " canales x " + std::to_string(numeroMuestras) +
                      " muestras.");
    }
    // Texts stay whole (padding included) but valid UTF-8.
    eeg.sujeto = utf8Saneado(sujeto);
    eeg.identificacionRegistro = utf8Saneado(identificacion);
    eeg.fechaRegistro = utf8Saneado(fecha);
    eeg.fechaHora = fechaHora;
    eeg.idEquipo = idEquipo;
    eeg.idLaboratorio = idLaboratorio;
    eeg.idTecnico = idTecnico;
    eeg.reservado = utf8Saneado(reservado);
    *eeg.canales = std::move(canales);

    // Data records start at the header length, which may exceed the
    // 256 x (NS + 1) bytes of the standard headers.
    diagnostico("Cargando datos...");
    const auto registro = static_cast<size_t>(bytesPorRegistro);
    const auto registrosPorBloque =
        std::min(std::max<int64_t>(1, static_cast<int64_t>(bytesPorBloque / registro)), registrosLeidos);
    double* destino = eeg.matrices.front().memptr();
    const size_t nCanales = ns;
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
                                      todasIdentidad ? nullptr : escalas.data(), columnas);
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
    if (fallo) return fallar("error de lectura en los registros de datos del archivo.");
    irA(longitudCabecera + registrosLeidos * bytesPorRegistro);  // the event table follows the records

    diagnostico("Cargando eventos...");
    if (registrosLeidos < numeroRegistros) {
        // The table lies after the declared records: a short file has lost it.
        eeg.tablaEventos = tablaVacia();
        notas.push_back("Falta la tabla de eventos: el registro queda sin eventos.");
    } else {
        leerEventos(eeg, notas, v2, frecuencia);
        TablaEventos& tabla = *eeg.tablaEventos;
        for (const Evento& k : tabla.tipos) {
            const auto d = descripciones.find(k.tipo);
            if (d != descripciones.end()) tabla.textos[{k.tipo, k.calificador}] = d->second;
        }
    }
    if (!notas.empty()) {
        std::string aviso;
        for (const std::string& n : notas) aviso += (aviso.empty() ? "" : " ") + n;
        avisar(aviso);
    }
    return eeg;
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
            if (tipo > 0) {
                if (fin == inicio) break;  // an empty string after the first ends the list
                textos[tipo] = utf8Saneado(valor.substr(inicio, fin - inicio));
            }
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

void GdfFileReader::leerEventos(EEG& eeg, std::vector<std::string>& notas, bool v2, double frecuencia) {
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
    const uint8_t* posiciones = bytes.data();
    const uint8_t* tipos = posiciones + 4 * size_t{n};
    const uint8_t* canales = tipos + 2 * size_t{n};
    const uint8_t* duraciones = canales + 2 * size_t{n};
    auto u16 = [](const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); };
    auto u32 = [](const uint8_t* p) {
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
               (static_cast<uint32_t>(p[3]) << 24);
    };

    TablaEventos& tabla = *eeg.tablaEventos;
    tabla.modo = modo;
    tabla.eventos.reserve(n);
    // An event must mark a sample of the record: GDF position k (from 1) is
    // column k - 1, so 0 and anything past the last sample are dropped.
    const int64_t ultima = std::min<int64_t>(eeg.numeroMuestras, INT32_MAX);
    uint32_t fuera = 0;
    std::map<std::pair<int32_t, int32_t>, Evento> colorPorTipo;
    for (uint32_t i = 0; i < n; ++i) {
        int64_t posicionGdf = u32(posiciones + 4 * size_t{i});
        // Position 1 is the first sample at either rate.
        if (escala != 1.0 && posicionGdf >= 1)
            posicionGdf = 1 + std::llround(static_cast<double>(posicionGdf - 1) * escala);
        if (posicionGdf < 1 || posicionGdf > ultima) {
            ++fuera;
            continue;
        }
        Evento e;
        e.tipo = u16(tipos + 2 * size_t{i});
        e.posicion = static_cast<int32_t>(posicionGdf - 1);
        e.calificador = 1;
        if (modo == 3) {
            e.canal = u16(canales + 2 * size_t{i});
            e.duracion = static_cast<int32_t>(
                std::min<double>(std::round(u32(duraciones + 4 * size_t{i}) * escala), double{INT32_MAX}));
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
                        " eventos por caer fuera de las " + std::to_string(eeg.numeroMuestras) + " muestras del registro.");
}
