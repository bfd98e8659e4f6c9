#pragma once

#include <windows.h>

#include "winui/dialog_surface.hpp"

namespace dp3::winui {

// The dialog procedure of a dialog object D: D gets its window in init()
// (WM_INITDIALOG, with the object as the dialog's parameter) and every later
// message in handle(); calls sent by a worker run first.
template <class D>
INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (runSentCall(message, lParam)) return TRUE;
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* dialog = reinterpret_cast<D*>(lParam);
    dialog->window = window;
    return dialog->init();
  }
  auto* dialog = reinterpret_cast<D*>(GetWindowLongPtrW(window, DWLP_USER));
  return dialog ? dialog->handle(message, wParam, lParam) : FALSE;
}

// Runs dialog template id as a modal dialog over owner, driven by object.
template <class D>
INT_PTR runDialog(int id, HWND owner, D& object) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), owner, dialogProc<D>,
                         LPARAM(&object));
}

// A button click of the dialog's own control id (not Escape's IDCANCEL, which
// comes without a control).
inline int clickedButton(WPARAM wParam, LPARAM lParam) {
  return HIWORD(wParam) == BN_CLICKED && lParam != 0 ? LOWORD(wParam) : 0;
}

}  // namespace dp3::winui
