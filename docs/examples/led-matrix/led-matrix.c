/* Plays a sign made by Lumidot on a row-scanned LED matrix, with an ATmega328P (an Arduino Uno's chip).
 *
 * Make the sign, then build and flash:
 *   lumidot-render --rows 16 --panel 32 --name sign --progmem --animate "Lumidot" sign.h
 *   avr-gcc -mmcu=atmega328p -DF_CPU=16000000UL -Os -I. led-matrix.c -o led-matrix.elf
 *   avr-objcopy -O ihex led-matrix.elf led-matrix.hex
 *
 * The matrix takes one row at a time: its columns' bits through shift registers (data on PB3, clock on
 * PB5, latch on PB2, as the hardware SPI pins are laid out), the row's number on PD4..PD7, and an
 * active-low enable on PD3. Each row stays lit for RowMicroseconds, so the whole panel refreshes about
 * a thousand times a second divided by its height.
 */
#include "sign.h"

#include <avr/io.h>
#include <util/delay.h>

enum { RowMicroseconds = 500 };

static void shiftOut(uint8_t bit) {
    if (bit)
        PORTB |= _BV(PB3);
    else
        PORTB &= (uint8_t)~_BV(PB3);
    PORTB |= _BV(PB5);
    PORTB &= (uint8_t)~_BV(PB5);
}

/* One pass over every row of the frame. */
static void showFrame(uint16_t frame) {
    uint16_t x;
    uint8_t y;
    for (y = 0; y < SIGN_HEIGHT; ++y) {
        for (x = 0; x < SIGN_WIDTH; ++x)
            shiftOut(sign_cell(frame, x, y));
        PORTD |= _BV(PD3); /* dark while the row changes */
        PORTB |= _BV(PB2);
        PORTB &= (uint8_t)~_BV(PB2);
        PORTD = (uint8_t)((PORTD & 0x0f) | (uint8_t)(y << 4));
        PORTD &= (uint8_t)~_BV(PD3);
        _delay_us(RowMicroseconds);
    }
}

int main(void) {
    uint16_t frame = 0;
    DDRB |= _BV(PB2) | _BV(PB3) | _BV(PB5);
    DDRD |= 0xf8;
    for (;;) {
        /* Refresh the frame until its time is up: each pass takes HEIGHT rows of RowMicroseconds. */
        uint32_t shownUs = 0;
        while (shownUs < (uint32_t)sign_delay(frame) * 1000u) {
            showFrame(frame);
            shownUs += (uint32_t)SIGN_HEIGHT * RowMicroseconds;
        }
        frame = (uint16_t)((frame + 1) % SIGN_FRAMES);
    }
}
