// The list of ports on POSIX: the TALVOR_COM<n> variables that are set (the
// devices PortaSerialAbre opens for them), then the serial devices in /dev
// (ttyS*, ttyUSB*, ttyACM*) and the hidraw devices of sysfs, in numeric
// order.  On Linux a ttyS whose UART the kernel did not find (sysfs type 0)
// is left out: the kernel keeps such placeholders for every possible port.
// A hidraw device is described by its name, whether it is the printer or
// the RZ scanner (by its report descriptor) and, for those, whether this
// process may open it ("sem permissão" when not).
#include "platform/porta_serial.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/descritor_hid.h"
#include "platform/posix/sysfs_hid.h"

namespace {

constexpr unsigned MAX_NUMERO_PORTA = 100;   // COM1 to COM100, as PortaSerialAbre
constexpr unsigned MAX_DISPOSITIVOS = 256;

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

// hidrawN's name, what it is when it is one of ours and whether its node
// may be opened.
void DescreveHid(long numero, const char *dispositivo, char *destino, size_t capacidade)
{
    char nome[200];
    if (!LeUeventHidraw(numero, "HID_NAME", nome, sizeof nome))
        nome[0] = '\0';
    uint8_t descritor[TAMANHO_DESCRITOR_HID + 1];
    size_t n = 0;
    InfoDispositivoHid info {};
    const char *papel = nullptr;
    if (LeDescritorHidraw(numero, descritor, &n) == 0) {
        if (AnalisaDescritorHid(descritor, n, 0xFF45, 0x3800, &info) == 0)
            papel = "[impressora]";
        else if (AnalisaDescritorHid(descritor, n, 0xFF45, 0x4B00, &info) == 0)
            papel = "[scanner de RZ]";
    }
    std::snprintf(destino, capacidade, "%s", nome);
    if (papel == nullptr)
        return;
    int fd = open(dispositivo, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    bool semPermissao = fd < 0 && (errno == EACCES || errno == EPERM);
    if (fd >= 0)
        close(fd);
    size_t k = std::strlen(destino);
    std::snprintf(destino + k, capacidade - k, "%s%s%s", k > 0 ? "  " : "", papel,
                  semPermissao ? "  sem permissão" : "");
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
        unsigned quantos = NumerosNoDiretorio("/dev", prefixo, numeros, MAX_DISPOSITIVOS);
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

    unsigned quantos = ListaHidraw(numeros, MAX_DISPOSITIVOS);
    for (unsigned i = 0; i < quantos; ++i) {
        std::snprintf(dispositivo, sizeof dispositivo, "/dev/hidraw%ld", numeros[i]);
        DescreveHid(numeros[i], dispositivo, descricao, sizeof descricao);
        recebe(PORTA_LISTADA_HID, "", dispositivo, descricao, contexto);
    }
}
