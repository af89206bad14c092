/* A quicksort written in x86-64 assembly for GNU as (AT&T syntax):
 * Hoare's partition around the middle slot, recursion on the smaller side
 * and a loop on the larger one, and an insertion sort below 17 slots.
 *
 *   void asm_quicksort(int32_t* first, int32_t* last);  sorts first ... last - 1
 *
 *   cc -shared -fPIC asm_quicksort.S -o libasm_quicksort.so
 *   orvandel-bench --sort-library ./libasm_quicksort.so:asm_quicksort
 *
 * The sort itself takes first in rdi and last in rsi, as the System V ABI
 * passes them; on Windows the exported entry moves them there from rcx and
 * rdx and keeps rdi and rsi, which that ABI has the callee preserve. Inside,
 * the sort calls only itself: rbx and r12 are saved, everything else is
 * scratch. */

        .text
        .p2align 4
sort_range:                             /* rdi = first, rsi = last */
        push    %rbx
        push    %r12
.Lrange:
        mov     %rsi, %rax
        sub     %rdi, %rax              /* bytes in the range */
        cmp     $64, %rax               /* 16 slots or fewer: insertion sort */
        jbe     .Linsertion
        sub     $4, %rax
        shr     $3, %rax                /* (count - 1) / 2: the middle slot */
        mov     (%rdi,%rax,4), %edx     /* pivot value */
        lea     -4(%rdi), %rcx          /* i, before the first slot */
        mov     %rsi, %r8               /* j, past the last slot */
.Lscan_up:
        add     $4, %rcx
        cmp     %edx, (%rcx)
        jl      .Lscan_up               /* while *i < pivot */
.Lscan_down:
        sub     $4, %r8
        cmp     %edx, (%r8)
        jg      .Lscan_down             /* while *j > pivot */
        cmp     %r8, %rcx
        jae     .Lsplit                 /* the scans met: j ends the left part */
        mov     (%rcx), %r9d
        mov     (%r8), %r10d
        mov     %r10d, (%rcx)
        mov     %r9d, (%r8)
        jmp     .Lscan_up
.Lsplit:
        add     $4, %r8                 /* left: first ... r8, right: r8 ... last */
        mov     %r8, %rax
        sub     %rdi, %rax
        mov     %rsi, %rcx
        sub     %r8, %rcx
        cmp     %rcx, %rax
        ja      .Lright_smaller
        mov     %rsi, %rbx              /* recurse on the left, loop on the right */
        mov     %r8, %r12
        mov     %r8, %rsi
        call    sort_range
        mov     %r12, %rdi
        mov     %rbx, %rsi
        jmp     .Lrange
.Lright_smaller:
        mov     %rdi, %rbx              /* recurse on the right, loop on the left */
        mov     %r8, %r12
        mov     %r8, %rdi
        call    sort_range
        mov     %rbx, %rdi
        mov     %r12, %rsi
        jmp     .Lrange
.Linsertion:
        lea     4(%rdi), %rcx           /* i = first + 1 */
.Louter:
        cmp     %rsi, %rcx
        jae     .Ldone
        mov     (%rcx), %edx            /* the value to place */
        mov     %rcx, %r8
.Linner:
        cmp     %rdi, %r8
        jbe     .Lplace
        mov     -4(%r8), %eax
        cmp     %edx, %eax
        jle     .Lplace                 /* slot before holds no larger value */
        mov     %eax, (%r8)
        sub     $4, %r8
        jmp     .Linner
.Lplace:
        mov     %edx, (%r8)
        add     $4, %rcx
        jmp     .Louter
.Ldone:
        pop     %r12
        pop     %rbx
        ret

        .globl  asm_quicksort
        .p2align 4
#ifdef _WIN32
asm_quicksort:                          /* rcx = first, rdx = last */
        push    %rdi
        push    %rsi
        mov     %rcx, %rdi
        mov     %rdx, %rsi
        call    sort_range
        pop     %rsi
        pop     %rdi
        ret
        .section .drectve
        .ascii  " -export:asm_quicksort"
#else
        .type   asm_quicksort, @function
asm_quicksort:
        jmp     sort_range
        .size   asm_quicksort, . - asm_quicksort
        .section .note.GNU-stack, "", @progbits
#endif
