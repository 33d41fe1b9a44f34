/* Structured exception guard for 32-bit Windows; MinGW has no __try. */

    .text

/* int RunSehGuarded(void (*body)(void*), void* context), cdecl.
   Frame, from the registration record (which fs:0 points at while the body runs) upwards:
     +0 previous record   +4 handler   +8 our ebp   +12 saved FPU control word
     +16 edi   +20 esi   +24 ebx   +28 caller's ebp   +32 return address   +36 body   +40 context */
    .globl _RunSehGuarded
    .def _RunSehGuarded; .scl 2; .type 32; .endef
_RunSehGuarded:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    subl $4, %esp
    fnstcw (%esp)
    pushl %ebp
    pushl $GuardHandler
    pushl %fs:0
    movl %esp, %fs:0
    pushl 12(%ebp)
    call *8(%ebp)
    addl $4, %esp
    xorl %eax, %eax
Unlink:
    popl %ecx
    movl %ecx, %fs:0
    addl $12, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

/* Reached from the handler with esp at the registration record. The abandoned code may have left
   values on the x87 stack, a changed control word or the direction flag set. */
Landed:
    fninit
    fldcw 12(%esp)
    cld
    movl $1, %eax
    jmp Unlink

/* EXCEPTION_DISPOSITION GuardHandler(EXCEPTION_RECORD*, void* frame, CONTEXT*, void*), cdecl.
   Continuing execution is not an option: a C++ throw of Microsoft's compiler is raised as
   non-continuable, and the dispatcher would turn a continue into a new exception. So, like an
   __except block, the handler unwinds the frames above its record (running their termination
   handlers and leaving fs:0 at the record) and then jumps to the landing point. */
    .def GuardHandler; .scl 3; .type 32; .endef
GuardHandler:
    movl 4(%esp), %eax
    /* EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND: a later unwind passes by; nothing to do. */
    testl $6, 4(%eax)
    jnz ContinueSearch
    pushl $0
    pushl %eax
    pushl $Unwound
    pushl 20(%esp)
    call _RtlUnwind@16
Unwound:
    /* RtlUnwind may change any register except esp; the record is read back from the stack. */
    movl 8(%esp), %esp
    movl 8(%esp), %ebp
    jmp Landed
ContinueSearch:
    movl $1, %eax
    ret
