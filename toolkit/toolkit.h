#pragma once
// The toolkit's process-wide set-up and its share of the message loop.
//
// Threads: every window and control of the toolkit lives on the window thread (the thread
// that calls initialise and runs the message loop). Nothing here is locked; workers hand
// results to the window thread through the dispatcher and never touch a control. Handlers
// run inside the message loop, so they must not block: long work belongs on a worker.
#include <windows.h>

#include <string>

namespace toolkit {

// Stores the instance for the window classes and decides once whether the enlarged images
// are used. Call before the first window is created.
void initialise(HINSTANCE instance);
HINSTANCE instance();

// Keyboard navigation of the skinned windows: Tab and Shift+Tab move the focus, Space
// presses the focused button, Enter the focused push button or else the window's default
// button, Esc acts as the window's close button. The message loop
// offers every message here before TranslateMessage; true means it was consumed.
bool preTranslateMessage(MSG* message);

// Whether a UI locale ("ar_IL", "fa_IR", or the short "ar", "fa") reads right to left.
bool isRightToLeftLanguage(const std::wstring& locale);

}  // namespace toolkit
