#pragma once
// FFTW's planner keeps global state: creating or destroying a plan from two
// threads at once corrupts it. Every plan in the core is made and freed while
// holding this one lock; executing an existing plan needs no lock.

#include <mutex>

std::mutex& cerrojoFFTW();
