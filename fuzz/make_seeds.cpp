// make_seeds DIR: writes the seed corpus of every fuzz target into
// DIR/<target>/: real generator output (the shapes, the program's camera)
// and the edge cases the unit tests name.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "app/program.h"
#include "fuzz/fuzz_input.h"
#include "mesh/shapes.h"

namespace life3d {
namespace {

namespace fs = std::filesystem;
using fuzz::InputWriter;

fs::path root;

void Save(const char* target, const std::string& name, const std::string& bytes) {
  const fs::path dir = root / target;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

// ---- Mesh reader ----

struct ReaderCall {
  bool reset = false;
  int32_t ox = 0, oy = 0, oz = 0, color = 7;
  int32_t lastLine = -2;  // -2: the text's last line
  std::string text;
};

// The mesh text a generator leaves in MeshLines, lines joined by line feeds.
std::string GeneratorText(const MeshStore& store) {
  std::string text;
  for (int32_t k = 0; k <= store.MeshLastLine; ++k) {
    if (k > 0) text += '\n';
    text += store.MeshLines[k];
  }
  return text;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t k = 0; k < lines.size(); ++k) text += (k ? "\n" : "") + lines[k];
  return text;
}

// The same calls for both mesh targets: alone for the reader's, behind the
// camera for the frame's.
void SaveReader(const std::string& name, const Camera& camera, const std::vector<ReaderCall>& calls,
                float angleX = -136, float angleZ = 60) {
  InputWriter w;
  for (const ReaderCall& c : calls) {
    const bool absolute = c.lastLine != -2;
    w.Put(static_cast<uint8_t>((c.reset ? 1 : 0) | (absolute ? 2 : 0)));
    w.Put(c.ox);
    w.Put(c.oy);
    w.Put(c.oz);
    w.Put(c.color);
    w.Put(absolute ? c.lastLine : 0);
    w.PutText(c.text);
  }
  Save("mesh_text_fuzz", name, w.bytes);
  InputWriter framed;
  framed.Put(camera.Xoff);
  framed.Put(camera.Yoff);
  framed.Put(camera.Zoff);
  framed.Put(camera.Zoom);
  framed.Put(angleX);
  framed.Put(0.0f);
  framed.Put(angleZ);
  framed.Put(uint8_t{0});
  Save("mesh_reader_fuzz", name, framed.bytes + w.bytes);
}

void ReaderSeeds() {
  // The program's own camera for the fuzz frame's 80 x 60 image.
  static Life3D app;
  StartUp(app, 43200.25, 80, 60);
  const Camera camera = app.camera;
  const std::string lastOfStartUp = GeneratorText(app.mesh);

  MeshStore store;
  const float box[12] = {0, 0, 0, 40, 0, 0, 40, 40, 0, 40, 40, 40};
  MakeBox(store, box, 0x00FF00);
  const std::string boxText = GeneratorText(store);
  const float tile[9] = {-400, -400, 0, 400, -400, 0, 400, 400, 0};
  MakeRectangle(store, tile, 0x606060, 0x303030);
  const std::string tileText = GeneratorText(store);

  SaveReader("box", camera, {{false, 0, 0, 0, 7, -2, boxText}});
  SaveReader("ground_then_boxes", camera,
             {{false, 0, 0, 0, 7, -2, tileText},
              {false, 100, -100, 0, 7, -2, boxText},
              {false, -100, 100, 50, 7, -2, boxText}});
  SaveReader("reset_between", camera,
             {{false, 0, 0, 0, 7, -2, boxText}, {true, 0, 0, 0, 7, -2, tileText}});
  SaveReader("startup_last_object", camera, {{false, 0, 0, 0, 7, -2, lastOfStartUp}});
  SaveReader("last_line_beyond_the_buffer", camera,
             {{false, 0, 0, 0, 7, kMeshLinesLast + 5, boxText}});
  SaveReader("no_lines", camera, {{false, 0, 0, 0, 7, -1, boxText}});
  SaveReader("huge_offsets", camera, {{false, INT32_MAX, INT32_MIN, INT32_MAX, -1, -2, boxText}});
  SaveReader("any_angles", camera, {{false, 0, 0, 0, 7, -2, boxText}}, 1e30f, -1e-30f);

  const std::string t = "Tri-mesh, Vertices: 3 Faces: 1", v0 = "Vertex 0: X: 1 Y: 2 Z: 3",
                    v1 = "Vertex 1: X: 4 Y: 5 Z: 6", v2 = "Vertex 2: X: 7 Y: 8 Z: 9",
                    f0 = "Face 0: A:0 B:1 C:2 colore: 65280";
  const std::vector<std::pair<const char*, std::vector<std::string>>> cases = {
      {"triangle", {t, v0, v1, v2, f0}},
      {"mixed_case",
       {"tri-mesh, vertices: 3 faces: 1", "vertex 0: x: 1 y: 2 z: 3", "VeRtEx 1: x: 4 y: 5 z: 6",
        "vertex 2: X: 7 y: 8 z: 9", "face 0: a:0 b:1 c:2"}},
      {"high_bytes",
       {"tri-mesh, \x84\x94vertices: 3 faces: 1", "vertex 0:\x87\xff x: 1 y: 2 z: 3", v1, v2, f0}},
      {"faces_first",
       {"Tri-mesh, Vertices: 3 Faces: 2", "Face 0: A:0 B:1 C:2", v0, v1, v2,
        "Face 1: A:2 B:1 C:0"}},
      {"half_counts", {"Tri-mesh, Vertices: 2.5 Faces: 3.5", v0, v1, f0}},
      {"open_at_the_end", {"Tri-mesh, Vertices: 3 Faces: 2", v0, v1, v2, f0}},
      {"header_inside_a_list", {t, v0, v1, t, v0, v1, v2, f0}},
      {"corner_out_of_range", {t, v0, v1, v2, "Face 0: A:0 B:1 C:3"}},
      {"negative_corner", {t, v0, v1, v2, "Face 0: A:-1 B:1 C:2"}},
      {"count_beyond_any_range", {"Tri-mesh, Vertices: 1E99999 Faces: 1", v0, v1, v2, f0}},
      {"nan_count", {"Tri-mesh, Vertices: NaN Faces: 1", v0, v1, v2, f0}},
      {"vertex_limit", {"Tri-mesh, Vertices: 98301 Faces: 1", v0, "Vertex 98300: X:1 Y:1 Z:1", f0}},
      {"face_limit",
       {"Tri-mesh, Vertices: 3 Faces: 32767", v0, v1, v2, f0, "Face 32766: A:0 B:1 C:2"}},
      {"beyond_the_face_limit",
       {"Tri-mesh, Vertices: 3 Faces: 32768", v0, v1, v2, "Face 32767: A:0 B:1 C:2"}},
      {"long_numbers",
       {t, "Vertex 0: X: 5.96046447762579867E-8 Y: -1E38 Z: 3.4028235E38", v1, v2,
        "Face 0: A:0 B:1 C:2 colore: -16777216"}},
  };
  for (const auto& [name, lines] : cases) {
    SaveReader(std::string("text_") + name, camera, {{false, 0, 0, 0, 7, -2, Joined(lines)}});
  }
  // Faces no line wrote keep an earlier scene's corners.
  SaveReader("stale_faces_after_reset", camera,
             {{false, 0, 0, 0, 7, -2, boxText},
              {true, 0, 0, 0, 7, -2,
               Joined({"Tri-mesh, Vertices: 3 Faces: 3", v0, v1, v2, f0, "Face 2: A:0 B:1 C:2"})}});
}

// ---- Number text ----

void SaveNumber(const std::string& name, double x, int8_t n, float f, int32_t i,
                const std::string& text) {
  InputWriter w;
  w.Put(x);
  w.Put(n);
  w.Put(f);
  w.Put(i);
  w.bytes += text;
  Save("number_text_fuzz", name, w.bytes);
}

void NumberSeeds() {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  SaveNumber("zero", 0.0, 7, 0.0f, 0, " 0");
  SaveNumber("negative_zero", -0.0, 18, -0.0f, -1, "-0");
  SaveNumber("smallest", 4.9406564584124654e-324, 18, 1.4e-45f, INT32_MIN, "4.94065645841247E-324");
  SaveNumber("largest", DBL_MAX, 18, FLT_MAX, INT32_MAX, "1.79769313486232E+308");
  SaveNumber("not_numbers", nan, 0, std::numeric_limits<float>::quiet_NaN(), 1, "NaN");
  SaveNumber("infinities", -inf, 19, std::numeric_limits<float>::infinity(), -2, "-1.#INF");
  SaveNumber("digits_out_of_range", 123456789.125, -1, 16777217.0f, 1000000, "  \t\n+1.5E+3x");
  SaveNumber("rounding_carry", 9.9999999999999999, 1, 0.99999994f, 99999999,
             "9.99999999999999999999");
  SaveNumber("exponent_extremes", 1e-300, 15, 1e-38f, 100000, "1E-4950");
  SaveNumber("huge_exponent", 1e300, 3, 3e38f, -100000, "1E99999999999");
  SaveNumber("no_digits", 0.5, 2, 0.5f, 5, ".E5");
  SaveNumber("dot_only", 2.5, 1, 2.5f, 25, "-.");
  SaveNumber("many_digits", 1.0 / 3, 18, 1.0f / 3, 333, std::string(300, '7') + ".5");
  SaveNumber("bytes_after", 1.25, 7, 1.25f, 125, std::string("12\0003", 4));
}

// ---- Key decoder ----

void SaveKeys(const std::string& name, const std::vector<uint8_t>& control,
              const std::string& bytes) {
  InputWriter w;
  w.Put(static_cast<uint8_t>(control.empty() ? 0 : control.size() - 1));
  for (uint8_t c : control) w.Put(c);
  if (control.empty()) w.Put(uint8_t{0x1F});
  w.bytes += bytes;
  Save("key_decoder_fuzz", name, w.bytes);
}

void KeySeeds() {
  const std::vector<std::pair<const char*, std::string>> sequences = {
      {"arrows", "\x1b[A\x1b[B\x1b[C\x1b[D"},
      {"ss3", "\x1bOA\x1bOD\x1bOP\x1bOQ\x1bOR\x1bOS"},
      {"editing", "\x1b[1~\x1b[2~\x1b[3~\x1b[4~\x1b[5~\x1b[6~\x1b[7~\x1b[8~"},
      {"function", "\x1b[11~\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~"},
      {"modifiers", "\x1b[1;5A\x1b[1;2C\x1b[1;2P\x1b[15;5~"},
      {"home_end", "\x1b[H\x1b[F\x1bOH\x1bOF\x1b[Z"},
      {"linux_console", "\x1b[[A\x1b[[E"},
      {"unknown", "\x1b[99~\x1b[?1;2c\x1b[200~x\x1b[<0;3;4M"},
      {"window_reports", "\x1b[3;300;200t\x1b[8;24;80t\x1b[8;;t\x1b[3;1;2;3;4t\x1b[8;0;0t"},
      {"alt_letters", "\x1bq\x1bQ\x1b"},
      {"double_esc", "\x1b\x1b[A\x1b\x1b"},
      {"interrupted", "\x1b[1\x03\x1b[1\x1b[A\x1b[1;5"},
      {"utf8", "\xc3\xa9\xe2\x96\x91\xf0\x9f\x98\x80\xc3"},
      {"overlong", "\x1b[" + std::string(40, '1') + "A" + "z"},
      {"controls", std::string("\x01\x03\x08\x7f\r\n\t\0", 8)},
  };
  for (const auto& [name, bytes] : sequences) {
    SaveKeys(std::string(name) + "_whole", {}, bytes);
    SaveKeys(std::string(name) + "_bytewise_with_gaps", {0x00, 0x20, 0x41}, bytes);
  }
  // A flood: more keys than the queue holds, then Esc.
  SaveKeys("flood_then_esc", {0x1F}, std::string(1000, 'a') + "\x1b");
  SaveKeys("flood_read_between", {0x1F, 0x5F, 0x3F}, std::string(600, 'b') + "\x1b" + "c");
}

// ---- Polygons ----

struct Op {
  std::string bytes;
};

std::string Clear(int32_t color, int8_t style) {
  InputWriter w;
  w.Put(uint8_t{0});
  w.Put(color);
  w.Put(style);
  return w.bytes;
}

std::string Polygon(const std::vector<float>& xy, int32_t outline, int32_t fill, int8_t style,
                    bool evenOdd, int32_t count = -1) {
  InputWriter w;
  w.Put(static_cast<uint8_t>(evenOdd ? 0x81 : 1));
  w.Put(outline);
  w.Put(fill);
  w.Put(style);
  w.Put(static_cast<uint16_t>(count >= 0 ? count : xy.size() / 2));
  for (float v : xy) w.Put(v);
  return w.bytes;
}

std::string Under(bool begin) {
  return std::string(1, static_cast<char>(begin ? 2 : 0x82));
}

void SavePolygons(const std::string& name, uint8_t width, uint8_t height,
                  const std::vector<std::string>& ops) {
  std::string bytes;
  bytes += static_cast<char>(width - 1);
  bytes += static_cast<char>(height - 1);
  for (const std::string& op : ops) bytes += op;
  Save("polygon_fuzz", name, bytes);
}

void PolygonSeeds() {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  SavePolygons("triangle", 16, 12,
               {Clear(-1, 0), Polygon({1, 1, 14, 3, 6, 10}, 0xFF, 0xFF, 0, false)});
  SavePolygons(
      "square_hatched", 16, 12,
      {Clear(0x808080, 0), Polygon({2, 2, 14, 2, 14, 10, 2, 10}, 0xFF, 0xFF0000, 5, false)});
  SavePolygons("star_even_odd", 20, 20,
               {Polygon({10, 0, 16, 19, 0, 7, 20, 7, 4, 19}, -1, -1, 0, true),
                Polygon({10, 0, 16, 19, 0, 7, 20, 7, 4, 19}, 0xFF00, -2, 0, false)});
  SavePolygons("extreme_corners", 17, 11,
               {Polygon({-3e9f, -3e9f, 3e9f, 3e9f, 3, 9}, 1, 2, 0, false),
                Polygon({-2147483648.0f, 5, 2147483520.0f, 6, 8, 2147483520.0f}, 3, 3, 0, false),
                Polygon({inf, -inf, nan, 1, 0, 0, 5, 5}, 4, 5, 3, true)});
  SavePolygons("painting_under", 24, 24,
               {Clear(0, 0), Under(true), Polygon({0, 0, 23, 0, 23, 23}, 7, 7, 0, false),
                Clear(0xFFFFFF, 2), Polygon({0, 0, 23, 23, 0, 23, 12, 4}, 8, 9, 6, false),
                Under(false), Polygon({0, 12, 23, 12}, 10, 10, 0, false)});
  SavePolygons("one_pixel", 1, 1, {Clear(5, 1), Polygon({0, 0, 0, 0, 0, 0}, 1, 2, 4, false)});
  std::vector<float> ring;
  for (int k = 0; k < 1024; ++k) {
    ring.push_back(24 + 30 * std::cos(k * 0.0061359233f * 7));
    ring.push_back(24 + 30 * std::sin(k * 0.0061359233f * 11));
  }
  SavePolygons("most_points", 48, 48, {Polygon(ring, 0xABCDEF, 0x123456, 0, false)});
  SavePolygons("too_many_points", 48, 48, {Polygon(ring, 1, 1, 0, false, 1100)});
  SavePolygons("two_points", 8, 8, {Polygon({0, 0, 7, 7}, 1, 1, 0, false)});
  SavePolygons("colours", 8, 8,
               {std::string(1, 3) + std::string("\xfe\xff\xff\xff", 4),
                std::string(1, 4) + std::string("\xff\xff\xff\xff", 4), Clear(-1, 9),
                Polygon({0, 0, 7, 0, 7, 7, 0, 7}, -1, -1, -3, false)});
}

// ---- life3d-render's key script and options ----

void ToolSeeds() {
  const std::vector<std::pair<const char*, std::string>> scripts = {
      {"plain", "XXXXq++zzdDaAeE"},
      {"escapes", "\\e\\\\\\x41\\xfF\\0H\\0\\x50\\0\\\\\\0\\e"},
      {"bad_escapes", "ab\\q\\x4"},
      {"cut_short", "x\\0"},
      {"raw_bytes", std::string("\0\n\x1b\xff ", 5)},
  };
  for (const auto& [name, text] : scripts) Save("key_script_fuzz", name, text);

  // Arguments joined by 0 bytes, as the target splits them.
  const std::vector<std::pair<const char*, std::vector<std::string>>> lines = {
      {"picture", {"--seed", "43200.25", "--passes", "30", "--out", "frame.png"}},
      {"keys",
       {"--seed=1000", "--passes=60", "--keys", "XXXXq++zzdDaAeE", "--size", "640x360", "--out",
        "a.png"}},
      {"keys_file", {"--keys-file", "-", "--passes", "3", "--video", "run.mkv", "--fps", "30"}},
      {"switches",
       {"--seed", "7", "--passes", "20", "--quick", "--no-center", "--pause", "--angles",
        "-136,0.5,60", "--out", "-"}},
      {"bench", {"--bench", "--passes", "200", "--quiet", "--quality=26", "--video", "x.mp4"}},
      {"help", {"-h", "--version", "--help"}},
      {"long_decimals",
       {"--seed", "0." + std::string(319, '0') + "1", "--angles",
        "340282356779733661637539395458142568448,0,0", "--out", "a.png"}},
      {"refused",
       {"--frobnicate", "--passes", "-1", "--size", "0x10", "--seed", "1e3", "--keys", "\\q",
        "--a\nb"}},
  };
  for (const auto& [name, args] : lines) {
    std::string bytes;
    for (size_t k = 0; k < args.size(); ++k) bytes += (k ? std::string(1, '\0') : "") + args[k];
    Save("render_options_fuzz", name, bytes);
  }
}

}  // namespace
}  // namespace life3d

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  life3d::root = argv[1];
  life3d::ReaderSeeds();
  life3d::NumberSeeds();
  life3d::KeySeeds();
  life3d::PolygonSeeds();
  life3d::ToolSeeds();
  return 0;
}
