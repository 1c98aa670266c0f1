#pragma once
// Where a dialog sends a key before its own keyboard handling sees it: every
// dialog's key hook answers with one of these.

namespace qz {

enum class KeyRoute {
    Dialog,   // the dialog's usual handling (Tab, arrows, mnemonics, a focused button's Enter)
    Control,  // straight to the focused control, past the dialog (Escape)
    Handled,  // dealt with by the dialog's own code
};

}  // namespace qz
