#pragma once

// The look of a switch. Only open_normal (on) and close_normal (off) are ever entered; the others
// name looks the switch does not use.
enum class SwitchButtonState {
    open_normal,
    open_hover,
    open_press,
    close_normal,
    close_hover,
    close_press,
    disable
};
