// The Linux kernel's hidraw interfaces, emulated for this test program
// (which defines open, close, read, write, ioctl and opendir, taking
// precedence over the C library's in the whole process, the production
// backend included):
//  - /sys/class/hidraw is a tree of real files in a scratch directory,
//    with hidrawN/device/report_descriptor and uevent for each device;
//  - opening /dev/hidrawN gives one end of a socket pair (so that poll
//    works on it), or EACCES while the device has no permission, or ENOENT
//    while it is unplugged;
//  - reads give the reports as the device sent them (with their report
//    identifier only if the device numbers its reports), writes drop the
//    leading 0 of an unnumbered device's report, HIDIOCGRDESCSIZE,
//    HIDIOCGRDESC and HIDIOCGFEATURE answer as hidraw does, and a node
//    whose device was unplugged gives EIO to reads, ENODEV to writes and
//    ioctls, and wakes poll.
// Everything else goes to the C library.
#ifndef TALVOR_TESTS_HIDRAW_HIDRAW_EMULADO_H
#define TALVOR_TESTS_HIDRAW_HIDRAW_EMULADO_H

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class HidrawEmulado {
public:
    struct Dispositivo {
        std::string descritor;
        std::string trocaAoAbrir;   // at the next open the number belongs to this device
        bool numerado = true;
        bool presente = false;
        bool permitido = true;
        std::string nome;
        // The feature reports answered for each identifier: each request
        // takes the next, the last one stays.
        std::map<int, std::vector<std::string>> recursos;
        std::vector<std::string> escritos;   // output reports as they reached the device
        int falhaEscrita = 0;                // the next write fails with this errno
        unsigned aberturas = 0, fechamentos = 0, lidos = 0;
        unsigned tentativas = 0;   // reads tried on a live node, data or not
        // What the device does when a report reaches it (called unlocked).
        std::function<void(const std::string &)> aoEscrever;
    };
    struct No {
        int dispositivo;   // number
        int par;           // the device's end of the socket pair
        bool morto;        // the device was unplugged since it was opened
    };

    HidrawEmulado();    // the scratch tree; this emulation takes over
    ~HidrawEmulado();

    // Plugs device /dev/hidrawN in.
    void Liga(int n, const std::string &descritor, bool numerado, const std::string &nome = "");
    void Desliga(int n);   // unplugged: sysfs entry gone, open nodes dead
    void Religa(int n);    // plugged back with the same number
    // An input report as it leaves the device.
    void Envia(int n, const std::string &relatorio);

    // Reads or changes device n's record under the emulation's lock.
    template <typename F>
    auto Com(int n, F f)
    {
        std::lock_guard<std::mutex> t(m_);
        return f(dispositivos_[n]);
    }
    // Waits until condicao (called under the lock) holds; false after a
    // generous bound, so that a hang fails the test instead of stalling it.
    bool Aguarda(const std::function<bool()> &condicao);

    // For the interposed functions.
    std::string raiz_;
    std::mutex m_;
    std::condition_variable cv_;
    std::map<int, Dispositivo> dispositivos_;
    std::map<int, No> nos_;   // by the process's descriptor

private:
    void EscreveSysfs(int n);
};

#endif
