// A stub for every function of the web engine that the maker calls: each jumps through
// its slot (web_engine.cpp), which the loader points at the real function. The stubs
// pass on every register untouched, so they fit any signature.
#define KELVANE_ENGINE_FUNCTION(name)              \
    .globl name;                                   \
    .hidden name;                                  \
    .type name, @function;                         \
name:                                              \
    jmp *kelvane_engine_##name(%rip);              \
    .size name, . - name;

    .text
#include "maker/web_engine_functions.h"

    .section .note.GNU-stack, "", @progbits
