// The recording browser on a real recording (8 channels of the P300 GDF file,
// 720 events) and on a generated hour of 64 channels at 256 Hz: time to the
// first page through the menu command, time of a page turn, of a scale change
// and of a page showing the whole recording (from the samples and from the
// min/max pyramid), how long the pyramid takes to build while the event loop
// idles, and how much the resident memory grows over the branch held in the
// store. Each case runs in its own process.
// Rendered on the offscreen platform with synchronous repaints.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>

#include "app/Ondelar.h"
#include "io/almacenEEG.h"
#include "app/exploradorRegistro.h"
#include "io/cargarRegistro.h"
#include "ui_Ondelar.h"
#include "bench/comun/cargaSilenciosa.h"

namespace {

double segundosDesde(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// CPU time of this thread: on a machine shared with other builds the clock
// time mostly measures the wait for a core.
double segundosCPU() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct Tiempo {
    double reloj = 0.0, cpu = 0.0;
};

// Resident memory now, from /proc (the peak would hide what the browser adds).
double residenteMiB() {
    std::ifstream statm("/proc/self/statm");
    long paginas = 0, residentes = 0;
    statm >> paginas >> residentes;
    return static_cast<double>(residentes) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// An hour of 64 channels at 256 Hz: alpha-band sines over seeded noise, with
// an event every 2 s.
EEG horaGenerada() {
    constexpr int fs = 256, canales = 64;
    constexpr arma::uword n = 3600 * fs;
    EEG e(fs, canales, n);
    arma::arma_rng::set_seed(19);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, n - 1) / fs;
    for (int c = 0; c < canales; ++c) {
        (*e.canales)[static_cast<std::size_t>(c)].etiqueta = "E" + std::to_string(c + 1);
        e.matrices[0].row(static_cast<arma::uword>(c)) = 20.0 * arma::sin(2 * arma::datum::pi * (9.0 + 0.05 * c) * t);
    }
    e.matrices[0] += 10.0 * arma::randn<arma::mat>(canales, n);
    e.tablaEventos = std::make_shared<TablaEventos>();
    for (int32_t p = fs; p < static_cast<int32_t>(n); p += 2 * fs) {
        Evento ev;
        ev.tipo = 1 + (p / (2 * fs)) % 4;
        ev.calificador = 1;
        ev.posicion = p;
        ev.rojo = 60 * ev.tipo;
        fijarEvento(*e.tablaEventos, ev, static_cast<int32_t>(e.tablaEventos->eventos.size()));
    }
    return e;
}

struct Caso {
    const char* nombre;
    std::function<EEG()> cargar;
};

void filtrarMensajes(QtMsgType tipo, const QMessageLogContext&, const QString& texto) {
    if (texto.contains(QStringLiteral("propagateSizeHints")) || texto.contains(QStringLiteral("XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(texto));
    if (tipo == QtFatalMsg) std::abort();
}

// Medians of `veces` timings (clock and CPU) of `paso` followed by a
// synchronous repaint.
Tiempo medianaRepintado(LienzoExplorador* lienzo, int veces, const std::function<void(int)>& paso) {
    std::vector<double> reloj, cpu;
    for (int i = 0; i < veces; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = segundosCPU();
        paso(i);
        lienzo->repaint();
        cpu.push_back(segundosCPU() - c0);
        reloj.push_back(segundosDesde(t0));
    }
    std::sort(reloj.begin(), reloj.end());
    std::sort(cpu.begin(), cpu.end());
    return {reloj[reloj.size() / 2], cpu[cpu.size() / 2]};
}

void tecla(QWidget* w, int k) {
    QKeyEvent evento(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(w, &evento);
}

int medir(const Caso& caso, int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(filtrarMensajes);
    QApplication app(argc, argv);
    Ondelar v;
    v.resize(1280, 800);
    v.show();
    QApplication::processEvents();

    {
        EEG eeg = caso.cargar();
        v.anadirArchivo(std::make_unique<EEG>(std::move(eeg)));
    }
    const EEG& rama = v.eegSeleccionado();
    const double tamanoMiB = static_cast<double>(rama.datos().n_elem) * sizeof(double) / (1024.0 * 1024.0);
    QApplication::processEvents();
    const double memoriaAntes = residenteMiB();

    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = segundosCPU();
    v.explorarRama();
    auto* explorador = qobject_cast<ExploradorRegistro*>(v.ui->panelTabs->currentWidget());
    if (!explorador) {
        std::printf("%s: no se ha abierto el explorador\n", caso.nombre);
        return 1;
    }
    LienzoExplorador* lienzo = explorador->lienzo();
    QApplication::processEvents();  // layout and first paint
    lienzo->repaint();
    const Tiempo primera{segundosDesde(t0), segundosCPU() - c0};

    const Tiempo pasar = medianaRepintado(lienzo, 30, [&](int) { tecla(lienzo, Qt::Key_Right); });
    const Tiempo escala =
        medianaRepintado(lienzo, 10, [&](int i) { tecla(lienzo, i % 2 ? Qt::Key_Plus : Qt::Key_Minus); });
    // The whole recording on one page: once from the samples (the min/max
    // pyramid is built while the event loop idles, and none has run yet),
    // then from the pyramid once the idle steps have built it.
    explorador->cambiar([](Exploracion& e) { e.fijarSegundosPagina(e.duracion()); });
    const Tiempo todoSinResumen = medianaRepintado(lienzo, 1, [](int) {});
    const auto tResumen = std::chrono::steady_clock::now();
    const double cResumen = segundosCPU();
    while (!explorador->piramide()) QApplication::processEvents();
    const Tiempo resumen{segundosDesde(tResumen), segundosCPU() - cResumen};
    const Tiempo todo = medianaRepintado(lienzo, 5, [](int) {});
    QApplication::processEvents();
    const double memoriaDespues = residenteMiB();

    const Exploracion& e = explorador->estado();
    auto ms = [](Tiempo t) { return std::to_string(std::lround(1e4 * t.reloj) / 10) + "." +
                                     std::to_string(std::lround(1e4 * t.reloj) % 10) + " ms (CPU " +
                                     std::to_string(std::lround(1e4 * t.cpu) / 10) + "." +
                                     std::to_string(std::lround(1e4 * t.cpu) % 10) + ")"; };
    std::printf("%-30s %2zu filas x %7lld muestras (%.0f MiB, %dx%d px), reloj y CPU de este hilo:\n"
                "    primera pagina %s, pasar pagina %s, escala %s,\n"
                "    pagina de toda la rama %s; antes del resumen min/max %s;\n"
                "    resumen construido en segundo plano en %s,\n"
                "    memoria +%.1f MiB (%.1f %% de la rama; el resumen ocupa %.2f MiB)\n",
                caso.nombre, e.filasPagina().size(), static_cast<long long>(e.columnas()), tamanoMiB, lienzo->width(),
                lienzo->height(), ms(primera).c_str(), ms(pasar).c_str(), ms(escala).c_str(), ms(todo).c_str(),
                ms(todoSinResumen).c_str(), ms(resumen).c_str(), memoriaDespues - memoriaAntes,
                100.0 * (memoriaDespues - memoriaAntes) / tamanoMiB,
                static_cast<double>(explorador->piramide()->bytes()) / (1024.0 * 1024.0));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Caso casos[] = {
        {"p300_8ch.gdf (720 eventos)", [] { return cargarEnSilencio(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf"); }},
        {"64 canales, 1 h, 256 Hz", horaGenerada},
    };
    int fallos = 0;
    for (const Caso& caso : casos) {
        std::fflush(stdout);
        const pid_t hijo = fork();
        if (hijo == 0) {
            const int r = medir(caso, argc, argv);
            std::fflush(stdout);
            std::_Exit(r);
        }
        int estado = 0;
        waitpid(hijo, &estado, 0);
        if (!WIFEXITED(estado) || WEXITSTATUS(estado) != 0) ++fallos;
    }
    return fallos == 0 ? 0 : 1;
}
