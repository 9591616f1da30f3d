#pragma once
// A reporter for the progress tests: it records what it hears and, when told
// to, throws Cancelado at a chosen point. The points are fractions, not call
// counts, since the reports an Avance passes on also depend on the time.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/progreso.h"

namespace prueba {

// Where a reporter cancels: at its first call, at the first fraction of at
// least one half, at the final 1, or at call number `llamada` (0-based).
enum class PuntoCancelacion { ninguno, primero, mitad, ultimo, llamada };

inline const PuntoCancelacion puntosCancelacion[] = {PuntoCancelacion::primero, PuntoCancelacion::mitad,
                                                      PuntoCancelacion::ultimo};

struct RegistroAvance {
    std::vector<double> fracciones;
    std::set<std::string> etapas;
    PuntoCancelacion cancelar = PuntoCancelacion::ninguno;
    size_t llamada = 0;

    explicit RegistroAvance(PuntoCancelacion punto = PuntoCancelacion::ninguno) : cancelar(punto) {}
    static RegistroAvance enLlamada(size_t n) {
        RegistroAvance r(PuntoCancelacion::llamada);
        r.llamada = n;
        return r;
    }

    Avance avance() {
        return Avance([this](double f, const std::string& etapa) {
            const bool parar = (cancelar == PuntoCancelacion::primero && fracciones.empty()) ||
                               (cancelar == PuntoCancelacion::mitad && f >= 0.5) ||
                               (cancelar == PuntoCancelacion::ultimo && f >= 1.0) ||
                               (cancelar == PuntoCancelacion::llamada && fracciones.size() == llamada);
            fracciones.push_back(f);
            etapas.insert(etapa);
            if (parar) throw Cancelado();
        });
    }
};

// The fractions never decrease and the last one is 1.
inline void comprobarCreciente(const std::vector<double>& f) {
    ASSERT_FALSE(f.empty());
    for (size_t i = 1; i < f.size(); ++i) EXPECT_LE(f[i - 1], f[i]) << "informe " << i;
    EXPECT_EQ(f.back(), 1.0);
}

}  // namespace prueba
