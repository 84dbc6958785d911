# The tests: every tests/<group>/ folder with C++ files becomes one GoogleTest
# program whose cases CTest runs under the group's label, and tests/embutido
# is a small project that builds talvor inside its own tree.
#
# The programs the tests run are named to them by macros holding their paths
# (TALVOR_CLI_PATH, TALVOR_SIM_PATH, TALVOR_AMOSTRA_PATH,
# TALVOR_HOSPEDEIRO_PATH), defined only for the programs this build makes.
# Tests that need a program the build leaves out (tools or example off) are
# not built: the groups below by name, and elsewhere the files named
# test_cli*.cpp, which run the command-line tool.

if(CMAKE_CROSSCOMPILING)
  # GoogleTest from Debian's sources, built for the target without warnings.
  get_directory_property(talvor_opcoes COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "-w")
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${talvor_opcoes}")
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# What each group runs beyond the library.  "instalacao": the build tree
# installed (with its tools) and packaged by "cmake --install" and cpack.
set(talvor_precisa_amostra talvor_amostra)
set(talvor_precisa_processo talvor_amostra talvor_sim)
set(talvor_precisa_impressora talvor_sim)
set(talvor_precisa_bindings talvor_cli talvor_sim hospedeiro instalacao)
set(talvor_precisa_superficie instalacao)
# Groups that test what only Linux has, or that run POSIX programs.
set(TALVOR_TESTES_FORA_DO_WINDOWS superficie impressora amostra bindings hidraw)

# ${var}: TRUE when this build makes everything named after it.
function(talvor_tem var)
  foreach(r ${ARGN})
    if(r STREQUAL "instalacao")
      if(NOT (TALVOR_INSTALL AND PROJECT_IS_TOP_LEVEL AND TARGET talvor_cli AND TARGET talvor_sim))
        set(${var} FALSE PARENT_SCOPE)
        return()
      endif()
    elseif(NOT TARGET ${r})
      set(${var} FALSE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${var} TRUE PARENT_SCOPE)
endfunction()

set(talvor_programas_de_teste talvor)
set(talvor_caminhos_de_teste)
foreach(par TALVOR_CLI_PATH:talvor_cli TALVOR_SIM_PATH:talvor_sim
    TALVOR_AMOSTRA_PATH:talvor_amostra TALVOR_HOSPEDEIRO_PATH:hospedeiro)
  string(REPLACE ":" ";" par ${par})
  list(GET par 0 macro)
  list(GET par 1 alvo)
  if(TARGET ${alvo})
    list(APPEND talvor_programas_de_teste ${alvo})
    list(APPEND talvor_caminhos_de_teste "${macro}=\"$<TARGET_FILE:${alvo}>\"")
  endif()
endforeach()
talvor_tem(talvor_instalavel instalacao)
if(talvor_instalavel)
  list(APPEND talvor_caminhos_de_teste TALVOR_BINARY_DIR="${PROJECT_BINARY_DIR}")
endif()

file(GLOB TALVOR_TESTUTIL_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/common/*.cpp)
add_library(talvor_testutil STATIC ${TALVOR_TESTUTIL_SOURCES})
target_link_libraries(talvor_testutil PUBLIC talvor_core GTest::gtest)
target_include_directories(talvor_testutil PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(talvor_testutil PUBLIC
  TALVOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  TALVOR_SHARED_LIB_PATH="$<TARGET_FILE:talvor>"
  TALVOR_SANITIZE_FLAGS="$<$<BOOL:${TALVOR_SANITIZE}>:-fsanitize=address,undefined>"
  ${talvor_caminhos_de_teste})

file(GLOB TALVOR_TEST_GROUPS LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/tests/*)
foreach(dir ${TALVOR_TEST_GROUPS})
  get_filename_component(group ${dir} NAME)
  talvor_tem(talvor_grupo_ok ${talvor_precisa_${group}})
  if(WIN32 AND group IN_LIST TALVOR_TESTES_FORA_DO_WINDOWS)
    set(talvor_grupo_ok FALSE)
  endif()
  # Python, Mono and Free Pascal hosts cannot load a sanitized library.
  if(TALVOR_SANITIZE AND group STREQUAL "bindings")
    set(talvor_grupo_ok FALSE)
  endif()
  if(IS_DIRECTORY ${dir} AND NOT group STREQUAL "common" AND talvor_grupo_ok)
    file(GLOB group_sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT TARGET talvor_cli)
      list(FILTER group_sources EXCLUDE REGEX "/test_cli[^/]*\\.cpp$")
    endif()
    if(group_sources)
      add_executable(test_${group} ${group_sources})
      target_link_libraries(test_${group} PRIVATE talvor_testutil GTest::gtest_main)
      add_dependencies(test_${group} ${talvor_programas_de_teste})
      if(WIN32)
        target_link_options(test_${group} PRIVATE -static)
      endif()
      gtest_discover_tests(test_${group} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 600 LABELS ${group})
    endif()
  endif()
endforeach()

# tests/processo: a C host taking signals during a download, and a test
# build of the shared library with the fake HID backend, to be unloaded
# with the USB channel's reader thread running.
if(TARGET test_processo AND NOT WIN32)
  add_executable(hospedeiro_sinais tests/processo/hospedeiro_sinais.c)
  target_link_libraries(hospedeiro_sinais PRIVATE ${CMAKE_DL_LIBS})
  add_library(talvor_hid_falso MODULE $<TARGET_OBJECTS:talvor_obj>
    tests/common/backend_hid_falso.cpp tests/processo/modulo/modulo_hid_falso.cpp)
  target_include_directories(talvor_hid_falso PRIVATE include src tests)
  target_link_libraries(talvor_hid_falso PRIVATE Threads::Threads)
  add_dependencies(test_processo hospedeiro_sinais talvor_hid_falso)
  target_compile_definitions(test_processo PRIVATE
    TALVOR_HOSPEDEIRO_SINAIS_PATH="$<TARGET_FILE:hospedeiro_sinais>"
    TALVOR_HID_FALSO_PATH="$<TARGET_FILE:talvor_hid_falso>")
endif()

# The close-then-open loop (a plain program that loads the shared library):
# scripts/compara-windows runs it against the emulator under Wine and on Linux.
add_executable(abre_fecha ${PROJECT_SOURCE_DIR}/tests/abre_fecha/abre_fecha.c)
target_link_libraries(abre_fecha PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(abre_fecha talvor)

# tests/embutido: a project that pulls talvor in, once with add_subdirectory
# and once with FetchContent, builds it with this build's compilers (two
# compile or link jobs at a time, whatever ctest's own -j) and runs its
# program, linked to talvor::talvor.
if(NOT CMAKE_CROSSCOMPILING)
  foreach(modo add_subdirectory FetchContent)
    add_test(NAME embutido.${modo} COMMAND ${CMAKE_CTEST_COMMAND}
      --build-and-test ${PROJECT_SOURCE_DIR}/tests/embutido ${PROJECT_BINARY_DIR}/embutido-${modo}
      --build-generator ${CMAKE_GENERATOR}
      --build-makeprogram ${CMAKE_MAKE_PROGRAM}
      --build-options -DTALVOR_MODO=${modo} -DTALVOR_FONTE=${PROJECT_SOURCE_DIR}
        -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DTALVOR_WERROR=${TALVOR_WERROR}
        -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
        -DCMAKE_JOB_POOLS=embutido=2 -DCMAKE_JOB_POOL_COMPILE=embutido -DCMAKE_JOB_POOL_LINK=embutido
      --test-command ${PROJECT_BINARY_DIR}/embutido-${modo}/embutido)
    set_tests_properties(embutido.${modo} PROPERTIES LABELS embutido TIMEOUT 1800 PROCESSORS 2)
  endforeach()
endif()
