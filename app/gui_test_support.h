#pragma once
// Helpers for the window tests, which run on a virtual X server: showing the
// window, putting real X events into its queue (clicks, a close request,
// keys), handling what is queued, and reading the shape of the pointer as
// the X server shows it.

#include <FL/Fl.H>
#include <FL/Fl_Widget.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "app/main_window.h"

extern char** environ;

namespace gui_test {

inline Window XidOf(Fl_Window& window) { return fl_xid(&window); }

// Handles every event the server has sent so far, repeatedly, until nothing
// is left, then lets a short quiet spell pass for follow-up events.
inline void Drain() {
  for (int round = 0; round < 5; ++round) {
    XSync(fl_display, False);
    while (Fl::ready()) Fl::check();
    Fl::wait(0.02);
  }
}

// Shows the window and waits until the server has mapped it.
inline void ShowAndWait(MainWindow& main) {
  main.Show();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    Fl::wait(0.02);
    if (!main.window().shown()) continue;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(fl_display, XidOf(main.window()), &attributes) &&
        attributes.map_state == IsViewable) {
      break;
    }
  }
  Drain();
}

// Queues a press and a release of the left button at the middle of `widget`,
// as the server would send them.
inline void QueueClick(Fl_Window& window, const Fl_Widget& widget) {
  XEvent event{};
  event.xbutton.display = fl_display;
  event.xbutton.window = XidOf(window);
  event.xbutton.root = RootWindow(fl_display, fl_screen);
  event.xbutton.same_screen = True;
  event.xbutton.x = widget.x() + widget.w() / 2;
  event.xbutton.y = widget.y() + widget.h() / 2;
  event.xbutton.x_root = window.x() + event.xbutton.x;
  event.xbutton.y_root = window.y() + event.xbutton.y;
  event.xbutton.button = Button1;
  event.type = ButtonPress;
  XSendEvent(fl_display, event.xbutton.window, False, ButtonPressMask, &event);
  event.type = ButtonRelease;
  event.xbutton.state = Button1Mask;
  XSendEvent(fl_display, event.xbutton.window, False, ButtonReleaseMask, &event);
  XFlush(fl_display);
}

// Queues the close request that a window manager sends for its close button.
inline void QueueCloseRequest(Fl_Window& window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.display = fl_display;
  event.xclient.window = XidOf(window);
  event.xclient.message_type = XInternAtom(fl_display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(fl_display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(fl_display, event.xclient.window, False, NoEventMask, &event);
  XFlush(fl_display);
}

// Queues a press and release of the key `keysym` to the window.
inline void QueueKey(Fl_Window& window, KeySym keysym) {
  XEvent event{};
  event.xkey.display = fl_display;
  event.xkey.window = XidOf(window);
  event.xkey.root = RootWindow(fl_display, fl_screen);
  event.xkey.same_screen = True;
  event.xkey.keycode = XKeysymToKeycode(fl_display, keysym);
  event.type = KeyPress;
  XSendEvent(fl_display, event.xkey.window, False, KeyPressMask, &event);
  event.type = KeyRelease;
  XSendEvent(fl_display, event.xkey.window, False, KeyReleaseMask, &event);
  XFlush(fl_display);
}

// Moves the real pointer to window coordinates (x, y); the server sends the
// crossing and motion events that go with it.
inline void MovePointer(Fl_Window& window, int x, int y) {
  XWarpPointer(fl_display, None, XidOf(window), 0, 0, 0, 0, x, y);
  XFlush(fl_display);
}

// The picture of the pointer the server shows now: size, hot spot and pixels.
struct PointerImage {
  int width = 0;
  int height = 0;
  int xhot = 0;
  int yhot = 0;
  std::vector<unsigned long> pixels;
  bool operator==(const PointerImage&) const = default;
};

inline PointerImage CurrentPointerImage() {
  XSync(fl_display, False);
  PointerImage image;
  XFixesCursorImage* cursor = XFixesGetCursorImage(fl_display);
  if (cursor == nullptr) return image;
  image.width = cursor->width;
  image.height = cursor->height;
  image.xhot = cursor->xhot;
  image.yhot = cursor->yhot;
  image.pixels.assign(cursor->pixels, cursor->pixels + cursor->width * cursor->height);
  XFree(cursor);
  return image;
}

// Runs a command (xdotool, say) to its end while the window keeps handling
// the events it causes, as a running program would; returns its exit status.
inline int RunWhilePumping(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) Fl::wait(0.005);
  Drain();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs xdotool with `arguments` while the window handles events.
inline int Xdotool(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "xdotool");
  return RunWhilePumping(arguments);
}

// A real click (pointer moved there, button pressed and released) at the
// middle of `widget` in `window`.
inline int XdotoolClick(Fl_Window& window, const Fl_Widget& widget) {
  return Xdotool({"mousemove", "--window", std::to_string(XidOf(window)),
                  std::to_string(widget.x() + widget.w() / 2),
                  std::to_string(widget.y() + widget.h() / 2), "click", "1"});
}

}  // namespace gui_test
