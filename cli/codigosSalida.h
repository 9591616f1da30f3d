#pragma once
// How every order of the runner ends: its exceptions become an exit code and
// one last line on standard error, "ondelar-cli: error: ...".

#include <functional>
#include <stdexcept>
#include <string>

// A mistake in the command line (an order, an option or a step badly
// written): exit code 2, found before anything is read.
struct ErrorUso : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "ondelar-cli: error: <texto>" on standard error, after whatever standard
// output holds, so that it is the last line a user reads.
void escribirError(const std::string& texto);

// Runs `orden` and returns its exit code, or the code of what it threw:
// Cancelado (a signal) 130, ErrorUso 2, anything else 1, each with its line.
int ejecutarConCodigos(const std::function<int()>& orden);
