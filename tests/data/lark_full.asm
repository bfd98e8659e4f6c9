; Keyer firmware stand-in for a LARK keyer, version 31.04: a full program
; memory image for an enhanced mid-range PIC16 with 8K words.
; Build: gpasm -a inhx32 lark_full.asm  (writes lark_full.hex)
;
; Word 3 holds the version bytes: low byte 104 (LARK, minor 4), high byte 31.
; Words 4-7647, 8000-8031 and 8096-8127 are filled with a pattern that differs
; from word to word. The configuration words (0x8007, 0x8008) and the data
; EEPROM contents (0xF000) land beyond the program memory in the HEX file.

        list    p=16f1847
        #include <p16f1847.inc>

        __CONFIG _CONFIG1, _FOSC_INTOSC & _WDTE_OFF & _MCLRE_ON
        __CONFIG _CONFIG2, _LVP_OFF

        variable w = 0

; Fills program words from w up to (not including) limit, at most 250 at a
; time (gpasm's loop limit).
fillto  macro   limit
        variable n = 0
        while   (n < .250) && (w < limit)
        dw      (w * 7 + 3) & 0x3FFF
w += 1
n += 1
        endw
        endm

        org     0x0000
        goto    start
        nop
        nop
        dw      0x1F68
w = 4
start:
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648
        fillto  .7648

        org     .8000
w = .8000
        fillto  .8032

        org     .8096
w = .8096
        fillto  .8128

        org     0xF000
        de      "N0CALL", 0

        end
