// How live the window stays during a long step: ASR and MARA on the 64
// channels of motor_64ch.dat (MARA without its events), each run through the window's own command on
// the offscreen platform while a 10 ms timer ticks on the GUI thread. Prints
// the step's time, the largest gap between two ticks and the GUI thread's
// processor time in its busiest gap. Beside them, the largest gap of the same
// timer with no step running: what the machine alone adds (a sleeping thread
// woken late on a loaded machine), to be read with the load average printed.
// Then each step again with OpenBLAS held to one core fewer than the machine
// has (LimiteHilosBLAS), and whether its branch is bit for bit the one of the
// first run.

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "app/Ondelar.h"
#include "dsp/hilosBLAS.h"
#include "app/interaccion.h"
#include "asr/ContextoASR.h"
#include "io/cargarRegistro.h"
#include "io/leerCED.h"
#include "mara/ventana/comandoMARA.h"
#include "bench/comun/cargaMaquina.h"
#include "bench/comun/cargaSilenciosa.h"
#include "tests/app/pulsoHiloGui.h"

namespace {

// Numbers as text without the C library's locale, which Qt sets from the environment.
std::string fijo(double x, int decimales) {
    std::array<char, 64> b{};
    const auto r = std::to_chars(b.data(), b.data() + b.size(), x, std::chars_format::fixed, decimales);
    return std::string(b.data(), r.ptr);
}

std::string cientifico(double x) {
    std::array<char, 64> b{};
    const auto r = std::to_chars(b.data(), b.data() + b.size(), x, std::chars_format::scientific, 2);
    return std::string(b.data(), r.ptr);
}

void filtrarMensajes(QtMsgType tipo, const QMessageLogContext&, const QString& texto) {
    if (texto.contains(QStringLiteral("propagateSizeHints")) || texto.contains(QStringLiteral("XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(texto));
    if (tipo == QtFatalMsg) std::abort();
}

// The new branch's samples, empty when the step added none.
arma::mat medir(const char* nombre, const EEG& eeg, const std::function<void(Ondelar&)>& paso) {
    Ondelar v;
    v.resize(929, 477);
    v.show();
    v.anadirArchivo(clonarEEG(eeg));
    QApplication::processEvents();

    Pulso pulso;
    const auto t0 = std::chrono::steady_clock::now();
    paso(v);
    const double segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const bool hecho = v.archivosEEG.numeroRamas(0) == 2;
    std::printf("%-5s %u canales x %lld muestras: paso %s s%s; %d ticks, mayor hueco %lld ms, "
                "trabajo del hilo de la ventana en un hueco %lld ms como mucho\n",
                nombre, eeg.numeroCanales, static_cast<long long>(eeg.numeroMuestras), fijo(segundos, 2).c_str(),
                hecho ? "" : " (SIN RAMA NUEVA)", pulso.ticks, static_cast<long long>(pulso.mayorHueco),
                static_cast<long long>(pulso.mayorTrabajo));
    std::fflush(stdout);
    return hecho ? v.archivosEEG.rama(0, 1).datos() : arma::mat();
}

// While alive, OpenBLAS uses at most `maximo` threads; the count it had
// before comes back when it goes.
class LimiteHilosBLAS {
public:
    explicit LimiteHilosBLAS(int maximo) : antes_(hilosBLAS()) {
        if (antes_ > std::max(1, maximo)) fijarHilosBLAS(maximo);
    }
    ~LimiteHilosBLAS() {
        if (antes_ > 0 && hilosBLAS() != antes_) fijarHilosBLAS(antes_);
    }
    LimiteHilosBLAS(const LimiteHilosBLAS&) = delete;
    LimiteHilosBLAS& operator=(const LimiteHilosBLAS&) = delete;

private:
    int antes_;
};

void compararConLimite(const char* nombre, const EEG& eeg, const std::function<void(Ondelar&)>& paso,
                       const arma::mat& sinLimite) {
    const int antes = hilosBLAS();
    const LimiteHilosBLAS limite(hilosBLASDejandoUnNucleo(std::thread::hardware_concurrency()));
    std::printf("  con OpenBLAS en %d hilo(s) (antes %d):\n  ", hilosBLAS(), antes);
    const arma::mat limitada = medir(nombre, eeg, paso);
    if (limitada.n_elem == 0 || arma::size(limitada) != arma::size(sinLimite)) return;
    const double diferencia = arma::abs(limitada - sinLimite).max();
    std::printf("  rama %s a la de antes (mayor diferencia %s de un valor mayor de %s)\n",
                diferencia == 0.0 ? "identica" : "DISTINTA", cientifico(diferencia).c_str(),
                fijo(arma::abs(sinLimite).max(), 1).c_str());
    std::fflush(stdout);
}

// The same timer for `ms` with nothing else running: the machine's own lateness.
void medirEnReposo(int ms) {
    Pulso pulso;
    QEventLoop bucle;
    QTimer::singleShot(ms, &bucle, &QEventLoop::quit);
    bucle.exec();
    std::printf("en reposo %d s: %d ticks, mayor hueco %lld ms\n", ms / 1000, pulso.ticks,
                static_cast<long long>(pulso.mayorHueco));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(filtrarMensajes);
    QApplication app(argc, argv);
    // MARA's two message boxes would wait for a click: print them instead.
    int mensajes = 0;
    interaccion::fijarRespondedorMensaje([&mensajes](const QString& texto) {
        ++mensajes;
        std::printf("  mensaje: %s\n", qPrintable(texto));
    });

    const EEG eeg = cargarEnSilencio(ONDELAR_RAIZ "/../shared/data/motor_64ch.dat",
                                     ONDELAR_RAIZ "/../shared/data/motor_64ch.ced");
    const char* hilos = std::getenv("OPENBLAS_NUM_THREADS");
    std::printf("carga de la maquina (1, 5, 15 min): %s; OPENBLAS_NUM_THREADS=%s\n", cargaMaquina().c_str(),
                hilos ? hilos : "(sin fijar)");
    medirEnReposo(5000);
    const auto asr = [](Ondelar& v) { v.aplicarASR(OpcionesASR{}); };
    compararConLimite("ASR", eeg, asr, medir("ASR", eeg, asr));
    fijarDirectorioModelosMara(std::filesystem::path(ONDELAR_MODELOS));
    fijarSemillaMara(1);
    // MARA takes a branch without events (an averaged one): the recording's
    // event table is dropped, the 64 channels and their labels stay.
    EEG sinEventos = eeg;
    sinEventos.tablaEventos.reset();
    const auto mara = [](Ondelar& v) {
        fijarSemillaMara(1);
        v.graficoMARA();
    };
    compararConLimite("MARA", sinEventos, mara, medir("MARA", sinEventos, mara));
    std::printf("mensajes mostrados: %d; carga al terminar: %s\n", mensajes, cargaMaquina().c_str());
    return 0;
}
