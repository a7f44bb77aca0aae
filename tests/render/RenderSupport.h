// Helpers for the renderer tests: pages built by hand, scratch files, external PDF tools and
// pictures made with Cairo.
#pragma once

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "page/Page.h"

namespace render_test {

inline TextItem Text(double left, double top, double width, double height, std::string text,
                     TextAlign align = TextAlign::Left, bool multiline = false) {
  TextItem item;
  item.Left = left;
  item.Top = top;
  item.Width = width;
  item.Height = height;
  item.Text = std::move(text);
  item.Align = align;
  item.Multiline = multiline;
  return item;
}

inline Band BandWith(std::vector<DrawItem> items, int section = 10) {
  Band band;
  band.Section = section;
  band.Items = std::move(items);
  return band;
}

inline Page PageWith(int number, std::vector<DrawItem> items, double width = 794,
                     double height = 1123) {
  Page page;
  page.Number = number;
  page.Width = width;
  page.Height = height;
  page.Bands.push_back(BandWith(std::move(items)));
  return page;
}

// A folder of its own for one test, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kdr-render-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return FPath / name; }

 private:
  std::filesystem::path FPath;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// Standard output of a shell command.
inline std::string Shell(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
  if (!pipe) throw std::runtime_error("popen failed: " + command);
  std::string output;
  std::array<char, 4096> buffer{};
  std::size_t read = 0;
  while ((read = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) {
    output.append(buffer.data(), read);
  }
  return output;
}

inline std::string Quote(const std::filesystem::path& path) {
  return "'" + path.string() + "'";
}

// A PNG of `width` x `height` pixels filled with one opaque colour.
// The PNG bytes of a drawn surface.
inline std::string PngOf(cairo_surface_t* surface) {
  std::string bytes;
  cairo_surface_write_to_png_stream(
      surface,
      [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
      },
      &bytes);
  return bytes;
}

inline std::string SolidPng(int width, int height, double red, double green, double blue) {
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), &cairo_surface_destroy);
  std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(surface.get()),
                                                        &cairo_destroy);
  cairo_set_source_rgb(cr.get(), red, green, blue);
  cairo_paint(cr.get());
  return PngOf(surface.get());
}

// Decoded pixels of a PNG, read back for checks.
class PixelImage {
 public:
  explicit PixelImage(const std::string& png) : FSurface(nullptr, &cairo_surface_destroy) {
    struct Reader {
      const std::string* Bytes;
      std::size_t At = 0;
    } reader{&png};
    FSurface.reset(cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* data, unsigned int length) {
          auto* r = static_cast<Reader*>(closure);
          if (r->Bytes->size() - r->At < length) return CAIRO_STATUS_READ_ERROR;
          std::copy_n(r->Bytes->data() + r->At, length, data);
          r->At += length;
          return CAIRO_STATUS_SUCCESS;
        },
        &reader));
    if (cairo_surface_status(FSurface.get()) != CAIRO_STATUS_SUCCESS) {
      throw std::runtime_error("unreadable PNG");
    }
  }
  int Width() const { return cairo_image_surface_get_width(FSurface.get()); }
  int Height() const { return cairo_image_surface_get_height(FSurface.get()); }
  // 0xRRGGBB of a pixel (alpha dropped).
  unsigned Rgb(int x, int y) const {
    const unsigned char* row = cairo_image_surface_get_data(FSurface.get()) +
                               y * cairo_image_surface_get_stride(FSurface.get());
    unsigned pixel = 0;
    std::memcpy(&pixel, row + x * 4, 4);
    return pixel & 0xFFFFFFU;
  }

 private:
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> FSurface;
};

}  // namespace render_test
