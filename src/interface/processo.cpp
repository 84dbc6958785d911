// The exports' lock, and the core's part in unloading and forking (see
// processo.h).  The platform layer runs the two hooks installed here.
#include "interface/processo.h"

#include <cstdlib>
#include <mutex>
#include <new>

#include "interface/conexao.h"
#include "link/hid.h"
#include "link/motor.h"
#include "platform/plataforma.h"

namespace {

// Constant-initialised and trivially destroyed: usable from any static
// initialiser and never torn down under a caller.
std::mutex TravaExportacoes;

// This thread is inside an export.  A call made from inside another on the
// same thread (a host's window procedure run by the capture dialog's
// message loop, say) would wait for itself for ever: it fails instead, with
// its export's generic failure.
thread_local bool NestaLinha = false;
struct ChamadaReentrante {};

// Unloading, or the end of the process: the HID channel's reader thread is
// joined before the library's code goes away, and the serial port is
// closed.  A call still running on another thread keeps what it uses (the
// host unloads a library it is still calling, or ends the process under
// it): nothing is closed under it, and nothing here waits for it.
void AoDescarregar()
{
    if (!TravaExportacoes.try_lock())
        return;
    HidClose();
    FechaRecursosAoDescarregar();
    TravaExportacoes.unlock();
}

// In the child of a fork: the connection, the channel and the threads are
// the parent's.  They are forgotten, never closed or joined, so the child
// (and its exit) leaves the parent's printer alone and may open its own.
// The lock may have been held by a thread the child does not have: it
// starts afresh.
void NoFilho()
{
    new (&TravaExportacoes) std::mutex;
    std::free(Conexao.diretorio);   // the child's own copy of the heap
    Conexao = EstadoConexao {MODO_SEM_CONEXAO, nullptr, 0};
    PortaLink = 0;
    HidEsqueceNoFilho();
}

const bool GanchosInstalados = (InstalaGanchosProcesso(AoDescarregar, NoFilho), true);

}  // namespace

TravaExportacao::TravaExportacao()
{
    (void)GanchosInstalados;
    if (NestaLinha)
        throw ChamadaReentrante();
    TravaExportacoes.lock();
    NestaLinha = true;
}

TravaExportacao::~TravaExportacao()
{
    NestaLinha = false;
    TravaExportacoes.unlock();
}
