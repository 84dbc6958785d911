// Directories, file moves and whole-file mappings on POSIX systems.
#include "platform/plataforma.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

int CriaDiretorio(const char *caminho)
{
    if (mkdir(caminho, 0777) == 0)
        return 0;
    struct stat st {};
    if (errno == EEXIST && stat(caminho, &st) == 0 && S_ISDIR(st.st_mode))
        return 0;
    return 1;
}

int MoveArquivo(const char *de, const char *para)
{
    return rename(de, para) == 0 ? 0 : 1;
}

int RemoveArquivo(const char *caminho)
{
    return unlink(caminho) == 0 ? 0 : 1;
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
    return truncate(caminho, static_cast<off_t>(tamanho)) == 0 ? 0 : 1;
}

int MapeiaArquivo(const char *caminho, MapeamentoArquivo *m)
{
    m->base = nullptr;
    m->tamanho = 0;
    int fd = open(caminho, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        close(fd);
        return 1;
    }
    void *p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (p == MAP_FAILED)
        return 1;
    m->base = static_cast<const uint8_t *>(p);
    m->tamanho = static_cast<uint64_t>(st.st_size);
    return 0;
}

void DesmapeiaArquivo(MapeamentoArquivo *m)
{
    if (m->base != nullptr)
        munmap(const_cast<uint8_t *>(m->base), static_cast<size_t>(m->tamanho));
    m->base = nullptr;
    m->tamanho = 0;
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
