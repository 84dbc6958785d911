// Figures of the printer link, run by bench/run (sections link_mf):
//   bench_link esperas          the mandated waits alone: 8192 sleeps of 2 ms
//   bench_link mf               LeBinarioMF from the printer on COM1 (the
//                               emulator, through TALVOR_COM1), in the
//                               current directory
// Prints the wall time in seconds; exit status 0 when the operation
// succeeded (a download that could not be signed counts, its bytes are
// checked by the script).
#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/plataforma.h"
#include "talvor/ecf.h"

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    auto inicio = std::chrono::steady_clock::now();
    int r = 0;
    if (std::strcmp(argv[1], "esperas") == 0) {
        for (int i = 0; i < 8192; ++i)
            DormeMs(2);
    } else if (std::strcmp(argv[1], "mf") == 0) {
        r = Open("COM1", "7720-QX3");
        if (r == 0)
            r = LeBinarioMF();
        Close();
        if (r == 3)
            r = 0;   // the script compares the bytes
    } else {
        return 2;
    }
    std::chrono::duration<double> d = std::chrono::steady_clock::now() - inicio;
    std::printf("%.3f\n", d.count());
    return r;
}
