#include "platform/x11/input_method.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <langinfo.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/text.h"

namespace platform::x11 {
namespace {

void UseUtf8CharacterLocale() {
  const char* chosen = std::setlocale(LC_CTYPE, "");
  if (!chosen || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

constexpr XIMStyle kOnTheSpot = XIMPreeditCallbacks | XIMStatusNothing;
constexpr XIMStyle kRootWindow = XIMPreeditNothing | XIMStatusNothing;

bool Supports(XIM im, XIMStyle wanted) {
  XIMStyles* styles = nullptr;
  if (XGetIMValues(im, XNQueryInputStyle, &styles, nullptr) != nullptr || !styles) return false;
  const bool found = std::find(styles->supported_styles,
                               styles->supported_styles + styles->count_styles,
                               wanted) != styles->supported_styles + styles->count_styles;
  XFree(styles);
  return found;
}

// The changed part of a composition, in the locale's multibyte encoding or
// as wide characters.
std::wstring TextOf(const XIMText* text) {
  if (!text || text->length == 0) return {};
  if (text->encoding_is_wchar) {
    return text->string.wide_char ? std::wstring(text->string.wide_char, text->length)
                                  : std::wstring();
  }
  if (!text->string.multi_byte) return {};
  std::wstring wide(std::strlen(text->string.multi_byte) + 1, L'\0');
  const size_t n = std::mbstowcs(wide.data(), text->string.multi_byte, wide.size());
  if (n == static_cast<size_t>(-1)) return {};
  wide.resize(n);
  return wide;
}

}  // namespace

InputContext::~InputContext() {
  if (*method_alive_) XDestroyIC(ic_);
}

void InputContext::SetFocus(bool focused) {
  if (!*method_alive_) return;
  if (focused) XSetICFocus(ic_);
  else XUnsetICFocus(ic_);
}

long InputContext::FilterEvents() const {
  long mask = 0;
  if (XGetICValues(ic_, XNFilterEvents, &mask, nullptr) != nullptr) mask = 0;
  return mask;
}

void InputContext::Report(EventType type) {
  if (!on_composition_) return;
  WindowEvent event;
  event.type = type;
  if (type == EventType::kComposition) {
    event.text = Utf16ToUtf8(text_);
    event.composition_caret = caret_;
  }
  on_composition_(event);
}

int InputContext::OnStart(XIC, XPointer self, XPointer) {
  auto* context = reinterpret_cast<InputContext*>(self);
  context->text_.clear();
  context->caret_ = 0;
  context->Report(EventType::kCompositionStart);
  return -1;  // no length limit
}

void InputContext::OnDone(XIM, XPointer self, XPointer) {
  auto* context = reinterpret_cast<InputContext*>(self);
  context->text_.clear();
  context->caret_ = 0;
  context->Report(EventType::kCompositionEnd);
}

void InputContext::OnDraw(XIM, XPointer self, XPointer data) {
  auto* context = reinterpret_cast<InputContext*>(self);
  const auto* draw = reinterpret_cast<XIMPreeditDrawCallbackStruct*>(data);
  std::wstring& text = context->text_;
  const size_t first = std::min(static_cast<size_t>(std::max(0, draw->chg_first)), text.size());
  const size_t length = std::min(static_cast<size_t>(std::max(0, draw->chg_length)),
                                 text.size() - first);
  text.replace(first, length, TextOf(draw->text));
  context->caret_ = std::clamp(draw->caret, 0, static_cast<int>(text.size()));
  context->Report(EventType::kComposition);
}

void InputContext::OnCaret(XIM, XPointer self, XPointer data) {
  auto* context = reinterpret_cast<InputContext*>(self);
  auto* caret = reinterpret_cast<XIMPreeditCaretCallbackStruct*>(data);
  const int size = static_cast<int>(context->text_.size());
  switch (caret->direction) {
    case XIMAbsolutePosition: context->caret_ = caret->position; break;
    case XIMForwardChar: ++context->caret_; break;
    case XIMBackwardChar: --context->caret_; break;
    case XIMLineStart: context->caret_ = 0; break;
    case XIMLineEnd: context->caret_ = size; break;
    default: break;
  }
  context->caret_ = std::clamp(context->caret_, 0, size);
  caret->position = context->caret_;
  context->Report(EventType::kComposition);
}

void InputContext::LookupKey(InputContext* context, _XEvent& key_press, uint32_t* keysym,
                             std::string* text) {
  KeySym sym = NoSymbol;
  std::vector<char> buffer(64);
  int length = 0;
  if (context && *context->method_alive_) {
    Status status = 0;
    length = Xutf8LookupString(context->ic_, &key_press.xkey, buffer.data(),
                               static_cast<int>(buffer.size()), &sym, &status);
    if (status == XBufferOverflow) {
      buffer.resize(static_cast<size_t>(length) + 1);
      length = Xutf8LookupString(context->ic_, &key_press.xkey, buffer.data(),
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

InputMethod::InputMethod(_XDisplay* display) : display_(display) {
  UseUtf8CharacterLocale();
  if (!XSupportsLocale()) return;
  if (XSetLocaleModifiers("")) im_ = XOpenIM(display_, nullptr, nullptr, nullptr);
  if (!im_ && XSetLocaleModifiers("@im=none")) im_ = XOpenIM(display_, nullptr, nullptr, nullptr);
  if (!im_) return;
  XIMCallback destroyed{reinterpret_cast<XPointer>(alive_.get()), &InputMethod::OnDestroyed};
  XSetIMValues(im_, XNDestroyCallback, &destroyed, nullptr);
}

InputMethod::~InputMethod() {
  if (im_ && *alive_) XCloseIM(im_);
}

void InputMethod::OnDestroyed(XIM, XPointer alive, XPointer) {
  *reinterpret_cast<bool*>(alive) = false;
}

std::unique_ptr<InputContext> InputMethod::CreateContext(
    WindowId window, InputContext::CompositionCallback on_composition) {
  if (!available()) return nullptr;
  std::unique_ptr<InputContext> context(new InputContext);
  context->method_alive_ = alive_;
  context->on_composition_ = std::move(on_composition);
  if (Supports(im_, kOnTheSpot)) {
    auto* self = reinterpret_cast<XPointer>(context.get());
    XICCallback start{self, &InputContext::OnStart};
    XIMCallback done{self, &InputContext::OnDone};
    XIMCallback draw{self, &InputContext::OnDraw};
    XIMCallback caret{self, &InputContext::OnCaret};
    XVaNestedList preedit = XVaCreateNestedList(
        0, XNPreeditStartCallback, &start, XNPreeditDoneCallback, &done, XNPreeditDrawCallback,
        &draw, XNPreeditCaretCallback, &caret, nullptr);
    context->ic_ = XCreateIC(im_, XNInputStyle, kOnTheSpot, XNClientWindow, window, XNFocusWindow,
                             window, XNPreeditAttributes, preedit, nullptr);
    XFree(preedit);
    context->on_the_spot_ = context->ic_ != nullptr;
  }
  if (!context->ic_) {
    context->ic_ = XCreateIC(im_, XNInputStyle, kRootWindow, XNClientWindow, window,
                             XNFocusWindow, window, nullptr);
  }
  if (!context->ic_) return nullptr;
  return context;
}

}  // namespace platform::x11
