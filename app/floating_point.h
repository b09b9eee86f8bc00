#pragma once
// The floating-point environment the program runs in: the defaults, with
// every exception masked, so that 0 / 0 gives a NaN (shown as "--") instead
// of stopping the program.

void UseDefaultFloatingPointMasked();
