#include "platform/x11/input_method.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <langinfo.h>

#include <clocale>
#include <cstring>
#include <vector>

namespace platform::x11 {
namespace {

void UseUtf8CharacterLocale() {
  const char* chosen = std::setlocale(LC_CTYPE, "");
  if (!chosen || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

}  // namespace

InputMethod::InputMethod(_XDisplay* display) : display_(display) {
  UseUtf8CharacterLocale();
  if (!XSupportsLocale()) return;
  if (XSetLocaleModifiers("")) im_ = XOpenIM(display_, nullptr, nullptr, nullptr);
  if (!im_ && XSetLocaleModifiers("@im=none")) im_ = XOpenIM(display_, nullptr, nullptr, nullptr);
}

InputMethod::~InputMethod() {
  if (im_) XCloseIM(im_);
}

_XIC* InputMethod::CreateContext(WindowId window) {
  if (!im_) return nullptr;
  return XCreateIC(im_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, window,
                   XNFocusWindow, window, nullptr);
}

void InputMethod::DestroyContext(_XIC* context) {
  if (context) XDestroyIC(context);
}

long InputMethod::FilterEvents(_XIC* context) const {
  long mask = 0;
  if (context && XGetICValues(context, XNFilterEvents, &mask, nullptr) != nullptr) mask = 0;
  return mask;
}

void InputMethod::LookupKey(_XIC* context, _XEvent& key_press, uint32_t* keysym,
                            std::string* text) {
  KeySym sym = NoSymbol;
  std::vector<char> buffer(64);
  int length = 0;
  if (context) {
    Status status = 0;
    length = Xutf8LookupString(context, &key_press.xkey, buffer.data(),
                               static_cast<int>(buffer.size()), &sym, &status);
    if (status == XBufferOverflow) {
      buffer.resize(static_cast<size_t>(length) + 1);
      length = Xutf8LookupString(context, &key_press.xkey, buffer.data(),
                                 static_cast<int>(buffer.size()), &sym, &status);
    }
    if (status != XLookupChars && status != XLookupBoth) length = 0;
    if (status != XLookupKeySym && status != XLookupBoth) {
      if (status == XLookupChars) sym = XLookupKeysym(&key_press.xkey, 0);
      else sym = NoSymbol;
    }
  } else {
    // Without an input method only Latin-1 text is available.
    length = XLookupString(&key_press.xkey, buffer.data(), static_cast<int>(buffer.size()), &sym,
                           nullptr);
    const bool ascii = length > 0 && static_cast<unsigned char>(buffer[0]) < 0x80;
    if (!ascii) length = 0;
  }
  *keysym = static_cast<uint32_t>(sym);
  text->assign(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
}

}  // namespace platform::x11
