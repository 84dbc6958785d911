// Packed dates and times of the printer's records and their text forms.
#include "text/datas.h"

#include <cctype>
#include <cstring>

#include "platform/plataforma.h"
#include "text/numeros.h"

uint16_t EmpacotaData(const DataHora &d)
{
    return static_cast<uint16_t>((((d.ano - 1990u) & 0x7Fu) << 9) | ((d.mes & 0x0Fu) << 5) |
                                 (d.dia & 0x1Fu));
}

uint16_t EmpacotaHora(const DataHora &d)
{
    return static_cast<uint16_t>(((d.verao & 1u) << 15) | ((d.hora & 0x1Fu) << 7) |
                                 (d.minuto & 0x7Fu));
}

void DesempacotaData(uint16_t data, DataHora *d)
{
    d->ano = static_cast<uint16_t>((data >> 9) + 1990);
    d->mes = static_cast<uint8_t>((data >> 5) & 0x0F);
    d->dia = static_cast<uint8_t>(data & 0x1F);
}

void DesempacotaHora(uint16_t hora, DataHora *d)
{
    d->minuto = static_cast<uint8_t>(hora & 0x7F);
    d->hora = static_cast<uint8_t>((hora >> 7) & 0x1F);
    d->verao = static_cast<uint8_t>(hora >> 15);
}

static void DoisDigitos(char *destino, unsigned valor, bool valido)
{
    if (!valido) {
        destino[0] = 'X';
        destino[1] = 'X';
        return;
    }
    destino[0] = static_cast<char>('0' + valor / 10 % 10);
    destino[1] = static_cast<char>('0' + valor % 10);
}

void DataParaTexto(uint16_t data, char *destino8)
{
    DataHora d{};
    DesempacotaData(data, &d);
    if (d.ano >= 1990 && d.ano <= 2089) {
        unsigned ano = d.ano;
        for (int i = 3; i >= 0; --i) {
            destino8[i] = static_cast<char>('0' + ano % 10);
            ano /= 10;
        }
    } else {
        std::memcpy(destino8, "XXXX", 4);
    }
    DoisDigitos(destino8 + 4, d.mes, d.mes >= 1 && d.mes <= 12);
    DoisDigitos(destino8 + 6, d.dia, d.dia >= 1 && d.dia <= 31);
}

void HoraParaTexto(uint16_t hora, uint8_t segundos, char *destino6)
{
    DataHora d{};
    DesempacotaHora(hora, &d);
    DoisDigitos(destino6, d.hora, d.hora < 24);
    DoisDigitos(destino6 + 2, d.minuto, d.minuto <= 59);
    DoisDigitos(destino6 + 4, segundos, segundos <= 59);
}

void DataHoraParaTexto(uint16_t data, char *destinoData, uint16_t hora, uint8_t segundos,
                       char *destinoHora)
{
    DataParaTexto(data, destinoData);
    HoraParaTexto(hora, segundos, destinoHora);
}

// The picture's letters are replaced by digits of the value; every other
// character is copied.  No terminator is written: the result takes exactly
// as many characters as the picture.
void FormataDataHora(const DataHora &d, char *destino, const char *picture)
{
    size_t i = 0;
    while (picture[i] != '\0') {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(picture[i])));
        size_t run = 1;
        while (std::tolower(static_cast<unsigned char>(picture[i + run])) == c &&
               picture[i + run] != '\0')
            ++run;
        unsigned valor;
        switch (c) {
        case 'd': valor = d.dia; break;
        case 'm': valor = d.mes; break;
        case 'h': valor = d.hora; break;
        case 'i': valor = d.minuto; break;
        case 's': valor = d.segundo; break;
        case 'y': {
            // The last `run` digits of the year.
            unsigned ano = d.ano;
            for (size_t k = run; k > 0; --k) {
                destino[i + k - 1] = static_cast<char>('0' + ano % 10);
                ano /= 10;
            }
            i += run;
            continue;
        }
        case 'v':
            for (size_t k = 0; k < run; ++k)
                destino[i + k] = d.verao ? 'V' : ' ';
            i += run;
            continue;
        default:
            for (size_t k = 0; k < run; ++k)
                destino[i + k] = picture[i + k];
            i += run;
            continue;
        }
        for (size_t k = 0; k < run; ++k)
            destino[i + k] = static_cast<char>('0' + ((k % 2 == 0) ? valor / 10 % 10 : valor % 10));
        i += run;
    }
}

bool AnoBissexto(unsigned ano)
{
    if (ano % 100 == 0)
        return ano % 400 == 0;
    return ano % 4 == 0;
}

int ValidaData(const DataHora &d)
{
    static const uint8_t dias[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.ano < 1990 || d.ano > 2089 || d.mes < 1 || d.mes > 12 || d.dia < 1)
        return 103;
    unsigned limite = dias[d.mes - 1];
    if (d.mes == 2 && AnoBissexto(d.ano))
        limite = 29;
    return d.dia > limite ? 103 : 0;
}

int LeDataTexto(const char *texto, uint16_t *data)
{
    // Exactly eight characters are read; a text that ends sooner has a bad
    // character where it ends.
    char campo[8];
    size_t n = 0;
    while (n < sizeof campo && texto[n] != '\0') {
        campo[n] = texto[n];
        ++n;
    }
    if (n < sizeof campo)
        return 96;
    DataHora d{};
    uint8_t ano[2];
    LeNumeroTexto(2, ano, 4, campo + 4, 0);
    if (IndicadorCaractereInvalido || IndicadorSoBrancos || IndicadorEstouro)
        return 96;
    d.ano = static_cast<uint16_t>(ano[0] | (ano[1] << 8));
    LeNumeroTexto(1, &d.mes, 2, campo + 2, 0);
    if (IndicadorCaractereInvalido || IndicadorSoBrancos || IndicadorEstouro)
        return 96;
    LeNumeroTexto(1, &d.dia, 2, campo, 0);
    if (IndicadorCaractereInvalido || IndicadorSoBrancos || IndicadorEstouro)
        return 96;
    int r = ValidaData(d);
    if (r != 0)
        return r;
    *data = EmpacotaData(d);
    return 0;
}

void DataHoraAtual(DataHora *d)
{
    RelogioLocal r;
    LeRelogioLocal(&r);
    d->ano = static_cast<uint16_t>(r.ano);
    d->mes = static_cast<uint8_t>(r.mes);
    d->dia = static_cast<uint8_t>(r.dia);
    d->hora = static_cast<uint8_t>(r.hora);
    d->minuto = static_cast<uint8_t>(r.minuto);
    d->segundo = static_cast<uint8_t>(r.segundo);
    d->verao = static_cast<uint8_t>(r.verao);
}
