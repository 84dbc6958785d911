// The list of ports on POSIX: the TALVOR_COM<n> variables that are set (the
// devices PortaSerialAbre opens for them), then the serial devices in /dev
// (ttyS*, ttyUSB*, ttyACM*) and the hidraw devices, in numeric order.  On
// Linux a ttyS whose UART the kernel did not find (sysfs type 0) is left
// out: the kernel keeps such placeholders for every possible port.
#include "platform/porta_serial.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>

namespace {

constexpr unsigned MAX_NUMERO_PORTA = 100;   // COM1 to COM100, as PortaSerialAbre
constexpr unsigned MAX_DISPOSITIVOS = 256;

// The number after prefixo in nome ("ttyUSB12" → 12), or -1.
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

// The numbers of /dev/<prefixo><n>, sorted; how many.
unsigned NumerosEmDev(const char *prefixo, long *numeros, unsigned capacidade)
{
    unsigned n = 0;
    DIR *d = opendir("/dev");
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

// First line of a small sysfs file, without its line feed; false when none.
bool LeLinha(const char *caminho, char *destino, size_t capacidade)
{
    FILE *f = std::fopen(caminho, "r");
    if (f == nullptr)
        return false;
    bool ok = std::fgets(destino, static_cast<int>(capacidade), f) != nullptr;
    std::fclose(f);
    if (ok)
        destino[std::strcspn(destino, "\n")] = '\0';
    return ok;
}

bool UartAusente(long numero)
{
    char caminho[64], tipo[16];
    std::snprintf(caminho, sizeof caminho, "/sys/class/tty/ttyS%ld/type", numero);
    return LeLinha(caminho, tipo, sizeof tipo) && std::strcmp(tipo, "0") == 0;
}

// The HID_NAME of a hidraw device from its uevent, or empty.
void NomeHid(long numero, char *destino, size_t capacidade)
{
    destino[0] = '\0';
    char caminho[80], linha[256];
    std::snprintf(caminho, sizeof caminho, "/sys/class/hidraw/hidraw%ld/device/uevent", numero);
    FILE *f = std::fopen(caminho, "r");
    if (f == nullptr)
        return;
    while (std::fgets(linha, sizeof linha, f) != nullptr) {
        if (std::strncmp(linha, "HID_NAME=", 9) == 0) {
            linha[std::strcspn(linha, "\n")] = '\0';
            std::snprintf(destino, capacidade, "%s", linha + 9);
            break;
        }
    }
    std::fclose(f);
}

// The COM name whose variable names this device, or empty.
void NomeMapeado(const char *dispositivo, char *nome, size_t capacidade)
{
    nome[0] = '\0';
    for (unsigned n = 1; n <= MAX_NUMERO_PORTA; ++n) {
        char variavel[40];
        std::snprintf(variavel, sizeof variavel, "TALVOR_COM%u", n);
        const char *valor = std::getenv(variavel);
        if (valor != nullptr && std::strcmp(valor, dispositivo) == 0) {
            std::snprintf(nome, capacidade, "COM%u", n);
            return;
        }
    }
}

}  // namespace

void ListaPortas(RecebePortaListada recebe, void *contexto)
{
    char nome[32], descricao[256], dispositivo[64];
    for (unsigned n = 1; n <= MAX_NUMERO_PORTA; ++n) {
        char variavel[40];
        std::snprintf(variavel, sizeof variavel, "TALVOR_COM%u", n);
        const char *valor = std::getenv(variavel);
        if (valor == nullptr || valor[0] == '\0')
            continue;
        std::snprintf(nome, sizeof nome, "COM%u", n);
        recebe(PORTA_LISTADA_SERIAL, nome, valor, variavel, contexto);
    }

    static long numeros[MAX_DISPOSITIVOS];
    static const char *const kPrefixos[] = {"ttyS", "ttyUSB", "ttyACM"};
    for (const char *prefixo : kPrefixos) {
        unsigned quantos = NumerosEmDev(prefixo, numeros, MAX_DISPOSITIVOS);
        for (unsigned i = 0; i < quantos; ++i) {
            bool ttyS = prefixo[3] == 'S' && prefixo[4] == '\0';
            if (ttyS && UartAusente(numeros[i]))
                continue;
            std::snprintf(dispositivo, sizeof dispositivo, "/dev/%s%ld", prefixo, numeros[i]);
            // A device a variable names was listed with it.
            NomeMapeado(dispositivo, nome, sizeof nome);
            if (nome[0] != '\0')
                continue;
            descricao[0] = '\0';
            if (ttyS && numeros[i] + 1 <= static_cast<long>(MAX_NUMERO_PORTA)) {
                // COM<n> falls back to /dev/ttyS<n-1> when TALVOR_COM<n> is unset.
                char variavel[40];
                std::snprintf(variavel, sizeof variavel, "TALVOR_COM%ld", numeros[i] + 1);
                if (std::getenv(variavel) == nullptr)
                    std::snprintf(nome, sizeof nome, "COM%ld", numeros[i] + 1);
            }
            recebe(PORTA_LISTADA_SERIAL, nome, dispositivo, descricao, contexto);
        }
    }

    unsigned quantos = NumerosEmDev("hidraw", numeros, MAX_DISPOSITIVOS);
    for (unsigned i = 0; i < quantos; ++i) {
        std::snprintf(dispositivo, sizeof dispositivo, "/dev/hidraw%ld", numeros[i]);
        NomeHid(numeros[i], descricao, sizeof descricao);
        recebe(PORTA_LISTADA_HID, "", dispositivo, descricao, contexto);
    }
}
