// Benchmark: texture.load of a 1920x1080 PNG and JPEG, from a loose file and
// from an archive member, against a bare libpng / libjpeg-turbo decode of the
// same file measured in the same run.
//
// usage: texture_load [repeats]   (prints one line per case: name, ms, baseline ms, ratio)
// The images are generated here (smooth gradients with some noise, like game
// art); the archive is packed by the qar tool built beside this benchmark.
#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/screen.h"
#include "graphics/texture.h"
#include "host/cipher.h"
#include "host/archive.h"
#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/resource.h"
#include "host/resource_stream.h"

using namespace qor;

namespace {

constexpr int kW = 1920, kH = 1080;

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// RGB picture: gradients, circles and a little noise so both codecs have work.
std::vector<uint8_t> MakePicture() {
  std::vector<uint8_t> rgb(size_t(kW) * kH * 3);
  uint32_t seed = 12345;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      seed = seed * 1103515245u + 12345u;
      int noise = int(seed >> 27) - 16;
      double d = std::hypot(x - 960.0, y - 540.0);
      uint8_t* p = &rgb[(size_t(y) * kW + x) * 3];
      p[0] = uint8_t(std::clamp(int(x * 255 / kW) + noise, 0, 255));
      p[1] = uint8_t(std::clamp(int(127 + 127 * std::sin(d / 40.0)) + noise / 2, 0, 255));
      p[2] = uint8_t(std::clamp(int(y * 255 / kH) ^ ((x / 64 + y / 64) & 1 ? 0x40 : 0), 0, 255));
    }
  }
  return rgb;
}

bool WritePng(const char* file, const std::vector<uint8_t>& rgb) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = kW;
  img.height = kH;
  img.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&img, file, 0, rgb.data(), kW * 3, nullptr) != 0;
}

bool WriteJpeg(const char* file, const std::vector<uint8_t>& rgb) {
  FILE* f = fopen(file, "wb");
  if (!f) return false;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = kW;
  c.image_height = kH;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(&rgb[size_t(c.next_scanline) * kW * 3]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  fclose(f);
  return true;
}

// The baselines: decode to BGRA in memory, nothing else.
bool BarePng(const char* file, std::vector<uint8_t>* out) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, file)) return false;
  img.format = PNG_FORMAT_BGRA;
  out->resize(PNG_IMAGE_SIZE(img));
  bool ok = png_image_finish_read(&img, nullptr, out->data(), 0, nullptr) != 0;
  png_image_free(&img);
  return ok;
}

bool BareJpeg(const char* file, std::vector<uint8_t>* out) {
  FILE* f = fopen(file, "rb");
  if (!f) return false;
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, f);
  jpeg_read_header(&d, TRUE);
  d.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&d);
  out->resize(size_t(d.output_width) * d.output_height * 4);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = &(*out)[size_t(d.output_scanline) * d.output_width * 4];
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  fclose(f);
  return true;
}

// One texture.load through the script binding, then delete.
bool LoadThroughScript(lua_State* L, const char* name) {
  lua_getglobal(L, "texture");
  lua_getfield(L, -1, "load");
  lua_pushstring(L, name);
  if (lua_pcall(L, 1, 1, 0) != 0) {
    fprintf(stderr, "texture.load(%s): %s\n", name, lua_tostring(L, -1));
    lua_settop(L, 0);
    return false;
  }
  lua_getfield(L, -1, "delete");
  lua_pushvalue(L, -2);
  lua_call(L, 1, 0);
  lua_settop(L, 0);
  return true;
}

template <class F>
double BestOf(int repeats, F&& f) {
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    double t0 = NowMs();
    if (!f()) return -1;
    best = std::min(best, NowMs() - t0);
  }
  return best;
}

std::string ExeDir() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  buf[n] = 0;
  std::string s(buf);
  return s.substr(0, s.rfind('/'));
}

}  // namespace

int main(int argc, char** argv) {
  int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
  std::string qar = getenv("QOR_QAR") ? getenv("QOR_QAR") : ExeDir() + "/../qar";

  char dir[] = "/tmp/qor_bench_texload_XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) return 1;
  mkdir("pack", 0755);
  {
    std::vector<uint8_t> rgb = MakePicture();
    if (!WritePng("big.png", rgb) || !WriteJpeg("big.jpg", rgb) || !WritePng("pack/abig.png", rgb) ||
        !WriteJpeg("pack/abig.jpg", rgb)) {
      fprintf(stderr, "cannot write the test images\n");
      return 1;
    }
  }
  std::string cmd = "'" + qar + "' pack pack -o 00.qar > /dev/null";
  if (system(cmd.c_str()) != 0) {
    fprintf(stderr, "cannot pack the archive with %s\n", qar.c_str());
    return 1;
  }
  memcpy(g_engineKey, kEngineKey, 96);  // the cipher's key, as start-up sets it
  LoadArchiveIndex();

  std::string error;
  std::unique_ptr<Device> device = CreateSoftDevice(nullptr, 64, 48, &error);
  if (!device) {
    fprintf(stderr, "no software device: %s\n", error.c_str());
    return 1;
  }
  UseScreenDevice(std::move(device), 64, 48);
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  RegisterClass(L, "texture", kTextureMethods, kTextureCtors);

  struct Case {
    const char* label;
    const char* name;     // what the script asks for
    const char* file;     // the same image as a plain file, for the baseline
    bool png;
  } cases[] = {
      {"png_loose", "big.png", "big.png", true},
      {"png_archive", "abig.png", "pack/abig.png", true},
      {"jpeg_loose", "big.jpg", "big.jpg", false},
      {"jpeg_archive", "abig.jpg", "pack/abig.jpg", false},
  };
  rename("pack/abig.png", "abig_plain.png");  // only the archive holds abig.*
  rename("pack/abig.jpg", "abig_plain.jpg");
  cases[1].file = "abig_plain.png";
  cases[3].file = "abig_plain.jpg";

  struct stat st{};
  stat("big.png", &st);
  printf("# texture_load %dx%d, best of %d; png %lld bytes\n", kW, kH, repeats, (long long)st.st_size);
  stat("big.jpg", &st);
  printf("# jpeg %lld bytes\n", (long long)st.st_size);
  printf("%-14s %10s %12s %7s\n", "case", "load_ms", "baseline_ms", "ratio");
  int status = 0;
  std::vector<uint8_t> buf;
  for (const Case& c : cases) {
    double base = BestOf(repeats, [&] { return c.png ? BarePng(c.file, &buf) : BareJpeg(c.file, &buf); });
    double load = BestOf(repeats, [&] { return LoadThroughScript(L, c.name); });
    if (base < 0 || load < 0) {
      printf("%-14s failed\n", c.label);
      status = 1;
      continue;
    }
    printf("%-14s %10.2f %12.2f %7.2f\n", c.label, load, base, load / base);
  }
  // Where the archive cases' extra time goes: reading the member through the cipher alone.
  for (const char* name : {"abig.png", "abig.jpg"}) {
    ResourceLocation loc;
    if (!FindResource(name, &loc)) continue;
    std::vector<uint8_t> bytes;
    double ms = BestOf(repeats, [&] {
      std::unique_ptr<ResourceStream> s = OpenResourceStream(loc, MemberBytes::Deciphered);
      return s && ReadRest(*s, &bytes);
    });
    printf("# decipher %s (%zu bytes) alone: %.2f ms\n", name, bytes.size(), ms);
  }
  lua_close(L);
  UseScreenDevice(nullptr, 0, 0);
  cmd = std::string("rm -rf '") + dir + "'";
  if (system(cmd.c_str()) != 0) status = 1;
  return status;
}
