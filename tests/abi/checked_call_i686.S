/* CheckedCall for i686: calls a function the way a caller of the given convention does (words
   pushed right to left, ECX set for __thiscall) and measures what the callee removed from the
   stack, which tells __stdcall and __thiscall (callee pops) from __cdecl (caller pops) and a
   wrong argument count from the right one. The stack is restored either way.

   uint32_t CheckedCall(const void* function, uint32_t ecx, const uint32_t* words,
                        uint32_t count, uint32_t* popped);   (cdecl) */
    .text
    .globl _CheckedCall
    .def _CheckedCall; .scl 2; .type 32; .endef
_CheckedCall:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 16(%ebp), %esi
    movl 20(%ebp), %ebx
1:  testl %ebx, %ebx
    jz 2f
    decl %ebx
    pushl (%esi,%ebx,4)
    jmp 1b
2:  movl %esp, %edi
    movl 12(%ebp), %ecx
    call *8(%ebp)
    movl %esp, %ecx
    subl %edi, %ecx
    movl 24(%ebp), %edx
    movl %ecx, (%edx)
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
