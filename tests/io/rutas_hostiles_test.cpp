// Paths that are not what a reader expects: a BrainVision header pointing
// outside its folder, and a FIFO, a folder or a device where a recording or a
// .CED file should be. Each is refused at once, with its reason, and nothing
// outside the header's folder is ever read.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "io/archivoRegular.h"
#include "io/cargarRegistro.h"
#include "io/leerCED.h"
#include "tests/io/archivosPrueba.h"

namespace {

namespace fs = std::filesystem;
const std::string formatos = ONDELAR_RAIZ "/../shared/data/formatos/";
const std::string datos = ONDELAR_RAIZ "/../shared/data/";

// The BrainVision sample copied into `carpeta`, its header's DataFile= and
// MarkerFile= lines replaced by the given names.
std::string vhdrCon(const prueba::CarpetaTemporal& carpeta, const std::string& archivoDatos,
                    const std::string& archivoMarcas) {
    for (const char* ext : {".eeg", ".vmrk"}) fs::copy_file(formatos + "test_NO" + ext, carpeta.ruta() + "/test_NO" + ext);
    std::ifstream entrada(formatos + "test_NO.vhdr", std::ios::binary);
    std::string texto, linea;
    while (std::getline(entrada, linea)) {
        if (linea.rfind("DataFile=", 0) == 0) linea = "DataFile=" + archivoDatos + "\r";
        if (linea.rfind("MarkerFile=", 0) == 0) linea = "MarkerFile=" + archivoMarcas + "\r";
        texto += linea + "\n";
    }
    return carpeta.escribir("x.vhdr", texto);
}

std::string motivoCarga(const std::string& ruta) {
    try {
        cargarRegistro(ruta);
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

}  // namespace

TEST(RutasHostiles, BrainVisionNoLeeFueraDeSuCarpeta) {
    prueba::CarpetaTemporal fuera;
    const struct {
        std::string datos, marcas, campo;
    } casos[] = {
        {"/etc/passwd", "test_NO.vmrk", "DataFile= de la cabecera («/etc/passwd»)"},
        {"../../../../../../etc/passwd", "test_NO.vmrk", "DataFile="},
        {"test_NO.eeg", "/etc/hostname", "MarkerFile= de la cabecera («/etc/hostname»)"},
        {"test_NO.eeg", "../" + fs::path(fuera.ruta()).filename().string() + "/m.vmrk", "MarkerFile="},
        {"enlace.eeg", "test_NO.vmrk", "DataFile= de la cabecera («enlace.eeg»)"},  // a link leading out
        {"dentro/..", "test_NO.vmrk", "DataFile="},
    };
    for (const auto& c : casos) {
        prueba::CarpetaTemporal carpeta;
        fs::create_symlink("/etc/passwd", carpeta.ruta() + "/enlace.eeg");
        const std::string motivo = motivoCarga(vhdrCon(carpeta, c.datos, c.marcas));
        EXPECT_NE(motivo.find("el campo " + c.campo), std::string::npos) << motivo;
        EXPECT_NE(motivo.find("no se admiten rutas absolutas ni que salgan de ella"), std::string::npos) << motivo;
    }
    // Companions in a subfolder of the header's folder are still fine.
    prueba::CarpetaTemporal carpeta;
    fs::create_directory(carpeta.ruta() + "/sub");
    const std::string vhdr = vhdrCon(carpeta, "sub/../test_NO.eeg", "./test_NO.vmrk");
    EXPECT_EQ(motivoCarga(vhdr), "");
    EXPECT_TRUE(nombraArchivoDeLaCarpeta(carpeta.ruta(), "sub/a.eeg"));
    EXPECT_FALSE(nombraArchivoDeLaCarpeta(carpeta.ruta(), "sub/.."));
    EXPECT_FALSE(nombraArchivoDeLaCarpeta(carpeta.ruta(), ""));
}

TEST(RutasHostiles, TuberiasCarpetasYDispositivosSeRechazanSinBloquear) {
    prueba::CarpetaTemporal t;
    const std::string fifo = t.ruta() + "/registro.gdf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Opening the FIFO to read would wait for a writer forever: refused before.
    EXPECT_NE(motivoCarga(fifo).find("no es un archivo regular"), std::string::npos) << motivoCarga(fifo);
    fs::create_directory(t.ruta() + "/carpeta.gdf");
    EXPECT_NE(motivoCarga(t.ruta() + "/carpeta.gdf").find("es una carpeta"), std::string::npos);

    // A FIFO named as the data file of a BrainVision header.
    prueba::CarpetaTemporal bv;
    const std::string vhdr = vhdrCon(bv, "tuberia.eeg", "test_NO.vmrk");
    ASSERT_EQ(mkfifo((bv.ruta() + "/tuberia.eeg").c_str(), 0600), 0);
    EXPECT_NE(motivoCarga(vhdr).find("tuberia.eeg"), std::string::npos);

    // As the .CED file: a FIFO, a folder and /dev/zero, each with its reason.
    const EEG eeg = cargarRegistro(datos + "p300_8ch.gdf");
    const struct {
        std::string ruta, motivo;
    } ceds[] = {{fifo, "no es un archivo regular"},
                {t.ruta() + "/carpeta.gdf", "es una carpeta"},
                {"/dev/zero", "no es un archivo regular"}};
    for (const auto& c : ceds) {
        EEG copia = eeg;
        const ResultadoCED r = leerCED(copia, c.ruta);
        EXPECT_NE(r.error.find(c.motivo), std::string::npos) << c.ruta << ": " << r.error;
        EXPECT_EQ(r.canalesLeidos, 0u);
    }
    // A .CED far larger than any cap is refused by its size, unread.
    const std::string grande = t.ruta() + "/grande.ced";
    std::ofstream(grande).close();
    fs::resize_file(grande, std::uintmax_t{64} << 20);  // sparse: no disk used
    EEG copia = eeg;
    EXPECT_NE(leerCED(copia, grande).error.find("más de los"), std::string::npos);
}
