/* Identifiers of the library's resources (shared by the resource script
   and the code). */
#ifndef TALVOR_PLATFORM_WIN32_RECURSOS_H
#define TALVOR_PLATFORM_WIN32_RECURSOS_H

#define IDD_LEITURA_RZ 101

#endif
