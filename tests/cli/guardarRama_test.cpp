#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <cstring>
#include <fstream>
#include <unistd.h>
#include <sstream>

#include "io/GdfFileReader.h"
#include "io/escritorGDF.h"
#include "io/guardarRama.h"

namespace fs = std::filesystem;

namespace {

struct CarpetaTemporal {
    fs::path ruta;
    CarpetaTemporal() {
        ruta = fs::temp_directory_path() / ("ondelar-guardar-" + std::to_string(::getpid()) + "-" +
                                            std::to_string(reinterpret_cast<uintptr_t>(this)));
        fs::create_directories(ruta);
    }
    ~CarpetaTemporal() { fs::remove_all(ruta); }
};

EEG ramaPequena() {
    EEG e(256, 2, 3);
    (*e.canales)[0].etiqueta = "Fz              ";  // GDF labels keep their padding
    (*e.canales)[1].etiqueta = "C\"z";
    e.matrices[0] = {{1.0, -2.5, 0.1}, {1e-300, 123456789.125, -0.0}};
    return e;
}

std::string leerTodo(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace

TEST(GuardarRama, FormatoPorExtension) {
    EXPECT_EQ(formatoPorExtension("a/b.GDF"), FormatoSalida::GDF);
    EXPECT_EQ(formatoPorExtension("x.csv"), FormatoSalida::CSV);
    EXPECT_EQ(formatoPorExtension("x.Bin"), FormatoSalida::BIN);
    EXPECT_THROW(formatoPorExtension("x.txt"), std::invalid_argument);
    EXPECT_THROW(formatoPorExtension("sin_extension"), std::invalid_argument);
}

TEST(GuardarRama, CSVConEtiquetasYPrecisionCompleta) {
    CarpetaTemporal t;
    const fs::path ruta = t.ruta / "rama.csv";
    guardarRama(ramaPequena(), ruta.string());
    std::istringstream csv(leerTodo(ruta));
    std::string linea;
    std::getline(csv, linea);
    EXPECT_EQ(linea, "\"Fz\",\"C\"\"z\"");
    // Every value reads back to the same double: full precision.
    const EEG e = ramaPequena();
    for (arma::uword s = 0; s < 3; ++s) {
        ASSERT_TRUE(std::getline(csv, linea));
        const size_t coma = linea.find(',');
        ASSERT_NE(coma, std::string::npos);
        EXPECT_EQ(std::strtod(linea.substr(0, coma).c_str(), nullptr), e.datos()(0, s));
        EXPECT_EQ(std::strtod(linea.substr(coma + 1).c_str(), nullptr), e.datos()(1, s));
    }
    EXPECT_FALSE(std::getline(csv, linea));
}

TEST(GuardarRama, BinEsLaMatrizDeArmadillo) {
    CarpetaTemporal t;
    const fs::path ruta = t.ruta / "rama.bin";
    const EEG e = ramaPequena();
    guardarRama(e, ruta.string());
    arma::mat leida;
    ASSERT_TRUE(leida.load(ruta.string(), arma::arma_binary));
    EXPECT_TRUE(arma::approx_equal(leida, e.datos(), "absdiff", 0.0));
}

TEST(GuardarRama, GDFCabeceraYMuestrasFloat) {
    std::ostringstream s;
    const EEG e = ramaPequena();
    escribirGDF(e, s);
    const std::string b = s.str();
    ASSERT_EQ(b.size(), 256u * 3 + 3 * 2 * 4 + 8);  // headers, 3 records of 2 floats, empty event table
    EXPECT_EQ(b.substr(0, 8), "GDF 1.25");
    int64_t cabecera;
    std::memcpy(&cabecera, b.data() + 184, 8);
    EXPECT_EQ(cabecera, 768);
    uint32_t num, den, ns;
    std::memcpy(&num, b.data() + 244, 4);
    std::memcpy(&den, b.data() + 248, 4);
    std::memcpy(&ns, b.data() + 252, 4);
    EXPECT_EQ(num, 1u);
    EXPECT_EQ(den, 256u);
    EXPECT_EQ(ns, 2u);
    EXPECT_EQ(b.substr(256, 16), "Fz              ");
    uint32_t tipo;
    std::memcpy(&tipo, b.data() + 256 + 2 * (16 + 80 + 8 + 8 * 4 + 80 + 4), 4);
    EXPECT_EQ(tipo, 16u);  // float32
    float muestra;
    std::memcpy(&muestra, b.data() + 768 + 4 * 3, 4);  // record 1, channel 1
    EXPECT_EQ(muestra, 123456789.125f);
}

TEST(GuardarRama, UnFalloNoDejaArchivoAMedias) {
    CarpetaTemporal t;
    EEG sinDatos;
    const fs::path ruta = t.ruta / "vacio.gdf";
    EXPECT_THROW(guardarRama(sinDatos, ruta.string()), std::runtime_error);
    EEG sinFrecuencia = ramaPequena();
    sinFrecuencia.frecuenciaMuestreo = 0;
    EXPECT_THROW(guardarRama(sinFrecuencia, ruta.string()), std::exception);
    EXPECT_TRUE(fs::is_empty(t.ruta));  // neither the file nor a temporary remains

    // An existing file is replaced whole, never truncated on failure.
    const fs::path existente = t.ruta / "previo.gdf";
    std::ofstream(existente) << "contenido previo";
    EXPECT_THROW(guardarRama(sinFrecuencia, existente.string()), std::exception);
    EXPECT_EQ(leerTodo(existente), "contenido previo");
    EXPECT_THROW(guardarRama(ramaPequena(), (t.ruta / "no/existe/x.csv").string()), std::runtime_error);
}

namespace {

// Two kinds in mode 1, including an event on the first sample (GDF position 1)
// and one on the last.
EEG ramaConEventos(int32_t modo) {
    EEG e(500, 3, 6);
    (*e.canales)[0].etiqueta = "Fp1";
    (*e.canales)[1].etiqueta = "Cz";
    (*e.canales)[2].etiqueta = "una etiqueta larga de mas de 16";
    e.matrices[0] = {{0.1, -1.5, 2.25, 1e6, -3.0, 0.0}, {7, 8, 9, 10, 11, 12}, {1e-3, 2e-3, -3e-3, 4e-3, 5e-3, 6e-3}};
    auto t = std::make_shared<TablaEventos>();
    t->modo = modo;
    const int32_t posiciones[] = {0, 2, 5};
    const int32_t tipos[] = {768, 1, 768};
    for (int i = 0; i < 3; ++i) {
        Evento ev;
        ev.tipo = tipos[i];
        ev.posicion = posiciones[i];
        ev.calificador = 1;
        if (modo == 3) {
            ev.canal = i;
            ev.duracion = 10 * i;
        }
        fijarEvento(*t, ev, i);
    }
    t->numeroEventos = 3;
    e.tablaEventos = t;
    return e;
}

EEG leerGDF(const std::string& bytes) {
    GdfFileReader lector;
    EEG leido = lector.leerMemoria(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(lector.motivoFallo(), "");
    return leido;
}

}  // namespace

TEST(GuardarRama, GDFSeLeeConNuestroLectorIgualAPrecisionFloat) {
    for (int32_t modo : {1, 3}) {
        const EEG e = ramaConEventos(modo);
        std::ostringstream s;
        escribirGDF(e, s);
        const EEG l = leerGDF(s.str());
        ASSERT_EQ(l.numeroCanales, 3u);
        EXPECT_EQ(l.frecuenciaMuestreo, 500);
        EXPECT_EQ(l.numeroMuestras, 6);
        // Each value is the float nearest the double, no scaling on the way.
        const arma::mat comoFloat = arma::conv_to<arma::mat>::from(arma::conv_to<arma::fmat>::from(e.datos()));
        EXPECT_TRUE(arma::approx_equal(l.datos(), comoFloat, "absdiff", 0.0));
        EXPECT_EQ((*l.canales)[0].etiqueta, "Fp1             ");  // space padded to 16
        EXPECT_EQ((*l.canales)[2].etiqueta, "una etiqueta lar");
        EXPECT_EQ((*l.canales)[0].tipoDato, 16u);
        ASSERT_TRUE(l.tieneEventos());
        EXPECT_EQ(l.tablaEventos->modo, modo);
        ASSERT_EQ(l.tablaEventos->eventos.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            const Evento& a = e.tablaEventos->eventos[i];
            const Evento& b = l.tablaEventos->eventos[i];
            EXPECT_EQ(b.posicion, a.posicion) << "evento " << i;
            EXPECT_EQ(b.tipo, a.tipo);
            EXPECT_EQ(b.canal, a.canal);
            EXPECT_EQ(b.duracion, a.duracion);
        }
        ASSERT_EQ(l.tablaEventos->tipos.size(), 2u);
    }
}

TEST(GuardarRama, GDFPosicionesDeEventosEmpiezanEnUno) {
    const EEG e = ramaConEventos(1);
    std::ostringstream s;
    escribirGDF(e, s);
    const std::string b = s.str();
    const size_t tabla = 256 * 4 + 6 * 3 * 4;
    ASSERT_EQ(b.size(), tabla + 8 + 3 * 6);
    EXPECT_EQ(static_cast<uint8_t>(b[tabla]), 1);
    uint32_t primera, ultima;
    std::memcpy(&primera, b.data() + tabla + 8, 4);
    std::memcpy(&ultima, b.data() + tabla + 8 + 8, 4);
    EXPECT_EQ(primera, 1u);  // column 0 is the first sample
    EXPECT_EQ(ultima, 6u);
}

TEST(GuardarRama, GDFRangosFisicoYDigitalIguales) {
    std::ostringstream s;
    const EEG e = ramaConEventos(1);
    escribirGDF(e, s);
    const std::string b = s.str();
    const size_t canales = 3, inicio = 256 + canales * (16 + 80 + 8);
    for (size_t c = 0; c < canales; ++c) {
        double pmin, pmax;
        int64_t dmin, dmax;
        std::memcpy(&pmin, b.data() + inicio + 8 * c, 8);
        std::memcpy(&pmax, b.data() + inicio + 8 * (canales + c), 8);
        std::memcpy(&dmin, b.data() + inicio + 8 * (2 * canales + c), 8);
        std::memcpy(&dmax, b.data() + inicio + 8 * (3 * canales + c), 8);
        EXPECT_EQ(pmin, static_cast<double>(dmin));
        EXPECT_EQ(pmax, static_cast<double>(dmax));
        EXPECT_GE(pmax, arma::abs(e.datos().row(c)).max());
        EXPECT_EQ(pmin, -pmax);
    }
    // The unit field: what the channel says, microvolts when it says nothing.
    EXPECT_EQ(b.substr(256 + canales * (16 + 80), 8), "uV      ");
}

TEST(GuardarRama, GDFValoresNoFinitosYEnormesNoRompenLaCabecera) {
    EEG e(100, 1, 3);
    e.matrices[0] = {{std::nan(""), 1e300, -std::numeric_limits<double>::infinity()}};
    std::ostringstream s;
    escribirGDF(e, s);
    const EEG l = leerGDF(s.str());
    ASSERT_EQ(l.numeroMuestras, 3);
    EXPECT_TRUE(std::isnan(l.datos()(0, 0)));
    EXPECT_TRUE(std::isinf(l.datos()(0, 1)));  // beyond float range
    EXPECT_FALSE(l.tieneEventos() && !l.tablaEventos->eventos.empty());
}
