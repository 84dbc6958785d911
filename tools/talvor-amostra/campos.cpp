// Field builders shared by both memories of the sample: big-endian numbers,
// space-padded texts, dates of the calendar, and the fiscal-memory image
// writer that seals every record with its checksum and backup copy.
#include <cstring>

#include "amostra.h"
#include "text/numeros.h"

void PoeBE(uint8_t *p, unsigned largura, uint64_t valor)
{
    for (unsigned i = 0; i < largura; ++i)
        p[largura - 1 - i] = static_cast<uint8_t>(valor >> (8 * i));
}

void PoeBE(Bytes *b, unsigned largura, uint64_t valor)
{
    size_t n = b->size();
    b->resize(n + largura);
    PoeBE(b->data() + n, largura, valor);
}

void PoeTexto(uint8_t *p, unsigned largura, const std::string &texto)
{
    for (unsigned i = 0; i < largura; ++i)
        p[i] = i < texto.size() ? static_cast<uint8_t>(texto[i]) : ' ';
}

void PoeTexto(Bytes *b, unsigned largura, const std::string &texto)
{
    size_t n = b->size();
    b->resize(n + largura);
    PoeTexto(b->data() + n, largura, texto);
}

Momento NoDia(const DataHora &dia, unsigned hora, unsigned minuto, unsigned segundo)
{
    Momento m;
    m.dh = dia;
    m.dh.hora = static_cast<uint8_t>(hora);
    m.dh.minuto = static_cast<uint8_t>(minuto);
    m.dh.segundo = static_cast<uint8_t>(segundo);
    m.dh.verao = 0;
    return m;
}

DataHora DiaSeguinte(const DataHora &d)
{
    static const unsigned dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    DataHora r = d;
    unsigned ultimo = dias[d.mes - 1] + (d.mes == 2 && AnoBissexto(d.ano) ? 1 : 0);
    if (d.dia < ultimo) {
        ++r.dia;
    } else if (d.mes < 12) {
        r.dia = 1;
        ++r.mes;
    } else {
        r.dia = 1;
        r.mes = 1;
        ++r.ano;
    }
    return r;
}

void ImagemMF::GravaLista(size_t deslocamento, Bytes registro)
{
    registro.back() = SomaVerificacao(registro.data(), registro.size() - 1);
    std::memcpy(&m[deslocamento], registro.data(), registro.size());
    std::memcpy(&m[deslocamento + COPIA_MF], registro.data(), registro.size());
}

void ImagemMF::GravaReducao(unsigned crz, Bytes registro)
{
    registro.back() = SomaVerificacao(registro.data(), registro.size() - 1);
    std::memcpy(&m[87680 + 280 * static_cast<size_t>(crz - 1)], registro.data(), registro.size());
}
