// The runner's progress bar and interruption, seen as a user sees them:
// under a pseudo-terminal the bar is drawn, through a pipe nothing extra is
// written, and SIGINT or SIGTERM stops a run without leaving any file.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/correrEjecutor.h"
#include "tests/io/archivosPrueba.h"

namespace fs = std::filesystem;
using prueba::CarpetaTemporal;

namespace {

std::string muestra(const std::string& nombre) { return std::string(ONDELAR_RAIZ "/../shared/data/") + nombre; }

using prueba::Corrida;

// Under a pseudo-terminal, or with both outputs on a pipe.
Corrida correr(const std::vector<std::string>& argumentos, const std::string& carpeta, bool terminal,
               int senal = 0, const std::string& esperar = {}) {
    return prueba::correrEjecutor(argumentos, carpeta,
                                  terminal ? prueba::Salidas::terminal : prueba::Salidas::ambasEnTubo, senal, esperar);
}

std::vector<std::string> correrCAR(const std::string& salida) {
    return {"run", muestra("p300_8ch.gdf"), "--step", "car", "--out", salida};
}

}  // namespace

TEST(TerminalCLI, BajoUnTerminalCadaPasoDibujaSuBarraSoloCuandoCambia) {
    // ASR reports thousands of times through its stages; each drawing must
    // show a new percentage, a new cell or a new stage: at most 131 per stage.
    CarpetaTemporal t;
    const Corrida c = correr({"run", muestra("p300_8ch.dat"), "--step", "asr", "--out", "r.bin"}, t.ruta(), true);
    EXPECT_EQ(c.codigo, 0) << c.salida;
    EXPECT_NE(c.salida.find("\r\033[Kpaso asr ["), std::string::npos) << c.salida;
    EXPECT_NE(c.salida.find("] 100 %"), std::string::npos) << c.salida;
    EXPECT_TRUE(fs::exists(t.ruta() + "/r.bin"));
    size_t dibujos = 0;
    for (size_t i = c.salida.find("\r\033[K"); i != std::string::npos; i = c.salida.find("\r\033[K", i + 1)) ++dibujos;
    EXPECT_GE(dibujos, 10u);
    EXPECT_LE(dibujos, 4u * 131u) << c.salida.size() << " bytes";
}

TEST(TerminalCLI, SinTerminalNoHayNadaMasQueLasLineasDeSiempre) {
    CarpetaTemporal t;
    const Corrida c = correr(correrCAR("r.bin"), t.ruta(), false);
    EXPECT_EQ(c.codigo, 0) << c.salida;
    EXPECT_EQ(c.salida.find('\r'), std::string::npos) << c.salida;
    EXPECT_EQ(c.salida.find('['), std::string::npos) << c.salida;
    EXPECT_NE(c.salida.find("paso car: "), std::string::npos) << c.salida;
}

// ASR on 64 channels reports for a while: the signal arrives mid-step.
TEST(TerminalCLI, UnaInterrupcionNoDejaArchivoDeSalida) {
    for (int senal : {SIGINT, SIGTERM}) {
        CarpetaTemporal t;
        const Corrida c = correr({"run", muestra("motor_64ch.dat"), "--step", "asr", "--out", "r.gdf"}, t.ruta(),
                                 true, senal, "paso asr [");
        EXPECT_EQ(c.codigo, 130) << c.salida;
        EXPECT_NE(c.salida.find("ondelar-cli: error: interrumpido"), std::string::npos) << c.salida;
        EXPECT_TRUE(t.archivos().empty()) << c.salida;
    }
}
