#include "tests/support/screen_text.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace fleetsync_test {
namespace {

constexpr char kTesseract[] = "/usr/bin/tesseract";
constexpr int kOcrScale = 4;
constexpr int kOcrMargin = 12;  // white pixels around the text, before scaling

int Grey(uint32_t rgb) {
  return static_cast<int>((((rgb >> 16) & 0xFF) * 299 + ((rgb >> 8) & 0xFF) * 587 +
                           (rgb & 0xFF) * 114) / 1000);
}

// Grey, bilinear scale-up with a white margin, as a binary PGM.
std::string ToScaledPgm(const ScreenGrab& grab) {
  const int w = (grab.width + 2 * kOcrMargin) * kOcrScale;
  const int h = (grab.height + 2 * kOcrMargin) * kOcrScale;
  auto source = [&](int x, int y) {
    x -= kOcrMargin;
    y -= kOcrMargin;
    if (x < 0 || y < 0 || x >= grab.width || y >= grab.height) return 255.0;
    return static_cast<double>(Grey(grab.at(x, y)));
  };
  std::string pgm = "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  pgm.reserve(pgm.size() + static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    const double fy = (y + 0.5) / kOcrScale - 0.5;
    const int y0 = static_cast<int>(std::floor(fy));
    const double ty = fy - y0;
    for (int x = 0; x < w; ++x) {
      const double fx = (x + 0.5) / kOcrScale - 0.5;
      const int x0 = static_cast<int>(std::floor(fx));
      const double tx = fx - x0;
      const double top = source(x0, y0) * (1 - tx) + source(x0 + 1, y0) * tx;
      const double bottom = source(x0, y0 + 1) * (1 - tx) + source(x0 + 1, y0 + 1) * tx;
      pgm += static_cast<char>(static_cast<int>(top * (1 - ty) + bottom * ty + 0.5));
    }
  }
  return pgm;
}

// Every channel of `a` within `tolerance` of `b`'s.
bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {16, 8, 0}) {
    const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(difference) > tolerance) return false;
  }
  return true;
}

const char* LanguageCode(OcrLanguage language) {
  return language == OcrLanguage::kChinese ? "chi_sim" : "eng";
}

}  // namespace

ScreenGrab ScreenGrab::Crop(int x, int y, int w, int h) const {
  ScreenGrab part;
  x = std::clamp(x, 0, width);
  y = std::clamp(y, 0, height);
  w = std::clamp(w, 0, width - x);
  h = std::clamp(h, 0, height - y);
  part.width = w;
  part.height = h;
  part.rgb.reserve(static_cast<size_t>(w) * h);
  for (int row = y; row < y + h; ++row) {
    for (int col = x; col < x + w; ++col) part.rgb.push_back(at(col, row));
  }
  return part;
}

ScreenGrab GrabScreen(_XDisplay* display, const ScreenRect& area) {
  ScreenGrab grab;
  if (area.width <= 0 || area.height <= 0) return grab;
  XImage* image = XGetImage(display, DefaultRootWindow(display), area.x, area.y,
                            static_cast<unsigned>(area.width), static_cast<unsigned>(area.height),
                            AllPlanes, ZPixmap);
  if (!image) return grab;
  grab.width = area.width;
  grab.height = area.height;
  grab.rgb.reserve(static_cast<size_t>(area.width) * area.height);
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) grab.rgb.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
  }
  XDestroyImage(image);
  return grab;
}

bool HaveTesseract(OcrLanguage language) {
  if (access(kTesseract, X_OK) != 0) return false;
  const std::string data = std::string("/usr/share/tesseract-ocr/5/tessdata/") +
                           LanguageCode(language) + ".traineddata";
  return access(data.c_str(), R_OK) == 0;
}

std::string ReadText(const ScreenGrab& grab, OcrLanguage language) {
  if (grab.empty()) return {};
  char path[] = "/tmp/fleetsync-ocr-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return {};
  close(fd);
  std::ofstream(path, std::ios::binary) << ToScaledPgm(grab);
  // One thread: several suites may read at once on a small machine.
  const std::string command = std::string("OMP_THREAD_LIMIT=1 ") + kTesseract + " " + path +
                              " stdout --psm 7 -l " + LanguageCode(language) + " 2>/dev/null";
  std::string text;
  if (FILE* out = popen(command.c_str(), "r")) {
    std::array<char, 256> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), out)) > 0) text.append(buffer.data(), n);
    pclose(out);
  }
  unlink(path);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\f' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::string CleanOcr(const std::string& text) {
  std::string clean;
  for (char c : text) {
    if (c != ' ' && c != '|' && c != '\n') clean += c;
  }
  return clean;
}

std::vector<int> FindCaretColumns(const ScreenGrab& grab, int min_run, int max_level) {
  std::vector<bool> tall(static_cast<size_t>(grab.width), false);
  for (int x = 0; x < grab.width; ++x) {
    int run = 0;
    for (int y = 0; y < grab.height && run < min_run; ++y)
      run = Near(grab.at(x, y), 0, max_level) ? run + 1 : 0;
    tall[static_cast<size_t>(x)] = run >= min_run;
  }
  std::vector<int> columns;
  for (int x = 0; x < grab.width;) {
    if (!tall[static_cast<size_t>(x)]) {
      ++x;
      continue;
    }
    int end = x;
    while (end < grab.width && tall[static_cast<size_t>(end)]) ++end;
    if (end - x <= 2) columns.push_back(x);
    x = end;
  }
  return columns;
}

std::optional<std::pair<int, int>> FindColorSpan(const ScreenGrab& grab, uint32_t rgb,
                                                 int tolerance) {
  std::optional<std::pair<int, int>> span;
  for (int x = 0; x < grab.width; ++x) {
    for (int y = 0; y < grab.height; ++y) {
      if (!Near(grab.at(x, y), rgb, tolerance)) continue;
      if (!span) span.emplace(x, x);
      span->second = x;
      break;
    }
  }
  return span;
}

}  // namespace fleetsync_test
