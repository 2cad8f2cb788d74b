# Sourced by scripts/setup.sh and scripts/wine-env.sh: can this machine run 32-bit programs?

# kestrova_kernel_runs_32bit: true when this kernel runs a 32-bit x86 program. Asked of the
# kernel itself, without Wine: a 93-byte static i386 ELF that only calls exit(0), written
# here and run. A kernel booted with its 32-bit emulation off answers "Exec format error".
kestrova_kernel_runs_32bit() {
    local probe status
    probe=$(mktemp "${TMPDIR:-/tmp}/kestrova-elf32.XXXXXX")
    # ELF header (52 bytes), one PT_LOAD program header (32 bytes) mapping the file at
    # 0x08048000, then the code at 0x08048054: xor ebx,ebx; mov eax,1; int 0x80.
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
    printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
    printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >>"$probe"
    printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe"
    printf '\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000' >>"$probe"
    printf '\061\333\270\001\000\000\000\315\200' >>"$probe"
    chmod +x "$probe"
    status=0
    "$probe" >/dev/null 2>&1 || status=$?
    rm -f "$probe"
    [ "$status" -eq 0 ]
}

# kestrova_runs_32bit: true when this machine runs a 32-bit Windows program under Wine, as
# the program handed out is. The kernel is asked first (no Wine needed where it says no);
# then a tiny program built with the i686 compiler runs in a 32-bit prefix of its own under
# the build root and must print its answer. Debian's wine launcher hands a program to wine64
# when wine32 is missing, which cannot start it in a 32-bit prefix. The answer is kept for
# the shell (KESTROVA_RUNS_32BIT=0|1 also sets it from outside).
kestrova_runs_32bit() {
    if [ -z "${KESTROVA_RUNS_32BIT:-}" ]; then
        KESTROVA_RUNS_32BIT=0
        if kestrova_kernel_runs_32bit && command -v i686-w64-mingw32-gcc >/dev/null 2>&1; then
            local dir answer
            dir=$(realpath -m "${KESTROVA_BUILD_ROOT:-build}")/probe32
            mkdir -p "$dir"
            if [ ! -f "$dir/probe32.exe" ]; then
                printf '#include <stdio.h>\nint main(void) { printf("%%d\\n", (int)(sizeof(void *) * 8)); return 0; }\n' \
                    >"$dir/probe32.c"
                i686-w64-mingw32-gcc -s -o "$dir/probe32.exe" "$dir/probe32.c"
            fi
            answer=$(WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32 \
                WINEPREFIX="$dir/prefix" timeout 120 wine "$dir/probe32.exe" 2>/dev/null |
                tr -d '\r' || true)
            [ "$answer" = 32 ] && KESTROVA_RUNS_32BIT=1
            WINEPREFIX="$dir/prefix" wineserver -k >/dev/null 2>&1 || true
        fi
        export KESTROVA_RUNS_32BIT
    fi
    [ "$KESTROVA_RUNS_32BIT" = 1 ]
}
