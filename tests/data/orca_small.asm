; Keyer firmware stand-in for an ORCA keyer, version 31.04: a short program
; that leaves the top of the program memory erased.
; Build: gpasm -a inhx32 orca_small.asm  (writes orca_small.hex)
;
; Word 3 holds the version bytes: low byte 0x1F (31), high byte 0x04 (ORCA,
; minor 4).

        list    p=16f1847
        #include <p16f1847.inc>

        __CONFIG _CONFIG1, _FOSC_INTOSC & _WDTE_OFF & _MCLRE_ON
        __CONFIG _CONFIG2, _LVP_OFF

        org     0x0000
        goto    start
        nop
        nop
        dw      0x041F

        org     0x0004
start:
        banksel TRISB
        clrf    TRISB
        banksel LATB
loop:
        incf    LATB, f
        call    pause
        goto    loop

pause:
        movlw   .200
        movwf   0x20
again:
        decfsz  0x20, f
        goto    again
        return

        org     0x0100
table:
        dt      "CQ CQ DE N0CALL K"

        end
