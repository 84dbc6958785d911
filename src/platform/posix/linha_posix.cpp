// Threads of the library on POSIX systems (pthreads).  They start with the
// host's asynchronous signals blocked, so that a host's handlers run on its
// own threads (faults still reach the thread that caused them).  An
// exception that escapes a thread's routine ends that thread only.
#include "platform/plataforma.h"

#include <cxxabi.h>
#include <new>
#include <pthread.h>
#include <signal.h>

namespace {
void *Trampolim(void *rotina)
{
    try {
        reinterpret_cast<void (*)()>(rotina)();
    } catch (abi::__forced_unwind &) {
        throw;   // a cancellation unwinds to its end
    } catch (...) {
    }
    return nullptr;
}
}  // namespace

int IniciaLinha(LinhaExecucao *linha, void (*rotina)())
{
    linha->interno = nullptr;
    pthread_t *t = new (std::nothrow) pthread_t;
    if (t == nullptr)
        return 1;
    sigset_t todos, anterior;
    sigfillset(&todos);
    const int falhas[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS};
    for (int s : falhas)
        sigdelset(&todos, s);
    pthread_sigmask(SIG_SETMASK, &todos, &anterior);
    int r = pthread_create(t, nullptr, Trampolim, reinterpret_cast<void *>(rotina));
    pthread_sigmask(SIG_SETMASK, &anterior, nullptr);
    if (r != 0) {
        delete t;
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
