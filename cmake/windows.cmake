# A build for Windows (cmake/mingw-w64-x86_64.cmake): what the system's
# headers are asked for, and the parts of the project that stay on Linux.

# Windows 7 and later (WSAPoll, sockets that no child inherits); 64-bit file
# offsets; the POSIX localtime_r(); windows.h without its min and max macros.
add_compile_definitions(_WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX _FILE_OFFSET_BITS=64
                        _POSIX_THREAD_SAFE_FUNCTIONS=200112L)
# The C and C++ runtimes of MinGW-w64 go into each program and DLL, so that
# a Windows machine needs only the project's own DLLs.
add_link_options(-static)
# The programs, the DLLs and the tests in one folder, where Windows finds a
# program's DLLs.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# What stays on Linux: the device simulator (its server is built on poll()
# over descriptors and POSIX signals; a simulator on Linux serves a Windows
# receiver over TCP), and the man pages, the shell completion and the Debian
# packages. The live view needs ncurses, which is not found for Windows: the
# receiver is built without --view, as on a Linux machine without ncurses.
set(TAVLO_BUILD_DEVSIM OFF)
# The fuzz targets read their inputs with POSIX calls; Linux fuzzes them.
set(TAVLO_BUILD_FUZZ_TARGETS OFF)
set(TAVLO_BUILD_UNIX_FILES OFF)
# --mqtt and --metrics-listen: their libraries (libmosquitto, cpp-httplib)
# are not cross-built here, so the receiver says they are unavailable.
set(TAVLO_MQTT OFF)
set(TAVLO_METRICS_ENDPOINT OFF)
