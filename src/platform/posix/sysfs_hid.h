// hidraw devices as sysfs shows them, without opening their nodes: the
// numbers N of /sys/class/hidraw/hidrawN, each one's report descriptor and
// uevent fields.  Used by the HID backend and by the list of ports.
#ifndef TALVOR_PLATFORM_POSIX_SYSFS_HID_H
#define TALVOR_PLATFORM_POSIX_SYSFS_HID_H

#include <cstddef>
#include <cstdint>

// The kernel's largest report descriptor.
constexpr size_t TAMANHO_DESCRITOR_HID = 4096;

// The numbers after prefixo of the entries of diretorio ("ttyUSB12" → 12),
// ascending; how many (at most capacidade).
unsigned NumerosNoDiretorio(const char *diretorio, const char *prefixo, long *numeros,
                            unsigned capacidade);

// The numbers of the hidraw devices present, ascending.
unsigned ListaHidraw(long *numeros, unsigned capacidade);

// hidrawN's report descriptor (destino holds TAMANHO_DESCRITOR_HID + 1
// bytes):
// 0 and *n; 1 when it cannot be read or is longer than the kernel allows.
int LeDescritorHidraw(long numero, uint8_t *destino, size_t *n);

// The value of "chave=" in hidrawN's device/uevent; false when none.
bool LeUeventHidraw(long numero, const char *chave, char *destino, size_t capacidade);

#endif
