// The runner's progress bar and interruption, seen as a user sees them:
// under a pseudo-terminal the bar is drawn, through a pipe nothing extra is
// written, and SIGINT or SIGTERM stops a run without leaving any file.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/io/archivosPrueba.h"

namespace fs = std::filesystem;
using prueba::CarpetaTemporal;

namespace {

std::string muestra(const std::string& nombre) { return std::string(ONDELAR_RAIZ "/../shared/data/") + nombre; }

struct Corrida {
    int codigo = -1;
    std::string salida;  // everything the process wrote (standard output and error)
};

// Runs the runner in `carpeta`, under a pseudo-terminal or with both outputs
// on a pipe. With senal, sends it once `esperar` shows up in the output.
Corrida correr(const std::vector<std::string>& argumentos, const std::string& carpeta, bool terminal,
               int senal = 0, const std::string& esperar = {}) {
    std::vector<std::string> todos{ONDELAR_CLI};
    todos.insert(todos.end(), argumentos.begin(), argumentos.end());
    std::vector<char*> argv;
    for (std::string& a : todos) argv.push_back(a.data());
    argv.push_back(nullptr);

    int lectura = -1;
    pid_t hijo;
    if (terminal) {
        hijo = forkpty(&lectura, nullptr, nullptr, nullptr);
    } else {
        int tubo[2];
        if (pipe(tubo) != 0) return {};
        hijo = fork();
        if (hijo == 0) {
            dup2(tubo[1], STDOUT_FILENO);
            dup2(tubo[1], STDERR_FILENO);
            close(tubo[0]);
        }
        close(tubo[1]);
        lectura = tubo[0];
    }
    if (hijo == 0) {
        if (chdir(carpeta.c_str()) != 0) _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Corrida c;
    bool enviada = false;
    char bufer[4096];
    for (;;) {
        const ssize_t n = read(lectura, bufer, sizeof bufer);
        if (n <= 0) break;  // EOF, or EIO once the terminal's last writer is gone
        c.salida.append(bufer, static_cast<size_t>(n));
        if (senal && !enviada && c.salida.find(esperar) != std::string::npos) {
            kill(hijo, senal);
            enviada = true;
        }
    }
    close(lectura);
    int estado = 0;
    waitpid(hijo, &estado, 0);
    c.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    return c;
}

std::vector<std::string> correrCAR(const std::string& salida) {
    return {"run", muestra("p300_8ch.gdf"), "--step", "car", "--out", salida};
}

size_t archivos(const std::string& carpeta) {
    return size_t(std::distance(fs::directory_iterator(carpeta), fs::directory_iterator()));
}

}  // namespace

TEST(TerminalCLI, BajoUnTerminalCadaPasoDibujaSuBarra) {
    CarpetaTemporal t;
    const Corrida c = correr(correrCAR("r.bin"), t.ruta(), true);
    EXPECT_EQ(c.codigo, 0) << c.salida;
    EXPECT_NE(c.salida.find("\r\033[Kpaso car ["), std::string::npos) << c.salida;
    EXPECT_NE(c.salida.find("] 100 %"), std::string::npos) << c.salida;
    EXPECT_TRUE(fs::exists(t.ruta() + "/r.bin"));

}

TEST(TerminalCLI, LaBarraSoloSeRedibujaCuandoCambiaLoQueMuestra) {
    // ASR reports thousands of times through its stages; each drawing must
    // show a new percentage, a new cell or a new stage: at most 131 per stage.
    CarpetaTemporal t;
    const Corrida c = correr({"run", muestra("p300_8ch.dat"), "--step", "asr", "--out", "r.bin"}, t.ruta(), true);
    EXPECT_EQ(c.codigo, 0) << c.salida;
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
        EXPECT_EQ(archivos(t.ruta()), 0u) << c.salida;
    }
}
