/*
 * abre_fecha.c - a host that reconnects at once: loads the talvor library by
 * name, as point-of-sale software does, and calls Open and then Close N times
 * in a row, without a pause, so that every Open finds the port just closed.
 * Each pair whose results are not both 0 is printed; the last line counts
 * the pairs.  The exit status is 0 only when every result was 0.
 *
 *   abre_fecha BIBLIOTECA PORTA MODELO N
 *   e.g. abre_fecha talvor.dll COM1 7720-QX3 50
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#if defined(_WIN32)
#include <windows.h>
#define CHAMADA __stdcall
static void *Carrega(const char *nome) { return (void *)LoadLibraryA(nome); }
static void *Funcao(void *b, const char *nome) { return (void *)GetProcAddress((HMODULE)b, nome); }
#else
#include <dlfcn.h>
#define CHAMADA
static void *Carrega(const char *nome) { return dlopen(nome, RTLD_NOW); }
static void *Funcao(void *b, const char *nome) { return dlsym(b, nome); }
#endif

typedef int32_t(CHAMADA *FuncaoOpen)(const char *, const char *);
typedef int32_t(CHAMADA *FuncaoClose)(void);

int main(int argc, char **argv)
{
    void *biblioteca;
    FuncaoOpen abre;
    FuncaoClose fecha;
    int n, i, certos = 0;
    if (argc != 5 || (n = atoi(argv[4])) <= 0) {
        fprintf(stderr, "uso: abre_fecha BIBLIOTECA PORTA MODELO N\n");
        return 2;
    }
    biblioteca = Carrega(argv[1]);
    if (biblioteca == NULL) {
        fprintf(stderr, "abre_fecha: %s não carrega\n", argv[1]);
        return 2;
    }
    abre = (FuncaoOpen)Funcao(biblioteca, "Open");
    fecha = (FuncaoClose)Funcao(biblioteca, "Close");
    if (abre == NULL || fecha == NULL) {
        fprintf(stderr, "abre_fecha: Open ou Close ausente em %s\n", argv[1]);
        return 2;
    }
    for (i = 1; i <= n; i++) {
        int32_t a = abre(argv[2], argv[3]);
        int32_t f = fecha();
        if (a == 0 && f == 0)
            certos++;
        else
            printf("par %d: Open %d, Close %d\n", i, (int)a, (int)f);
    }
    printf("abre_fecha: %d pares Open/Close em %s, %d com os dois resultados 0\n", n, argv[2],
           certos);
    return certos == n ? 0 : 1;
}
