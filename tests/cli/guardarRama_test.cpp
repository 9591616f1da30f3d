#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <unistd.h>
#include <sstream>

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
