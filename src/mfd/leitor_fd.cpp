// The record reader of the detail-tape stream.  It reads the file through a
// buffer of its own, knows where the stream ends (the signature trailer
// begins there and is never read as records), and applies the filler rules:
// a record followed by 0xFF is not delivered (the download marks records cut
// short that way), runs of 0xFF are skipped, and a record whose text is
// longer than its tag allows is dropped when a 0xFF follows it.
#include <cstring>

#include "mfd/registro_fd.h"
#include "platform/plataforma.h"

void AbreLeitorFD(LeitorFD *leitor, FILE *arquivo, uint64_t inicio, uint64_t fim)
{
    leitor->arquivo = arquivo;
    leitor->posicao = inicio;
    leitor->fim = fim < inicio ? inicio : fim;
    leitor->inicioBuffer = inicio;
    leitor->cheio = 0;
}

// Makes the byte at the read position available in the buffer.  0, 20 at
// the stream end, 6 when the file cannot give it.
static int CarregaFD(LeitorFD *l)
{
    if (l->posicao >= l->fim)
        return FD_FIM;
    if (l->posicao >= l->inicioBuffer && l->posicao < l->inicioBuffer + l->cheio)
        return FD_OK;
    uint64_t resta = l->fim - l->posicao;
    size_t pedir = resta < TAMANHO_BUFFER_LEITOR_FD ? static_cast<size_t>(resta)
                                                    : TAMANHO_BUFFER_LEITOR_FD;
    // The file position follows the buffer; seek only when it does not.
    if (l->posicao != l->inicioBuffer + l->cheio || l->cheio == 0) {
        if (PosicionaArquivo(l->arquivo, l->posicao) != 0) {
            l->cheio = 0;
            return FD_DANIFICADO;
        }
    }
    l->inicioBuffer = l->posicao;
    l->cheio = std::fread(l->buffer, 1, pedir, l->arquivo);
    return l->cheio > 0 ? FD_OK : FD_DANIFICADO;
}

// The byte at the read position, without consuming it.
static int EspiaFD(LeitorFD *l, uint8_t *byte)
{
    int r = CarregaFD(l);
    if (r == FD_OK)
        *byte = l->buffer[l->posicao - l->inicioBuffer];
    return r;
}

static int LeByteFD(LeitorFD *l, uint8_t *byte)
{
    int r = EspiaFD(l, byte);
    if (r == FD_OK)
        ++l->posicao;
    return r;
}

// n bytes; a record that would cross the stream end is damaged.
static int LeBytesFD(LeitorFD *l, uint8_t *destino, size_t n)
{
    if (n > l->fim - l->posicao)
        return FD_DANIFICADO;
    while (n > 0) {
        if (CarregaFD(l) != FD_OK)
            return FD_DANIFICADO;
        size_t disponivel = static_cast<size_t>(l->inicioBuffer + l->cheio - l->posicao);
        size_t k = disponivel < n ? disponivel : n;
        std::memcpy(destino, l->buffer + (l->posicao - l->inicioBuffer), k);
        destino += k;
        n -= k;
        l->posicao += k;
    }
    return FD_OK;
}

static const char kErroDescricao[] = "ERROR TO READ DESCRIPTION";

int LeRegistroFD(LeitorFD *leitor, uint8_t *registro, int *documento)
{
    for (;;) {
        uint8_t tag;
        int r = LeByteFD(leitor, &tag);
        if (r != FD_OK)
            return r;
        registro[0] = tag;
        unsigned comprimento = 0;
        if (TamanhoRegistroFD(tag, &comprimento) != 0)
            return FD_DANIFICADO;

        uint8_t seguinte;
        if (tag == 0xFE || tag == 0xFF) {
            // A filler is delivered only when the byte after it is not 0xFF;
            // a filler as the stream's last byte ends the data.
            r = EspiaFD(leitor, &seguinte);
            if (r != FD_OK)
                return r;
            if (seguinte == 0xFF)
                continue;
            return FD_OK;
        }

        if (comprimento > 1 && LeBytesFD(leitor, registro + 1, comprimento - 1) != FD_OK)
            return FD_DANIFICADO;
        AjustaRegistroFD(registro);

        if (const TextoVariavelFD *t = ProcuraTextoVariavelFD(tag)) {
            unsigned n = ContagemTextoFD(*t, registro);
            if (n > t->limite) {
                // The download stores an over-long text as its fixed part
                // and one 0xFF: the record is dropped and so is the document
                // it belonged to.
                uint8_t marca;
                if (LeByteFD(leitor, &marca) != FD_OK)
                    return FD_DANIFICADO;
                if (marca == 0xFF) {
                    if (documento != nullptr)
                        *documento = 0;
                    continue;
                }
                std::memcpy(registro + t->inicioTexto, kErroDescricao, sizeof kErroDescricao - 1);
                return FD_DANIFICADO;
            }
            if (n > 0 && LeBytesFD(leitor, registro + t->inicioTexto, n) != FD_OK)
                return FD_DANIFICADO;
        }

        // A record followed by 0xFF was cut short by the download and is
        // skipped; at the stream end the record is delivered.
        r = EspiaFD(leitor, &seguinte);
        if (r == FD_OK && seguinte == 0xFF)
            continue;
        return FD_OK;
    }
}

void IdentificacaoDoFluxo(FILE *f, char *destino6)
{
    uint64_t tamanho = 0;
    if (TamanhoAberto(f, &tamanho) != 0 || tamanho < 259)
        return;
    static LeitorFD leitor;
    AbreLeitorFD(&leitor, f, 0, tamanho - 259);
    uint8_t registro[TAMANHO_REGISTRO_FD];
    while (LeRegistroFD(&leitor, registro, nullptr) == FD_OK) {
        if (registro[0] == 0x90) {
            std::memcpy(destino6, registro + 1, 6);
            return;
        }
    }
}
