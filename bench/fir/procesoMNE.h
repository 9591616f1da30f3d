#pragma once
// MNE-Python's filter_data timed in a Python process of its own, started once
// and asked for one timing at a time, so that a benchmark can time it in turn
// with our own step in the same run. The process is medir_mne.py --servidor:
// it answers a first line describing itself ("MNE 1.3.0 ..."; "ERROR ..." when
// it cannot run) and then one line "pared cpu" (seconds) per line it reads.
// It runs with OPENBLAS_CORETYPE and OPENBLAS_L2_SIZE unset: forced BLAS
// kernels only slow numpy down, and the comparison is to be fair to MNE.

#include <cstdio>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

class ProcesoMNE {
public:
    explicit ProcesoMNE(const std::string& guion) {
        int aHijo[2], deHijo[2];
        if (pipe(aHijo) != 0 || pipe(deHijo) != 0) return;
        posix_spawn_file_actions_t acciones;
        posix_spawn_file_actions_init(&acciones);
        posix_spawn_file_actions_adddup2(&acciones, aHijo[0], 0);
        posix_spawn_file_actions_adddup2(&acciones, deHijo[1], 1);
        posix_spawn_file_actions_addclose(&acciones, aHijo[1]);
        posix_spawn_file_actions_addclose(&acciones, deHijo[0]);
        std::vector<std::string> entorno;
        for (char** e = environ; *e; ++e) {
            const std::string v = *e;
            if (v.rfind("OPENBLAS_CORETYPE=", 0) != 0 && v.rfind("OPENBLAS_L2_SIZE=", 0) != 0) entorno.push_back(v);
        }
        std::vector<char*> env;
        for (std::string& v : entorno) env.push_back(v.data());
        env.push_back(nullptr);
        std::string python = "/usr/bin/python3", servidor = "--servidor", ruta = guion;
        char* args[] = {python.data(), ruta.data(), servidor.data(), nullptr};
        const int r = posix_spawn(&pid_, python.c_str(), &acciones, nullptr, args, env.data());
        posix_spawn_file_actions_destroy(&acciones);
        close(aHijo[0]);
        close(deHijo[1]);
        if (r != 0) {
            close(aHijo[1]);
            close(deHijo[0]);
            pid_ = -1;
            descripcion_ = "no se pudo arrancar /usr/bin/python3";
            return;
        }
        escritura_ = fdopen(aHijo[1], "w");
        lectura_ = fdopen(deHijo[0], "r");
        descripcion_ = leerLinea();
        disponible_ = !descripcion_.empty() && descripcion_.rfind("ERROR", 0) != 0;
        if (descripcion_.empty()) descripcion_ = "el proceso de Python terminó sin responder";
    }
    ~ProcesoMNE() {
        if (escritura_) fclose(escritura_);  // end of input: the server ends
        if (lectura_) fclose(lectura_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    ProcesoMNE(const ProcesoMNE&) = delete;
    ProcesoMNE& operator=(const ProcesoMNE&) = delete;

    bool disponible() const { return disponible_; }
    const std::string& descripcion() const { return descripcion_; }

    // One filter_data call, timed inside the Python process.
    bool medir(double& pared, double& cpu) {
        if (!disponible_) return false;
        std::fputs("medir\n", escritura_);
        std::fflush(escritura_);
        const std::string linea = leerLinea();
        return std::sscanf(linea.c_str(), "%lf %lf", &pared, &cpu) == 2;
    }

private:
    std::string leerLinea() {
        std::string linea;
        if (!lectura_) return linea;
        for (int c; (c = std::fgetc(lectura_)) != EOF && c != '\n';) linea.push_back(static_cast<char>(c));
        return linea;
    }

    pid_t pid_ = -1;
    FILE* escritura_ = nullptr;
    FILE* lectura_ = nullptr;
    bool disponible_ = false;
    std::string descripcion_;
};
