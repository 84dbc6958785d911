// Dates and times: the in-memory DataHora, the 16-bit packed DataCompacta
// and HoraCompacta of the printer's records, and their text forms.
#ifndef TALVOR_TEXT_DATAS_H
#define TALVOR_TEXT_DATAS_H

#include <cstddef>
#include <cstdint>

struct DataHora {
    uint16_t ano;      // full year
    uint8_t mes;       // 1 to 12
    uint8_t dia;       // 1 to 31
    uint8_t hora;      // 0 to 23
    uint8_t minuto;
    uint8_t segundo;
    uint8_t verao;     // 1 during summer time
};

// DataCompacta: (year - 1990) << 9 | month << 5 | day.
uint16_t EmpacotaData(const DataHora &d);
// HoraCompacta: summer << 15 | hour << 7 | minute.
uint16_t EmpacotaHora(const DataHora &d);
void DesempacotaData(uint16_t data, DataHora *d);
void DesempacotaHora(uint16_t hora, DataHora *d);

// "YYYYMMDD" (8 characters, "XXXX"/"XX" for parts out of range).
void DataParaTexto(uint16_t data, char *destino8);
// "HHMMSS" (6 characters, "XX" for parts out of range).
void HoraParaTexto(uint16_t hora, uint8_t segundos, char *destino6);
void DataHoraParaTexto(uint16_t data, char *destinoData, uint16_t hora, uint8_t segundos,
                       char *destinoHora);

// Replaces the letters d m y h i s v of the picture by the value's digits.
void FormataDataHora(const DataHora &d, char *destino, const char *picture);

// Parses "DDMMAAAA" (at most 8 characters are read; a shorter text is a bad
// character).  0, 96 (not a number) or 103 (not a valid date).
int LeDataTexto(const char *texto, uint16_t *data);
int ValidaData(const DataHora &d);
bool AnoBissexto(unsigned ano);
void DataHoraAtual(DataHora *d);

#endif
