// Corvane.dll: serves the run-time calls of programs on the board processors.
// The board manager that loads it supplies the file and process operations.
#pragma once

#include <stdint.h>
#include <sys/stat.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*MX1IF_open_fn)(const char* path, int flags, int mode);
typedef int (*MX1IF_opendll_fn)(const char* name);
typedef int (*MX1IF_close_fn)(int handle);
typedef int (*MX1IF_read_fn)(int handle, void* buffer, unsigned count);
typedef int (*MX1IF_write_fn)(int handle, const void* buffer, unsigned count);
typedef long (*MX1IF_lseek_fn)(int handle, long offset, int origin);
typedef int (*MX1IF_isatty_fn)(int handle);
typedef int (*MX1IF_fstat_fn)(int handle, struct stat* status);
typedef int (*MX1IF_fcntl_fn)(int handle, int command, int argument);
typedef int (*MX1IF_stat_fn)(const char* path, struct stat* status);
typedef void (*MX1IF_exit_fn)(int node, int status);

int MX1IF_init(MX1IF_open_fn open, MX1IF_opendll_fn opendll, MX1IF_close_fn close,
               MX1IF_read_fn read, MX1IF_write_fn write, MX1IF_lseek_fn lseek,
               MX1IF_isatty_fn isatty, MX1IF_fstat_fn fstat, MX1IF_fcntl_fn fcntl,
               MX1IF_stat_fn stat, MX1IF_exit_fn exit, int byteOrderFlag);
int MX1IF_start_serving(void);
int MX1IF_add_node_info(int nodeNumber, int argc, char** argv, int stdinHandle, int stdoutHandle,
                        int stderrHandle, uint32_t addressOffset, int reserved1, int reserved2,
                        int processor);
int MX1IF_remove_node_info(int nodeNumber);
void MX1IF_term(void);

int OpenDll_add_dll_path(const char* directory);
int OpenDll_open_dll(const char* name, MX1IF_open_fn open, int byteOrderFlag);

#ifdef __cplusplus
}
#endif
