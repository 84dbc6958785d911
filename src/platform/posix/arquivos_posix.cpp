// Directories, files and the durable renames of finished outputs on POSIX
// systems.  Every call that a signal can interrupt is repeated.
#include "platform/plataforma.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Repeats a call that failed with EINTR.
template <typename F>
auto SemInterrupcao(F chamada) -> decltype(chamada())
{
    decltype(chamada()) r;
    do
        r = chamada();
    while (r == -1 && errno == EINTR);
    return r;
}

// What the test aid asked for, as the system's own error.
bool FalhaPedida(int operacao, const char *caminho, const char *outro, uint64_t bytes)
{
    int g = GanchoArquivo(operacao, caminho, outro, bytes);
    if (g == 0)
        return false;
    errno = g == FALHA_OUTRO_DISPOSITIVO ? EXDEV : EIO;
    return true;
}

const char *OuAtual(const char *diretorio)
{
    return diretorio[0] != '\0' ? diretorio : ".";
}

}  // namespace

int CriaDiretorio(const char *caminho)
{
    if (SemInterrupcao([&] { return mkdir(caminho, 0777); }) == 0)
        return 0;
    struct stat st {};
    if (errno == EEXIST && stat(caminho, &st) == 0 && S_ISDIR(st.st_mode))
        return 0;
    return 1;
}

int MoveArquivo(const char *de, const char *para)
{
    if (FalhaPedida(ARQ_RENOMEIA, de, para, 0))
        return 1;
    return SemInterrupcao([&] { return rename(de, para); }) == 0 ? 0 : 1;
}

int RemoveArquivo(const char *caminho)
{
    return SemInterrupcao([&] { return unlink(caminho); }) == 0 ? 0 : 1;
}

int TamanhoArquivo(const char *caminho, uint64_t *tamanho)
{
    struct stat st {};
    if (stat(caminho, &st) != 0 || !S_ISREG(st.st_mode))
        return 1;
    *tamanho = static_cast<uint64_t>(st.st_size);
    return 0;
}

int TruncaArquivo(const char *caminho, uint64_t tamanho)
{
    return SemInterrupcao([&] { return truncate(caminho, static_cast<off_t>(tamanho)); }) == 0 ? 0
                                                                                                : 1;
}

int CriaArquivoTemporario(char *destino, size_t capacidade)
{
    const char *dir = std::getenv("TMPDIR");
    if (dir == nullptr || dir[0] == '\0')
        dir = "/tmp";
    int n = std::snprintf(destino, capacidade, "%s/talvorXXXXXX", dir);
    if (n < 0 || static_cast<size_t>(n) >= capacidade)
        return 1;
    int fd = mkstemp(destino);
    if (fd < 0)
        return 1;
    close(fd);
    return 0;
}

FILE *CriaArquivoNovo(const char *caminho)
{
    if (FalhaPedida(ARQ_CRIA, caminho, nullptr, 0))
        return nullptr;
    int fd = SemInterrupcao(
        [&] { return open(caminho, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
    if (fd < 0)
        return nullptr;
    FILE *f = fdopen(fd, "wb");
    if (f == nullptr) {
        close(fd);
        unlink(caminho);
    }
    return f;
}

int SincronizaArquivo(FILE *arquivo)
{
    if (std::fflush(arquivo) != 0 || FalhaPedida(ARQ_SINCRONIZA, "", nullptr, 0))
        return 1;
    int fd = fileno(arquivo);
    return SemInterrupcao([&] { return fsync(fd); }) == 0 ? 0 : 1;
}

int RenomeiaSemSubstituir(const char *de, const char *para)
{
    if (FalhaPedida(ARQ_RENOMEIA, de, para, 0))
        return 1;
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (SemInterrupcao([&] { return renameat2(AT_FDCWD, de, AT_FDCWD, para, RENAME_NOREPLACE); }) ==
        0)
        return 0;
    if (errno == EEXIST)
        return 2;
    // A kernel or file system without the flag: a hard link, then the old
    // name goes.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return 1;
#endif
    if (SemInterrupcao([&] { return link(de, para); }) == 0) {
        SemInterrupcao([&] { return unlink(de); });
        return 0;
    }
    if (errno == EEXIST)
        return 2;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK)
        return 1;
    // A file system without hard links either: the name is looked at, then
    // taken (another process could take it in between).
    struct stat st {};
    if (lstat(para, &st) == 0)
        return 2;
    return SemInterrupcao([&] { return rename(de, para); }) == 0 ? 0 : 1;
}

int SincronizaDiretorio(const char *diretorio)
{
    if (FalhaPedida(ARQ_SINCRONIZA, OuAtual(diretorio), nullptr, 0))
        return 1;
    int fd = SemInterrupcao(
        [&] { return open(OuAtual(diretorio), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (fd < 0)
        return 0;   // a directory that cannot be opened for it: nothing more to do
    int r = SemInterrupcao([&] { return fsync(fd); });
    bool erro = r != 0 && errno == EIO;
    close(fd);
    return erro ? 1 : 0;
}

int PercorreDiretorio(const char *diretorio, void (*visita)(const char *nome, void *contexto),
                      void *contexto)
{
    DIR *d = opendir(OuAtual(diretorio));
    if (d == nullptr)
        return 1;
    while (struct dirent *e = readdir(d)) {
        const char *n = e->d_name;
        if (!(n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))))
            visita(n, contexto);
    }
    closedir(d);
    return 0;
}

uint32_t IdProcesso()
{
    return static_cast<uint32_t>(getpid());
}

bool ProcessoAtivo(uint32_t id)
{
    if (id == 0 || id > static_cast<uint32_t>(INT_MAX))
        return false;
    return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

int LeArquivoInteiro(const char *caminho, uint8_t *destino, size_t capacidade, size_t *lidos)
{
    int fd = SemInterrupcao([&] { return open(caminho, O_RDONLY | O_CLOEXEC); });
    if (fd < 0)
        return 1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return 1;
    }
    uint64_t tamanho = static_cast<uint64_t>(st.st_size);
    size_t pedido = tamanho < capacidade ? static_cast<size_t>(tamanho) : capacidade;
    size_t feito = 0;
    while (feito < pedido) {
        if (FalhaPedida(ARQ_LE, caminho, nullptr, feito))
            break;
        size_t parte = pedido - feito < 65536 ? pedido - feito : 65536;
        ssize_t n = SemInterrupcao([&] { return read(fd, destino + feito, parte); });
        if (n <= 0)
            break;
        feito += static_cast<size_t>(n);
    }
    close(fd);
    *lidos = feito;
    return feito == pedido ? 0 : 1;
}

int PosicionaArquivo(FILE *arquivo, uint64_t posicao)
{
    if (posicao > static_cast<uint64_t>(INT64_MAX))
        return 1;
    return fseeko(arquivo, static_cast<off_t>(posicao), SEEK_SET) == 0 ? 0 : 1;
}

int TamanhoAberto(FILE *arquivo, uint64_t *tamanho)
{
    if (fseeko(arquivo, 0, SEEK_END) != 0)
        return 1;
    off_t fim = ftello(arquivo);
    if (fim < 0)
        return 1;
    *tamanho = static_cast<uint64_t>(fim);
    return 0;
}
