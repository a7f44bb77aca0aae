#include "render/JpegDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "Exception.h"
#include "render/ImageDecoding.h"

namespace {

[[noreturn]] void Fail(const std::string& problem) {
  throw Exception("Imagem JPEG inválida: " + problem + ".");
}

constexpr std::array<int, 64> kZigZag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

struct HuffmanTable {
  bool Defined = false;
  // Canonical code tables by code length (1..16).
  std::array<int, 17> MaxCode{};
  std::array<int, 17> ValueOffset{};
  std::vector<std::uint8_t> Values;
};

struct Component {
  int Id = 0, H = 1, V = 1, Table = 0;
  int DcTable = 0, AcTable = 0;
  int BlocksPerLine = 0, BlocksPerColumn = 0;  // padded to whole MCUs
  std::vector<std::uint8_t> Samples;           // BlocksPerLine * 8 wide
  int Prediction = 0;
};

class BitReader {
 public:
  BitReader(std::string_view data, std::size_t position) : FData(data), FPosition(position) {}

  int Bit() {
    if (FCount == 0) Fill();
    --FCount;
    return (FBuffer >> FCount) & 1;
  }
  int Bits(int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) value = (value << 1) | Bit();
    return value;
  }
  // Skips to the restart marker that must come next and passes it.
  void Restart() {
    FCount = 0;
    if (FMarker < 0xD0 || FMarker > 0xD7) {
      // The marker has not been reached by reading bits yet; find it.
      while (FPosition + 1 < FData.size() &&
             !(Byte(FPosition) == 0xFF && Byte(FPosition + 1) >= 0xD0 &&
               Byte(FPosition + 1) <= 0xD7)) {
        ++FPosition;
      }
      if (FPosition + 1 >= FData.size()) Fail("marcador de reinício ausente");
      FPosition += 2;
    }
    FMarker = 0;
    FPastMarker = 0;
  }
  // Where the data after the coded bits starts: at a marker the reader may already have met.
  std::size_t Position() const { return FMarker != 0 ? FPosition - 2 : FPosition; }

 private:
  unsigned Byte(std::size_t at) const { return static_cast<unsigned char>(FData[at]); }
  void Fill() {
    // After a marker the coder sees zeros; a scan that needs more bits than it has is damaged.
    if (FMarker != 0) {
      if (++FPastMarker > 64) Fail("dados da imagem truncados");
      FBuffer = 0;
      FCount = 8;
      return;
    }
    if (FPosition >= FData.size()) Fail("dados da imagem truncados");
    unsigned byte = Byte(FPosition++);
    if (byte == 0xFF) {
      if (FPosition >= FData.size()) Fail("dados da imagem truncados");
      const unsigned next = Byte(FPosition++);
      if (next != 0) {
        FMarker = next;
        byte = 0;
      }
    }
    FBuffer = byte;
    FCount = 8;
  }

  std::string_view FData;
  std::size_t FPosition;
  unsigned FBuffer = 0;
  int FCount = 0;
  unsigned FMarker = 0;
  int FPastMarker = 0;
};

int Decode(BitReader& bits, const HuffmanTable& table) {
  int code = 0;
  for (int length = 1; length <= 16; ++length) {
    code = (code << 1) | bits.Bit();
    if (code <= table.MaxCode[static_cast<std::size_t>(length)]) {
      const int index = table.ValueOffset[static_cast<std::size_t>(length)] + code;
      if (index < 0 || index >= static_cast<int>(table.Values.size())) break;
      return table.Values[static_cast<std::size_t>(index)];
    }
  }
  Fail("código de Huffman inválido");
}

int Extend(int value, int length) {
  return length == 0 ? 0 : (value < (1 << (length - 1)) ? value - (1 << length) + 1 : value);
}

// Straightforward separable inverse DCT; pictures here are small logos.
class InverseDct {
 public:
  InverseDct() {
    for (int x = 0; x < 8; ++x) {
      for (int u = 0; u < 8; ++u) {
        const double scale = u == 0 ? std::sqrt(0.125) : 0.5;
        FCos[static_cast<std::size_t>(x * 8 + u)] = scale * std::cos((2 * x + 1) * u * M_PI / 16);
      }
    }
  }
  void Apply(const std::array<int, 64>& coefficients, std::uint8_t* out, int stride) const {
    std::array<double, 64> rows{};
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        double sum = 0;
        for (int u = 0; u < 8; ++u) {
          sum += FCos[static_cast<std::size_t>(x * 8 + u)] *
                 coefficients[static_cast<std::size_t>(y * 8 + u)];
        }
        rows[static_cast<std::size_t>(y * 8 + x)] = sum;
      }
    }
    for (int x = 0; x < 8; ++x) {
      for (int y = 0; y < 8; ++y) {
        double sum = 0;
        for (int v = 0; v < 8; ++v) {
          sum +=
              FCos[static_cast<std::size_t>(y * 8 + v)] * rows[static_cast<std::size_t>(v * 8 + x)];
        }
        const long value = std::lround(sum + 128);
        out[y * stride + x] = static_cast<std::uint8_t>(std::clamp(value, 0L, 255L));
      }
    }
  }

 private:
  std::array<double, 64> FCos{};
};

class Decoder {
 public:
  explicit Decoder(std::string_view data) : FData(data) {}

  CairoSurfacePtr Run() {
    if (FData.size() < 4 || Byte(0) != 0xFF || Byte(1) != 0xD8) Fail("assinatura ausente");
    std::size_t at = 2;
    bool frameSeen = false;
    while (true) {
      if (at + 2 > FData.size()) Fail("imagem truncada");
      if (Byte(at) != 0xFF) Fail("marcador inválido");
      const unsigned marker = Byte(at + 1);
      if (marker == 0xFF) {
        ++at;
        continue;
      }
      if (marker == 0xD9) break;
      if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
        at += 2;
        continue;
      }
      if (at + 4 > FData.size()) Fail("segmento truncado");
      const std::size_t length = Byte(at + 2) << 8 | Byte(at + 3);
      if (length < 2 || at + 2 + length > FData.size()) Fail("segmento truncado");
      const std::string_view segment = FData.substr(at + 4, length - 2);
      switch (marker) {
        case 0xDB:
          ReadQuantization(segment);
          break;
        case 0xC4:
          ReadHuffman(segment);
          break;
        case 0xDD:
          if (segment.size() < 2) Fail("intervalo de reinício truncado");
          FRestartInterval = static_cast<int>(Byte(segment, 0) << 8 | Byte(segment, 1));
          break;
        case 0xEE:
          // Adobe's marker says whether three components are YCbCr or plain RGB.
          if (segment.size() >= 12 && segment.substr(0, 5) == "Adobe") {
            FAdobeTransform = static_cast<int>(Byte(segment, 11));
          }
          break;
        case 0xC0:
        case 0xC1:
          ReadFrame(segment);
          frameSeen = true;
          break;
        case 0xDA:
          if (!frameSeen) Fail("varredura antes do quadro");
          at = ReadScan(segment, at + 2 + length);
          continue;
        default:
          if (marker >= 0xC2 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
              marker != 0xCC) {
            return nullptr;  // progressive, lossless or arithmetic coded
          }
          break;
      }
      at += 2 + length;
    }
    if (!frameSeen || !FScanSeen) Fail("quadro ausente ou sem dados");
    return Convert();
  }

 private:
  unsigned Byte(std::size_t at) const { return static_cast<unsigned char>(FData[at]); }
  static unsigned Byte(std::string_view segment, std::size_t at) {
    return static_cast<unsigned char>(segment[at]);
  }

  void ReadQuantization(std::string_view segment) {
    std::size_t at = 0;
    while (at < segment.size()) {
      const unsigned precision = Byte(segment, at) >> 4, index = Byte(segment, at) & 15;
      ++at;
      if (index > 3) Fail("tabela de quantização inválida");
      const std::size_t size = precision == 0 ? 64 : 128;
      if (at + size > segment.size()) Fail("tabela de quantização truncada");
      for (std::size_t i = 0; i < 64; ++i) {
        FQuantization[index][static_cast<std::size_t>(kZigZag[i])] =
            precision == 0
                ? static_cast<int>(Byte(segment, at + i))
                : static_cast<int>(Byte(segment, at + 2 * i) << 8 | Byte(segment, at + 2 * i + 1));
      }
      at += size;
    }
  }

  void ReadHuffman(std::string_view segment) {
    std::size_t at = 0;
    while (at < segment.size()) {
      if (at + 17 > segment.size()) Fail("tabela de Huffman truncada");
      const unsigned type = Byte(segment, at) >> 4, index = Byte(segment, at) & 15;
      if (type > 1 || index > 3) Fail("tabela de Huffman inválida");
      HuffmanTable& table = (type == 0 ? FDcTables : FAcTables)[index];
      table = HuffmanTable{};
      std::array<int, 17> counts{};
      std::size_t total = 0;
      for (int length = 1; length <= 16; ++length) {
        counts[static_cast<std::size_t>(length)] =
            static_cast<int>(Byte(segment, at + static_cast<std::size_t>(length)));
        total += static_cast<std::size_t>(counts[static_cast<std::size_t>(length)]);
      }
      at += 17;
      if (total > 256 || at + total > segment.size()) Fail("tabela de Huffman truncada");
      table.Values.assign(segment.begin() + static_cast<std::ptrdiff_t>(at),
                          segment.begin() + static_cast<std::ptrdiff_t>(at + total));
      at += total;
      int code = 0, offset = 0;
      for (std::size_t length = 1; length <= 16; ++length) {
        table.ValueOffset[length] = offset - code;
        code += counts[length];
        offset += counts[length];
        table.MaxCode[length] = counts[length] > 0 ? code - 1 : -1;
        code <<= 1;
      }
      table.Defined = true;
    }
  }

  void ReadFrame(std::string_view segment) {
    if (segment.size() < 6) Fail("quadro truncado");
    if (Byte(segment, 0) != 8) Fail("precisão não suportada");
    FHeight = static_cast<int>(Byte(segment, 1) << 8 | Byte(segment, 2));
    FWidth = static_cast<int>(Byte(segment, 3) << 8 | Byte(segment, 4));
    const unsigned count = Byte(segment, 5);
    if (FHeight == 0 || FWidth == 0) Fail("quadro ausente ou sem dados");
    if (count != 1 && count != 3) Fail(std::to_string(count) + " componentes de cor");
    if (segment.size() < 6 + 3 * count) Fail("quadro truncado");
    if (static_cast<long long>(FWidth) * FHeight > kMaxImagePixels) {
      Fail("dimensões grandes demais (" + std::to_string(FWidth) + " x " + std::to_string(FHeight) +
           ")");
    }
    FComponents.clear();
    for (unsigned i = 0; i < count; ++i) {
      Component component;
      component.Id = static_cast<int>(Byte(segment, 6 + 3 * i));
      component.H = static_cast<int>(Byte(segment, 7 + 3 * i) >> 4);
      component.V = static_cast<int>(Byte(segment, 7 + 3 * i) & 15);
      component.Table = static_cast<int>(Byte(segment, 8 + 3 * i));
      if (component.H < 1 || component.H > 4 || component.V < 1 || component.V > 4 ||
          component.Table > 3) {
        Fail("componente inválido");
      }
      FMaxH = std::max(FMaxH, component.H);
      FMaxV = std::max(FMaxV, component.V);
      FComponents.push_back(std::move(component));
    }
    FMcusPerLine = (FWidth + 8 * FMaxH - 1) / (8 * FMaxH);
    FMcusPerColumn = (FHeight + 8 * FMaxV - 1) / (8 * FMaxV);
    for (Component& component : FComponents) {
      component.BlocksPerLine = FMcusPerLine * component.H;
      component.BlocksPerColumn = FMcusPerColumn * component.V;
      component.Samples.assign(static_cast<std::size_t>(component.BlocksPerLine) * 8 *
                                   static_cast<std::size_t>(component.BlocksPerColumn) * 8,
                               0);
    }
  }

  // Decodes one scan; returns the position of the marker that ends it.
  std::size_t ReadScan(std::string_view segment, std::size_t dataStart) {
    if (segment.empty()) Fail("varredura truncada");
    const unsigned count = Byte(segment, 0);
    if (count < 1 || count > FComponents.size() || segment.size() < 1 + 2 * count + 3) {
      Fail("varredura inválida");
    }
    std::vector<Component*> scan;
    for (unsigned i = 0; i < count; ++i) {
      const int id = static_cast<int>(Byte(segment, 1 + 2 * i));
      auto found = std::find_if(FComponents.begin(), FComponents.end(),
                                [&](const Component& c) { return c.Id == id; });
      if (found == FComponents.end()) Fail("varredura de componente desconhecido");
      found->DcTable = static_cast<int>(Byte(segment, 2 + 2 * i) >> 4);
      found->AcTable = static_cast<int>(Byte(segment, 2 + 2 * i) & 15);
      if (found->DcTable > 3 || found->AcTable > 3 ||
          !FDcTables[static_cast<std::size_t>(found->DcTable)].Defined ||
          !FAcTables[static_cast<std::size_t>(found->AcTable)].Defined) {
        Fail("tabela de Huffman ausente");
      }
      found->Prediction = 0;
      scan.push_back(&*found);
    }
    BitReader bits(FData, dataStart);
    // One component alone is coded block by block over its own extent; several are
    // interleaved in MCUs.
    const bool single = scan.size() == 1;
    const int unitsPerLine = single ? (FWidth * scan[0]->H / FMaxH + 7) / 8 : FMcusPerLine;
    const int unitsPerColumn = single ? (FHeight * scan[0]->V / FMaxV + 7) / 8 : FMcusPerColumn;
    int unitsToRestart = FRestartInterval;
    for (int unitY = 0; unitY < unitsPerColumn; ++unitY) {
      for (int unitX = 0; unitX < unitsPerLine; ++unitX) {
        if (FRestartInterval > 0) {
          if (unitsToRestart == 0) {
            bits.Restart();
            for (Component* component : scan) component->Prediction = 0;
            unitsToRestart = FRestartInterval;
          }
          --unitsToRestart;
        }
        for (Component* component : scan) {
          const int blocksH = single ? 1 : component->H, blocksV = single ? 1 : component->V;
          for (int by = 0; by < blocksV; ++by) {
            for (int bx = 0; bx < blocksH; ++bx) {
              DecodeBlock(bits, *component, unitX * blocksH + bx, unitY * blocksV + by);
            }
          }
        }
      }
    }
    FScanSeen = true;
    // The scan's data ends at the next marker that is not a restart.
    std::size_t at = bits.Position();
    while (at + 1 < FData.size()) {
      if (Byte(at) == 0xFF && Byte(at + 1) != 0 &&
          !(Byte(at + 1) >= 0xD0 && Byte(at + 1) <= 0xD7)) {
        return at;
      }
      ++at;
    }
    return FData.size();
  }

  void DecodeBlock(BitReader& bits, Component& component, int blockX, int blockY) {
    std::array<int, 64> coefficients{};
    const auto& quantization = FQuantization[static_cast<std::size_t>(component.Table)];
    const int dcLength = Decode(bits, FDcTables[static_cast<std::size_t>(component.DcTable)]);
    if (dcLength > 11) Fail("coeficiente inválido");
    component.Prediction += Extend(bits.Bits(dcLength), dcLength);
    coefficients[0] = component.Prediction * quantization[0];
    const HuffmanTable& ac = FAcTables[static_cast<std::size_t>(component.AcTable)];
    for (int k = 1; k < 64;) {
      const int symbol = Decode(bits, ac);
      const int run = symbol >> 4, length = symbol & 15;
      if (length == 0) {
        if (run != 15) break;
        k += 16;
        continue;
      }
      k += run;
      if (k > 63) Fail("coeficiente fora do bloco");
      const auto position = static_cast<std::size_t>(kZigZag[static_cast<std::size_t>(k)]);
      coefficients[position] = Extend(bits.Bits(length), length) * quantization[position];
      ++k;
    }
    if (blockX >= component.BlocksPerLine || blockY >= component.BlocksPerColumn) return;
    const int stride = component.BlocksPerLine * 8;
    FDct.Apply(
        coefficients,
        component.Samples.data() + static_cast<std::ptrdiff_t>(blockY) * 8 * stride + blockX * 8,
        stride);
  }

  CairoSurfacePtr Convert() const {
    CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, FWidth, FHeight));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
      throw Exception("Memória insuficiente para a imagem.");
    }
    cairo_surface_flush(surface.get());
    unsigned char* target = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    // Subsampled components are stretched back by repeating samples.
    auto sample = [&](const Component& component, int x, int y) -> int {
      const int sx = x * component.H / FMaxH, sy = y * component.V / FMaxV;
      return component.Samples[static_cast<std::size_t>(sy) *
                                   static_cast<std::size_t>(component.BlocksPerLine * 8) +
                               static_cast<std::size_t>(sx)];
    };
    const bool colour = FComponents.size() == 3;
    const bool ycc = colour && FAdobeTransform != 0;
    for (int y = 0; y < FHeight; ++y) {
      auto* row =
          reinterpret_cast<std::uint32_t*>(target + static_cast<std::ptrdiff_t>(y) * stride);
      for (int x = 0; x < FWidth; ++x) {
        int red, green, blue;
        if (!colour) {
          red = green = blue = sample(FComponents[0], x, y);
        } else if (ycc) {
          const double luma = sample(FComponents[0], x, y);
          const double cb = sample(FComponents[1], x, y) - 128.0;
          const double cr = sample(FComponents[2], x, y) - 128.0;
          red = static_cast<int>(std::lround(luma + 1.402 * cr));
          green = static_cast<int>(std::lround(luma - 0.344136 * cb - 0.714136 * cr));
          blue = static_cast<int>(std::lround(luma + 1.772 * cb));
        } else {
          red = sample(FComponents[0], x, y);
          green = sample(FComponents[1], x, y);
          blue = sample(FComponents[2], x, y);
        }
        row[x] = 0xFF000000U | static_cast<std::uint32_t>(std::clamp(red, 0, 255)) << 16 |
                 static_cast<std::uint32_t>(std::clamp(green, 0, 255)) << 8 |
                 static_cast<std::uint32_t>(std::clamp(blue, 0, 255));
      }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
  }

  std::string_view FData;
  std::array<std::array<int, 64>, 4> FQuantization{};
  std::array<HuffmanTable, 4> FDcTables, FAcTables;
  std::vector<Component> FComponents;
  int FWidth = 0, FHeight = 0, FMaxH = 1, FMaxV = 1;
  int FMcusPerLine = 0, FMcusPerColumn = 0;
  int FRestartInterval = 0;
  int FAdobeTransform = -1;  // absent: three components are YCbCr
  bool FScanSeen = false;
  InverseDct FDct;
};

}  // namespace

CairoSurfacePtr DecodeBaselineJpeg(const std::string& bytes) {
  return Decoder(bytes).Run();
}
