#pragma once
// The files one order writes beside its main output (a spectrum, its bands),
// kept all or none: each is written under a temporary name beside its
// destination, and only once everything is whole are they renamed over their
// destinations. Until then a failure, or a signal that unwinds the order,
// removes the temporaries and leaves every earlier file as it was.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class EscrituraConjunta {
public:
    EscrituraConjunta() = default;
    EscrituraConjunta(const EscrituraConjunta&) = delete;
    EscrituraConjunta& operator=(const EscrituraConjunta&) = delete;
    // Removes the temporaries not yet renamed.
    ~EscrituraConjunta();

    // A new temporary name beside `destino` for a writer to create.
    std::string temporal(const std::string& destino);

    // Renames every temporary over its destination. When one rename fails,
    // the destinations already renamed and the remaining temporaries are
    // removed (what is left never mixes this order's files with older
    // ones) and std::runtime_error is thrown in Spanish.
    void confirmar();

private:
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> archivos_;  // temporary, destination
};
