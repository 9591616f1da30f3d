#pragma once
// What a call writes to standard output and the text of what it throws.

#include <exception>
#include <string>

#include <gtest/gtest.h>

namespace prueba {

struct Captura {
    std::string salida, excepcion;  // excepcion: "" when nothing was thrown
};

template <class F>
Captura capturar(F f) {
    Captura c;
    testing::internal::CaptureStdout();
    try {
        f();
    } catch (const std::exception& e) {
        c.excepcion = e.what();
    }
    c.salida = testing::internal::GetCapturedStdout();
    return c;
}

// The text of the E that f throws, or "(nada lanzado)"; an exception of
// another type goes on up and fails the test.
template <class E, class F>
std::string rechazo(F f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(nada lanzado)";
}

inline testing::AssertionResult contiene(const std::string& texto, const std::string& parte) {
    if (texto.find(parte) != std::string::npos) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "«" << parte << "» no está en «" << texto << "»";
}

}  // namespace prueba
