// The emulated hidraw kernel interfaces (see hidraw_emulado.h).  The C
// library's own functions are reached through dlsym(RTLD_NEXT), which under
// the sanitizers are their interceptors.
#include "hidraw/hidraw_emulado.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <ftw.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<HidrawEmulado *> atual {nullptr};
constexpr int MAX_FD = 4096;
std::atomic<bool> emulado[MAX_FD];   // the descriptor is an emulated node

template <typename F>
F Real(const char *nome)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, nome));
}
int RealOpen(const char *c, int f, mode_t m)
{
    static auto real = Real<int (*)(const char *, int, ...)>("open");
    return real(c, f, m);
}
int RealClose(int fd)
{
    static auto real = Real<int (*)(int)>("close");
    return real(fd);
}
ssize_t RealRead(int fd, void *b, size_t n)
{
    static auto real = Real<ssize_t (*)(int, void *, size_t)>("read");
    return real(fd, b, n);
}
ssize_t RealWrite(int fd, const void *b, size_t n)
{
    static auto real = Real<ssize_t (*)(int, const void *, size_t)>("write");
    return real(fd, b, n);
}

bool Emulado(int fd)
{
    return fd >= 0 && fd < MAX_FD && emulado[fd];
}

const char kSysfs[] = "/sys/class/hidraw";
const char kNo[] = "/dev/hidraw";

// The scratch path that stands for a sysfs path, or null.
bool Sysfs(const char *caminho, std::string *destino)
{
    HidrawEmulado *e = atual;
    if (e == nullptr || std::strncmp(caminho, kSysfs, sizeof kSysfs - 1) != 0)
        return false;
    *destino = e->raiz_ + caminho;
    return true;
}

int AbreNo(HidrawEmulado *e, const char *numero, int flags)
{
    char *fim = nullptr;
    long n = std::strtol(numero, &fim, 10);
    std::lock_guard<std::mutex> t(e->m_);
    auto it = e->dispositivos_.find(static_cast<int>(n));
    if (fim == numero || *fim != '\0' || it == e->dispositivos_.end() || !it->second.presente) {
        errno = ENOENT;
        return -1;
    }
    HidrawEmulado::Dispositivo &d = it->second;
    if (!d.permitido) {
        errno = EACCES;
        return -1;
    }
    if (!d.trocaAoAbrir.empty()) {
        d.descritor = d.trocaAoAbrir;
        d.trocaAoAbrir.clear();
    }
    int par[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, par) != 0)
        return -1;
    if (par[0] >= MAX_FD) {
        RealClose(par[0]);
        RealClose(par[1]);
        errno = EMFILE;
        return -1;
    }
    if (flags & O_NONBLOCK)
        fcntl(par[0], F_SETFL, O_NONBLOCK);
    e->nos_[par[0]] = {static_cast<int>(n), par[1], false};
    emulado[par[0]] = true;
    ++d.aberturas;
    e->cv_.notify_all();
    return par[0];
}

// The node and its device, or null with errno set as hidraw does for a
// node whose device is gone.  Called under the lock.
HidrawEmulado::Dispositivo *Vivo(HidrawEmulado *e, int fd, int erro)
{
    auto no = e->nos_.find(fd);
    if (no == e->nos_.end() || no->second.morto) {
        errno = erro;
        return nullptr;
    }
    return &e->dispositivos_[no->second.dispositivo];
}

}  // namespace

extern "C" int open(const char *caminho, int flags, ...)
{
    mode_t modo = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list a;
        va_start(a, flags);
        modo = static_cast<mode_t>(va_arg(a, int));
        va_end(a);
    }
    std::string trocado;
    if (Sysfs(caminho, &trocado))
        return RealOpen(trocado.c_str(), flags, modo);
    HidrawEmulado *e = atual;
    if (e != nullptr && std::strncmp(caminho, kNo, sizeof kNo - 1) == 0)
        return AbreNo(e, caminho + sizeof kNo - 1, flags);
    return RealOpen(caminho, flags, modo);
}

extern "C" DIR *opendir(const char *caminho)
{
    static auto real = Real<DIR *(*)(const char *)>("opendir");
    std::string trocado;
    return real(Sysfs(caminho, &trocado) ? trocado.c_str() : caminho);
}

extern "C" int close(int fd)
{
    HidrawEmulado *e = atual;
    if (e != nullptr && Emulado(fd)) {
        std::lock_guard<std::mutex> t(e->m_);
        auto no = e->nos_.find(fd);
        if (no != e->nos_.end()) {
            RealClose(no->second.par);
            ++e->dispositivos_[no->second.dispositivo].fechamentos;
            e->nos_.erase(no);
            emulado[fd] = false;
            e->cv_.notify_all();
        }
    }
    return RealClose(fd);
}

extern "C" ssize_t read(int fd, void *buffer, size_t n)
{
    HidrawEmulado *e = atual;
    if (e == nullptr || !Emulado(fd))
        return RealRead(fd, buffer, n);
    {
        std::lock_guard<std::mutex> t(e->m_);
        HidrawEmulado::Dispositivo *d = Vivo(e, fd, EIO);
        if (d == nullptr)
            return -1;
        ++d->tentativas;
        e->cv_.notify_all();
    }
    ssize_t r = RealRead(fd, buffer, n);
    std::lock_guard<std::mutex> t(e->m_);
    HidrawEmulado::Dispositivo *d = Vivo(e, fd, EIO);
    if (d == nullptr && r == 0)   // unplugged meanwhile
        return -1;
    if (d != nullptr && r > 0) {
        ++d->lidos;
        e->cv_.notify_all();
    }
    return r;
}

extern "C" ssize_t write(int fd, const void *buffer, size_t n)
{
    HidrawEmulado *e = atual;
    if (e == nullptr || !Emulado(fd))
        return RealWrite(fd, buffer, n);
    std::function<void(const std::string &)> resposta;
    std::string relatorio(static_cast<const char *>(buffer), n);
    {
        std::lock_guard<std::mutex> t(e->m_);
        HidrawEmulado::Dispositivo *d = Vivo(e, fd, ENODEV);
        if (d == nullptr)
            return -1;
        if (d->falhaEscrita != 0) {
            errno = d->falhaEscrita;
            d->falhaEscrita = 0;
            return -1;
        }
        // An unnumbered device's report leaves without the leading 0.
        if (!d->numerado && n > 0 && relatorio[0] == '\0')
            relatorio.erase(0, 1);
        d->escritos.push_back(relatorio);
        resposta = d->aoEscrever;
        e->cv_.notify_all();
    }
    if (resposta)
        resposta(relatorio);
    return static_cast<ssize_t>(n);
}

extern "C" int ioctl(int fd, unsigned long pedido, ...) noexcept
{
    va_list a;
    va_start(a, pedido);
    void *arg = va_arg(a, void *);
    va_end(a);
    HidrawEmulado *e = atual;
    if (e == nullptr || !Emulado(fd)) {
        static auto real = Real<int (*)(int, unsigned long, ...)>("ioctl");
        return real(fd, pedido, arg);
    }
    std::lock_guard<std::mutex> t(e->m_);
    HidrawEmulado::Dispositivo *d = Vivo(e, fd, ENODEV);
    if (d == nullptr)
        return -1;
    if (pedido == HIDIOCGRDESCSIZE) {
        *static_cast<int *>(arg) = static_cast<int>(d->descritor.size());
        return 0;
    }
    if (pedido == HIDIOCGRDESC) {
        auto *rd = static_cast<hidraw_report_descriptor *>(arg);
        if (rd->size > HID_MAX_DESCRIPTOR_SIZE) {
            errno = EINVAL;
            return -1;
        }
        std::memcpy(rd->value, d->descritor.data(), std::min<size_t>(rd->size, d->descritor.size()));
        return 0;
    }
    if (_IOC_TYPE(pedido) == 'H' && _IOC_NR(pedido) == 0x07 && _IOC_SIZE(pedido) > 0) {
        // HIDIOCGFEATURE: byte 0 names the report and stays in place, for
        // an unnumbered device as 0 ahead of the report.
        auto *b = static_cast<uint8_t *>(arg);
        size_t n = _IOC_SIZE(pedido);
        auto r = d->recursos.find(b[0]);
        if (r == d->recursos.end() || r->second.empty() || (!d->numerado && b[0] != 0)) {
            errno = EPIPE;
            return -1;
        }
        std::string relatorio = r->second.front();
        if (r->second.size() > 1)
            r->second.erase(r->second.begin());
        size_t desvio = d->numerado ? 0 : 1;
        size_t k = std::min(n - desvio, relatorio.size());
        std::memcpy(b + desvio, relatorio.data(), k);
        return static_cast<int>(k + desvio);
    }
    errno = EINVAL;
    return -1;
}

HidrawEmulado::HidrawEmulado()
{
    const char *tmp = std::getenv("TMPDIR");
    std::string modelo = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/hidraw-XXXXXX";
    std::vector<char> nome(modelo.begin(), modelo.end());
    nome.push_back('\0');
    if (mkdtemp(nome.data()) == nullptr)
        std::abort();
    raiz_ = nome.data();
    std::string d = raiz_;
    for (const char *parte : {"/sys", "/sys/class", "/sys/class/hidraw"})
        mkdir((d + parte).c_str(), 0755);
    atual = this;
}

HidrawEmulado::~HidrawEmulado()
{
    atual = nullptr;
    for (auto &no : nos_) {
        RealClose(no.second.par);
        emulado[no.first] = false;
    }
    nftw(raiz_.c_str(),
         [](const char *caminho, const struct stat *, int, struct FTW *) { return remove(caminho); },
         16, FTW_DEPTH | FTW_PHYS);
}

void HidrawEmulado::EscreveSysfs(int n)
{
    std::string dir = raiz_ + kSysfs + "/hidraw" + std::to_string(n);
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/device").c_str(), 0755);
    const Dispositivo &d = dispositivos_[n];
    auto grava = [&](const std::string &arquivo, const std::string &conteudo) {
        int fd = RealOpen((dir + "/device/" + arquivo).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || RealWrite(fd, conteudo.data(), conteudo.size()) != static_cast<ssize_t>(conteudo.size()))
            std::abort();
        RealClose(fd);
    };
    grava("report_descriptor", d.descritor);
    grava("uevent", "DRIVER=hid-generic\nHID_NAME=" + d.nome + "\n");
}

void HidrawEmulado::Liga(int n, const std::string &descritor, bool numerado, const std::string &nome)
{
    std::lock_guard<std::mutex> t(m_);
    Dispositivo &d = dispositivos_[n];
    d.descritor = descritor;
    d.numerado = numerado;
    d.nome = nome;
    d.presente = true;
    EscreveSysfs(n);
}

void HidrawEmulado::Desliga(int n)
{
    std::lock_guard<std::mutex> t(m_);
    dispositivos_[n].presente = false;
    std::string dir = raiz_ + kSysfs + "/hidraw" + std::to_string(n);
    for (const char *arquivo : {"/device/report_descriptor", "/device/uevent"})
        unlink((dir + arquivo).c_str());
    rmdir((dir + "/device").c_str());
    rmdir(dir.c_str());
    for (auto &no : nos_) {
        if (no.second.dispositivo == n && !no.second.morto) {
            no.second.morto = true;
            shutdown(no.second.par, SHUT_RDWR);   // wakes poll on the node
        }
    }
    cv_.notify_all();
}

void HidrawEmulado::Religa(int n)
{
    std::lock_guard<std::mutex> t(m_);
    dispositivos_[n].presente = true;
    EscreveSysfs(n);
    cv_.notify_all();
}

void HidrawEmulado::Envia(int n, const std::string &relatorio)
{
    std::lock_guard<std::mutex> t(m_);
    // hidraw hands the report to every open node of the device; with none
    // open it is lost.
    for (auto &no : nos_)
        if (no.second.dispositivo == n && !no.second.morto)
            RealWrite(no.second.par, relatorio.data(), relatorio.size());
}

bool HidrawEmulado::Aguarda(const std::function<bool()> &condicao)
{
    std::unique_lock<std::mutex> t(m_);
    return cv_.wait_for(t, std::chrono::seconds(60), condicao);
}
