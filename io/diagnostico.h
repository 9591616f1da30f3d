#pragma once
// The one sink for the program's diagnostic lines (what a reader detected,
// the ICA's progress, a classifier's complaint). The user never has to read
// them: the window prints them to standard output, the runner shows them on
// standard error with --detalle and drops them otherwise.

#include <functional>
#include <string>

// Hands one line (without its newline) to the current sink.
void diagnostico(const std::string& linea);

// Replaces the sink; an empty function drops every line. The default sink
// writes each line to standard output. Not meant to change while a step runs.
using SumideroDiagnostico = std::function<void(const std::string& linea)>;
void fijarSumideroDiagnostico(SumideroDiagnostico sumidero);
