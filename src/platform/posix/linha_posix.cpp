// Threads of the library on POSIX systems (pthreads).
#include "platform/plataforma.h"

#include <pthread.h>

namespace {
void *Trampolim(void *rotina)
{
    reinterpret_cast<void (*)()>(rotina)();
    return nullptr;
}
}  // namespace

int IniciaLinha(LinhaExecucao *linha, void (*rotina)())
{
    static_assert(sizeof(pthread_t) <= sizeof(void *) * 2, "pthread_t fits");
    pthread_t *t = new pthread_t;
    if (pthread_create(t, nullptr, Trampolim, reinterpret_cast<void *>(rotina)) != 0) {
        delete t;
        linha->interno = nullptr;
        return 1;
    }
    linha->interno = t;
    return 0;
}

void AguardaLinha(LinhaExecucao *linha)
{
    pthread_t *t = static_cast<pthread_t *>(linha->interno);
    if (t == nullptr)
        return;
    pthread_join(*t, nullptr);
    delete t;
    linha->interno = nullptr;
}
