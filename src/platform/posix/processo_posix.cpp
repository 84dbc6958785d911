// The library in its process on POSIX: the core's unloading hook runs from
// the library's destructor (dlclose, or the end of the process), only in the
// process that loaded it; its child hook runs in the child of every fork.
#include "platform/plataforma.h"

#include <pthread.h>
#include <unistd.h>

namespace {

void (*Descarrega)() = nullptr;
void (*Filho)() = nullptr;
pid_t Dono = 0;   // the process whose port and threads these are

void NoFilho()
{
    Dono = getpid();
    Filho();
}

// Run from .fini_array: before the C++ objects of a dlclose'd library are
// destroyed, and after those of a program that ends with exit.
__attribute__((destructor)) void AoDescarregar()
{
    if (Descarrega != nullptr && getpid() == Dono)
        Descarrega();
}

}  // namespace

void InstalaGanchosProcesso(void (*aoDescarregar)(), void (*noFilho)())
{
    Dono = getpid();
    Descarrega = aoDescarregar;
    Filho = noFilho;
    (void)pthread_atfork(nullptr, nullptr, NoFilho);
}
