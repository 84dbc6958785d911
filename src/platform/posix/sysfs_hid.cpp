// hidraw devices through sysfs (see sysfs_hid.h).  Files are read with
// open and read, retried after a signal.
#include "platform/posix/sysfs_hid.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char *const DIRETORIO_HIDRAW = "/sys/class/hidraw";

// The number after prefixo in nome, or -1.
long NumeroApos(const char *nome, const char *prefixo)
{
    size_t n = std::strlen(prefixo);
    if (std::strncmp(nome, prefixo, n) != 0 || nome[n] == '\0')
        return -1;
    long v = 0;
    for (const char *c = nome + n; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || v > 100000)
            return -1;
        v = v * 10 + (*c - '0');
    }
    return v;
}

// Up to capacidade bytes of a file; -1 when it cannot be read.
long LeArquivo(const char *caminho, uint8_t *destino, size_t capacidade)
{
    int fd;
    do
        fd = open(caminho, O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    size_t total = 0;
    while (total < capacidade) {
        ssize_t k = read(fd, destino + total, capacidade - total);
        if (k < 0 && errno == EINTR)
            continue;
        if (k < 0) {
            close(fd);
            return -1;
        }
        if (k == 0)
            break;
        total += static_cast<size_t>(k);
    }
    close(fd);
    return static_cast<long>(total);
}

}  // namespace

unsigned NumerosNoDiretorio(const char *diretorio, const char *prefixo, long *numeros,
                            unsigned capacidade)
{
    unsigned n = 0;
    DIR *d = opendir(diretorio);
    if (d == nullptr)
        return 0;
    while (const dirent *e = readdir(d)) {
        long v = NumeroApos(e->d_name, prefixo);
        if (v >= 0 && n < capacidade)
            numeros[n++] = v;
    }
    closedir(d);
    for (unsigned i = 1; i < n; ++i) {
        long v = numeros[i];
        unsigned j = i;
        for (; j > 0 && numeros[j - 1] > v; --j)
            numeros[j] = numeros[j - 1];
        numeros[j] = v;
    }
    return n;
}

unsigned ListaHidraw(long *numeros, unsigned capacidade)
{
    return NumerosNoDiretorio(DIRETORIO_HIDRAW, "hidraw", numeros, capacidade);
}

int LeDescritorHidraw(long numero, uint8_t *destino, size_t *n)
{
    char caminho[96];
    std::snprintf(caminho, sizeof caminho, "%s/hidraw%ld/device/report_descriptor",
                  DIRETORIO_HIDRAW, numero);
    // One byte more than the kernel allows tells a descriptor too long.
    long lidos = LeArquivo(caminho, destino, TAMANHO_DESCRITOR_HID + 1);
    if (lidos <= 0 || static_cast<size_t>(lidos) > TAMANHO_DESCRITOR_HID)
        return 1;
    *n = static_cast<size_t>(lidos);
    return 0;
}

bool LeUeventHidraw(long numero, const char *chave, char *destino, size_t capacidade)
{
    char caminho[96];
    std::snprintf(caminho, sizeof caminho, "%s/hidraw%ld/device/uevent", DIRETORIO_HIDRAW, numero);
    char texto[2048];
    long lidos = LeArquivo(caminho, reinterpret_cast<uint8_t *>(texto), sizeof texto - 1);
    if (lidos < 0 || capacidade == 0)
        return false;
    texto[lidos] = '\0';
    size_t k = std::strlen(chave);
    for (char *linha = texto; *linha != '\0';) {
        char *fim = std::strchr(linha, '\n');
        if (fim != nullptr)
            *fim = '\0';
        if (std::strncmp(linha, chave, k) == 0 && linha[k] == '=') {
            std::snprintf(destino, capacidade, "%s", linha + k + 1);
            return true;
        }
        if (fim == nullptr)
            break;
        linha = fim + 1;
    }
    return false;
}
