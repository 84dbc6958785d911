// The HID backend on Linux: hidraw.  Devices are found through sysfs, whose
// report descriptors are readable without opening a node, so only the
// matching device's /dev/hidrawN is opened; a matching node that cannot be
// opened for lack of permission is told apart from an absent device.  Once
// open, the node's own descriptor (HIDIOCGRDESC) must be the one sysfs
// gave, else the number went to another device meanwhile and the search
// goes on.  A device that does not number its input reports sends them
// without the identifier byte: they are read into offset 1 behind a 0.
// Writes lead with the identifier, 0 when the device numbers no output
// report, which hidraw drops.  A hidraw write waits for the device whatever
// O_NONBLOCK says (usbhid gives up after its own 5 s with ETIMEDOUT, the
// time-out result).  The reader thread waits with poll on two eventfds
// (stop, read request) and, while a read is outstanding, on the node.
#include "platform/hid_backend.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/hidraw.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#endif

#include "platform/descritor_hid.h"
#include "platform/plataforma.h"
#include "platform/posix/sysfs_hid.h"

struct SistemaHid {
    int parar;
    int pedido;
    int fd;
    bool lendo;
    uint8_t numerados;
    uint8_t *buffer;
    uint32_t n;
#if defined(__linux__)
    uint8_t descritor[TAMANHO_DESCRITOR_HID + 1];
#endif
};

namespace {

#if defined(__linux__)

constexpr unsigned MAX_HIDRAW = 256;
constexpr uint32_t MAIOR_IOCTL = (1u << _IOC_SIZEBITS) - 1;   // what an ioctl's size field holds

bool Desconexao(int e)
{
    return e == ENODEV || e == EIO || e == EPIPE || e == ESHUTDOWN || e == ENXIO;
}

SistemaHid *AbreHid()
{
    SistemaHid *s = new (std::nothrow) SistemaHid {};
    if (s == nullptr)
        return nullptr;
    s->fd = -1;
    s->parar = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    s->pedido = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (s->parar < 0 || s->pedido < 0) {
        if (s->parar >= 0)
            close(s->parar);
        if (s->pedido >= 0)
            close(s->pedido);
        delete s;
        return nullptr;
    }
    return s;
}

void FechaDispositivoHid(SistemaHid *s)
{
    if (s->fd >= 0)
        close(s->fd);
    s->fd = -1;
    s->lendo = false;
}

void LiberaHid(SistemaHid *s)
{
    FechaDispositivoHid(s);
    close(s->parar);
    close(s->pedido);
    delete s;
}

// The node's own descriptor is the one sysfs gave for its number.
bool MesmoDescritor(int fd, const uint8_t *d, size_t n)
{
    int tamanho = 0;
    if (ioctl(fd, HIDIOCGRDESCSIZE, &tamanho) != 0 || tamanho < 0 ||
        static_cast<size_t>(tamanho) != n)
        return false;
    struct hidraw_report_descriptor rd {};
    rd.size = static_cast<uint32_t>(tamanho);
    return ioctl(fd, HIDIOCGRDESC, &rd) == 0 && std::memcmp(rd.value, d, n) == 0;
}

int ProcuraHid(SistemaHid *s, uint16_t pagina, uint16_t uso, InfoDispositivoHid *info)
{
    FechaDispositivoHid(s);
    long numeros[MAX_HIDRAW];
    unsigned quantos = ListaHidraw(numeros, MAX_HIDRAW);
    int resultado = HID_AUSENTE;
    uint8_t *descritor = s->descritor;
    for (unsigned k = 0; k < quantos; ++k) {
        size_t n = 0;
        InfoDispositivoHid lido {};
        if (LeDescritorHidraw(numeros[k], descritor, &n) != 0 ||
            AnalisaDescritorHid(descritor, n, pagina, uso, &lido) != 0)
            continue;
        std::snprintf(lido.caminho, sizeof lido.caminho, "/dev/hidraw%ld", numeros[k]);
        int fd;
        do
            fd = open(lido.caminho, O_RDWR | O_NONBLOCK | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            if ((errno == EACCES || errno == EPERM) && resultado == HID_AUSENTE) {
                resultado = HID_SEM_PERMISSAO;
                *info = lido;
            }
            continue;
        }
        if (!MesmoDescritor(fd, descritor, n)) {
            close(fd);
            continue;
        }
        s->fd = fd;
        s->lendo = false;
        s->numerados = lido.numerados;
        *info = lido;
        return HID_ACHADO;
    }
    return resultado;
}

void SinalizaHid(SistemaHid *s, EventoHid e)
{
    uint64_t um = 1;
    int fd = e == HID_EVENTO_PARAR ? s->parar : s->pedido;
    while (write(fd, &um, sizeof um) < 0 && errno == EINTR) {
    }
}

bool Consome(int fd)
{
    uint64_t v = 0;
    return read(fd, &v, sizeof v) == static_cast<ssize_t>(sizeof v);
}

EventoHid EsperaHid(SistemaHid *s, uint32_t ms)
{
    struct pollfd p[3] = {};
    p[0].fd = s->parar;
    p[0].events = POLLIN;
    p[1].fd = s->pedido;
    p[1].events = POLLIN;
    p[2].fd = s->lendo ? s->fd : -1;
    p[2].events = POLLIN;
    // A signal ends the wait as a failed one: the caller measures again.
    int r = poll(p, 3, ms > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(ms));
    if (r < 0)
        return HID_EVENTO_FALHA;
    if (r == 0)
        return HID_EVENTO_TEMPO;
    if ((p[0].revents & POLLIN) && Consome(s->parar))
        return HID_EVENTO_PARAR;
    if ((p[1].revents & POLLIN) && Consome(s->pedido))
        return HID_EVENTO_PEDIDO;
    if (p[2].revents != 0)   // data, or the device gone (POLLHUP, POLLERR)
        return HID_EVENTO_LEITURA;
    return HID_EVENTO_FALHA;
}

LeituraHid Le(SistemaHid *s, uint32_t *lidos)
{
    bool semId = (s->numerados & HID_NUMERA_ENTRADA) == 0;
    uint8_t *destino = semId ? s->buffer + 1 : s->buffer;
    uint32_t n = semId ? s->n - 1 : s->n;
    ssize_t r;
    do
        r = read(s->fd, destino, n);
    while (r < 0 && errno == EINTR);
    if (r >= 0) {
        s->lendo = false;
        if (semId && r > 0) {
            s->buffer[0] = 0;
            ++r;
        }
        *lidos = static_cast<uint32_t>(r);
        return HID_LIDO;
    }
    if (errno == EAGAIN) {
        s->lendo = true;
        return HID_PENDENTE;
    }
    s->lendo = false;
    return Desconexao(errno) ? HID_DESCONECTADO : HID_FALHOU;
}

LeituraHid IniciaLeituraHid(SistemaHid *s, uint8_t *buffer, uint32_t n, uint32_t *lidos)
{
    *lidos = 0;
    if (s->fd < 0)
        return HID_DESCONECTADO;
    if (n < 2)
        return HID_FALHOU;
    s->buffer = buffer;
    s->n = n;
    return Le(s, lidos);
}

LeituraHid ConcluiLeituraHid(SistemaHid *s, uint32_t *lidos)
{
    *lidos = 0;
    if (s->fd < 0 || !s->lendo)
        return HID_FALHOU;
    return Le(s, lidos);
}

int EscreveHid(SistemaHid *s, const uint8_t *rel, uint32_t n, uint32_t, bool *desconectado)
{
    *desconectado = false;
    if (s->fd < 0)
        return 4;
    ssize_t w;
    do
        w = write(s->fd, rel, n);
    while (w < 0 && errno == EINTR);
    if (w == static_cast<ssize_t>(n))
        return 0;
    if (w < 0 && (errno == ETIMEDOUT || errno == EAGAIN))
        return 22;
    if (w < 0 && Desconexao(errno))
        *desconectado = true;
    return 4;
}

int LeRecursoHid(SistemaHid *s, uint8_t *buffer, uint32_t n, uint32_t *obtidos)
{
    *obtidos = 0;
    if (s->fd < 0 || n == 0)
        return 1;
    if (n > MAIOR_IOCTL)
        n = MAIOR_IOCTL;
    int r;
    do
        r = ioctl(s->fd, HIDIOCGFEATURE(n), buffer);
    while (r < 0 && errno == EINTR);
    if (r < 0)
        return 1;
    *obtidos = static_cast<uint32_t>(r) < n ? static_cast<uint32_t>(r) : n;
    return 0;
}

const BackendHid kBackend = {
    AbreHid, LiberaHid, ProcuraHid, FechaDispositivoHid, SinalizaHid, EsperaHid,
    IniciaLeituraHid, ConcluiLeituraHid, EscreveHid, LeRecursoHid, RelogioMonotonicoMs,
};

#else

// Other POSIX systems have no hidraw: no HID support.
SistemaHid *AbreHid() { return nullptr; }
void LiberaHid(SistemaHid *) {}
int ProcuraHid(SistemaHid *, uint16_t, uint16_t, InfoDispositivoHid *) { return HID_AUSENTE; }
void FechaDispositivoHid(SistemaHid *) {}
void SinalizaHid(SistemaHid *, EventoHid) {}
EventoHid EsperaHid(SistemaHid *, uint32_t) { return HID_EVENTO_FALHA; }
LeituraHid IniciaLeituraHid(SistemaHid *, uint8_t *, uint32_t, uint32_t *) { return HID_FALHOU; }
LeituraHid ConcluiLeituraHid(SistemaHid *, uint32_t *) { return HID_FALHOU; }
int EscreveHid(SistemaHid *, const uint8_t *, uint32_t, uint32_t, bool *) { return 4; }
int LeRecursoHid(SistemaHid *, uint8_t *, uint32_t, uint32_t *) { return 1; }
const BackendHid kBackend = {
    AbreHid, LiberaHid, ProcuraHid, FechaDispositivoHid, SinalizaHid, EsperaHid,
    IniciaLeituraHid, ConcluiLeituraHid, EscreveHid, LeRecursoHid, RelogioMonotonicoMs,
};

#endif

}  // namespace

const BackendHid *BackendHidSistema()
{
    return &kBackend;
}
