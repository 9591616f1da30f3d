#pragma once
// The runner started as a child process from a GoogleTest (no Qt), in a
// folder of the test's, with its outputs as a user would see them: under a
// pseudo-terminal, both on one pipe, or standard error alone.

#include <csignal>
#include <string>
#include <vector>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace prueba {

enum class Salidas { terminal, ambasEnTubo, soloErrores };

struct Corrida {
    int codigo = -1;
    std::string salida;  // what the process wrote on the outputs that Salidas names
};

// Runs ONDELAR_CLI with `argumentos` in `carpeta`. With senal, sends it once
// `esperar` shows up in the output.
inline Corrida correrEjecutor(const std::vector<std::string>& argumentos, const std::string& carpeta, Salidas salidas,
                              int senal = 0, const std::string& esperar = {}) {
    std::vector<std::string> todos{ONDELAR_CLI};
    todos.insert(todos.end(), argumentos.begin(), argumentos.end());
    std::vector<char*> argv;
    for (std::string& a : todos) argv.push_back(a.data());
    argv.push_back(nullptr);

    int lectura = -1;
    pid_t hijo;
    if (salidas == Salidas::terminal) {
        hijo = forkpty(&lectura, nullptr, nullptr, nullptr);
    } else {
        int tubo[2];
        if (pipe(tubo) != 0) return {};
        hijo = fork();
        if (hijo == 0) {
            dup2(tubo[1], STDERR_FILENO);
            if (salidas == Salidas::ambasEnTubo) dup2(tubo[1], STDOUT_FILENO);
            else if (freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
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

}  // namespace prueba
