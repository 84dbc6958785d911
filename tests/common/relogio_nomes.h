// A clock for the time stamps of file names that a test moves by hand.
// While one exists, every name the library builds carries its time, and a
// name that waits for the next free second moves it on by one second
// instead of sleeping: calls within "one second" need no sleep.
#ifndef TALVOR_TESTS_RELOGIO_NOMES_H
#define TALVOR_TESTS_RELOGIO_NOMES_H

#include <string>

class RelogioDeNomes {
public:
    // Starts at the given local time (15/03/2025 14:25:01 by default).
    explicit RelogioDeNomes(int ano = 2025, int mes = 3, int dia = 15, int hora = 14,
                            int minuto = 25, int segundo = 1);
    ~RelogioDeNomes();
    RelogioDeNomes(const RelogioDeNomes &) = delete;
    RelogioDeNomes &operator=(const RelogioDeNomes &) = delete;

    // Moves the clock on (within a day; the hour wraps into the next day).
    void Avanca(unsigned segundos = 1);
    // "YYYYMMDD_HHMMSS" of the clock now, or of segundos later.
    std::string Carimbo(unsigned segundos = 0) const;
};

#endif
