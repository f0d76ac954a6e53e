// The OpenGL 3.3 display device: a core-profile context on the SDL window, through which the
// primary is shown as one copy over the client area (scaled with bars in full screen
// when the window is of another size, pixels kept sharp). The swap interval carries the
// wait for the vertical blank: a present that is to wait swaps with interval 1.
//
// A surface the GPU works on (a render target, a texture, the primary) gets a GPU copy, a
// texture with a framebuffer, and the frame stays there: draws, fills and copies between
// such surfaces and the present never pass through memory. Each copy knows the part where
// it is newer than memory and the part where memory is newer; a lock reads back only the
// part locked, and the part written goes up again before the GPU next uses the surface.
#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/display_device.h"
#include "platform/display_surface.h"
#include "platform/thread.h"
#include "platform/window.h"

namespace platform {
namespace {

constexpr char kVertexShader[] = R"(#version 330 core
void main() {
  // One triangle pair covering the viewport.
  vec2 corner = vec2(float((gl_VertexID & 1) != 0), float((gl_VertexID & 2) != 0));
  gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

// Pre-transformed vertices: pixel centres lie on whole coordinates, and a hair's shift
// toward the top left makes edges through pixel centres fill by the top-left rule whatever
// the GL's own tie rule is (it is larger than the GL's sub-pixel step).
constexpr char kVertexShader3D[] = R"(#version 330 core
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 diffuse;
layout(location = 2) in vec4 specular;
layout(location = 3) in vec2 coord0;
layout(location = 4) in vec2 coord1;
layout(location = 5) in vec2 coord2;
layout(location = 6) in vec2 coord3;
uniform vec2 targetSize;
out vec4 diffuseSmooth;
flat out vec4 diffuseFlat;
out vec4 specularSmooth;
flat out vec4 specularFlat;
out vec2 tc0;
out vec2 tc1;
out vec2 tc2;
out vec2 tc3;
void main() {
  vec2 p = (position.xy + vec2(0.5 - 1.0 / 64.0)) / targetSize * 2.0 - 1.0;
  float w = position.w > 0.0 ? 1.0 / position.w : 1.0;
  gl_Position = vec4(p * w, (position.z * 2.0 - 1.0) * w, w);
  diffuseSmooth = diffuse;
  diffuseFlat = diffuse;
  specularSmooth = specular;
  specularFlat = specular;
  tc0 = coord0;
  tc1 = coord1;
  tc2 = coord2;
  tc3 = coord3;
}
)";

// Copies a rectangle between GPU copies: each destination pixel from the source pixel the
// memory copy takes (integer scaling), rows in memory order.
constexpr char kCopyFragmentShader[] = R"(#version 330 core
out vec4 colour;
uniform sampler2D source;
uniform ivec4 sourceRect;  // left, top, width, height
uniform ivec4 destRect;
uniform ivec2 sourceSize;
void main() {
  ivec2 p = ivec2(gl_FragCoord.xy);
  int sx = sourceRect.x + (p.x - destRect.x) * sourceRect.z / destRect.z;
  int sy = sourceRect.y + (p.y - destRect.y) * sourceRect.w / destRect.w;
  if (sx < 0 || sy < 0 || sx >= sourceSize.x || sy >= sourceSize.y) discard;
  colour = texelFetch(source, ivec2(sx, sy), 0);
}
)";

void Report(const char* what) { std::fprintf(stderr, "display device: %s: %s\n", what, SDL_GetError()); }

GLuint CompileShader(GLenum kind, const char* source) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "display device: shader: %s\n", log);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

// The texture stages as one fragment program: each enabled stage's colour and alpha
// operations written out, the stages' arguments read from the interpolated colours, the
// stage's texture, the texture factor or the previous stage's result. Everything that
// decides what a fragment does is part of the program (a software GL runs every branch of
// a shader for every fragment); only values are uniforms.
struct StageProgramKey {
  uint32_t ops[kTextureStages][6] = {};  // colour op, arg1, arg2, alpha op, arg1, arg2
  // Per stage: bit 0 a texture is bound, bit 1 its colour key is on, bits 2-3 the
  // coordinate set it reads.
  uint8_t sampling[kTextureStages] = {};
  uint8_t flatShade = 0;
  uint8_t alphaFunc = 0;  // 0: no alpha test
  bool operator<(const StageProgramKey& o) const {
    if (int c = std::memcmp(ops, o.ops, sizeof ops)) return c < 0;
    if (int c = std::memcmp(sampling, o.sampling, sizeof sampling)) return c < 0;
    if (flatShade != o.flatShade) return flatShade < o.flatShade;
    return alphaFunc < o.alphaFunc;
  }
};

bool KeyedStage(const Device3DState& st, int stage) {
  const DeviceSurface* tex = st.texture[stage];
  return tex && tex->hasKey && st.Render(RenderState::kColorKeyEnable) != 0;
}

StageProgramKey KeyOf(const Device3DState& st) {
  StageProgramKey key;
  for (int i = 0; i < kTextureStages; ++i) {
    const uint32_t colorOp = st.Stage(i, StageState::kColorOp);
    if (colorOp == kOpDisable || colorOp == 0) break;
    key.ops[i][0] = colorOp;
    key.ops[i][1] = st.Stage(i, StageState::kColorArg1);
    key.ops[i][2] = st.Stage(i, StageState::kColorArg2);
    key.ops[i][3] = st.Stage(i, StageState::kAlphaOp);
    key.ops[i][4] = st.Stage(i, StageState::kAlphaArg1);
    key.ops[i][5] = st.Stage(i, StageState::kAlphaArg2);
    if (st.texture[i]) {
      key.sampling[i] = static_cast<uint8_t>(1 | (KeyedStage(st, i) ? 2 : 0) |
                                             ((st.Stage(i, StageState::kTexCoordIndex) & 3) << 2));
    }
  }
  key.flatShade = st.Render(RenderState::kShadeMode) == kShadeFlat ? 1 : 0;
  const uint32_t func = st.Render(RenderState::kAlphaTestEnable) ? st.Render(RenderState::kAlphaFunc) : 0;
  key.alphaFunc = static_cast<uint8_t>(func <= 7 ? func : 0);
  return key;
}

std::string ArgExpr(uint32_t arg, int stage) {
  std::string base;
  switch (arg & 0xF) {
    case kArgDiffuse: base = "diffuse"; break;
    case kArgCurrent: base = stage == 0 ? "diffuse" : "cur"; break;
    case kArgTexture: base = 't' + std::to_string(stage); break;
    case kArgTextureFactor: base = "textureFactor"; break;
    case kArgSpecular: base = "specular"; break;
    default: base = "vec4(1.0)"; break;
  }
  if (arg & 0x20) base = "(" + base + ").aaaa";  // the alpha in every channel
  if (arg & 0x10) base = "(vec4(1.0) - " + base + ")";  // the complement
  return base;
}

std::string OpExpr(uint32_t op, const std::string& a1, const std::string& a2, const std::string& keep) {
  switch (op) {
    case kOpSelectArg1: return a1;
    case kOpSelectArg2: return a2;
    case kOpModulate: return a1 + " * " + a2;
    case kOpModulate2x: return "clamp(" + a1 + " * " + a2 + " * 2.0, 0.0, 1.0)";
    case kOpModulate4x: return "clamp(" + a1 + " * " + a2 + " * 4.0, 0.0, 1.0)";
    case kOpAdd: return "clamp(" + a1 + " + " + a2 + ", 0.0, 1.0)";
    case kOpSubtract: return "clamp(" + a1 + " - " + a2 + ", 0.0, 1.0)";
    default: return keep;
  }
}

// The alpha test as a condition on the fragment's alpha a and the reference; empty: passes.
std::string AlphaTestExpr(uint32_t func) {
  switch (func) {
    case 1: return "false";
    case 2: return "a < alphaRef";
    case 3: return "a == alphaRef";
    case 4: return "a <= alphaRef";
    case 5: return "a > alphaRef";
    case 6: return "a != alphaRef";
    case 7: return "a >= alphaRef";
    default: return "";
  }
}

std::string FragmentSource(const StageProgramKey& key) {
  const char* shade = key.flatShade ? "Flat" : "Smooth";
  std::string src = R"(#version 330 core
in vec4 diffuseSmooth;
flat in vec4 diffuseFlat;
in vec4 specularSmooth;
flat in vec4 specularFlat;
in vec2 tc0;
in vec2 tc1;
in vec2 tc2;
in vec2 tc3;
uniform sampler2D texture0;
uniform sampler2D texture1;
uniform sampler2D texture2;
uniform sampler2D texture3;
uniform vec3 colorKey[4];
uniform vec4 textureFactor;
uniform int alphaRef;
out vec4 colour;
void main() {
)";
  src += std::string("  vec4 diffuse = diffuse") + shade + ";\n  vec4 specular = specular" + shade + ";\n";
  src += "  vec4 cur = diffuse;\n";
  for (int i = 0; i < kTextureStages; ++i) {
    const uint32_t* op = key.ops[i];
    if (op[0] == 0) break;
    const std::string n = std::to_string(i);
    const uint8_t sampling = key.sampling[i];
    if (sampling & 1) {
      src += "  vec4 t" + n + " = texture(texture" + n + ", tc" + std::to_string((sampling >> 2) & 3) + ");\n";
      if (sampling & 2) {
        src += "  if (all(lessThan(abs(t" + n + ".rgb - colorKey[" + n + "]), vec3(0.002)))) discard;\n";
      }
    } else {
      src += "  vec4 t" + n + " = vec4(1.0);\n";
    }
    const std::string colour = OpExpr(op[0], ArgExpr(op[1], i) + ".rgb", ArgExpr(op[2], i) + ".rgb", "cur.rgb");
    const std::string alpha = OpExpr(op[3], ArgExpr(op[4], i) + ".a", ArgExpr(op[5], i) + ".a", "cur.a");
    src += "  cur = vec4(" + colour + ", " + alpha + ");\n";
  }
  const std::string test = AlphaTestExpr(key.alphaFunc);
  if (!test.empty()) {
    src += "  int a = int(round(cur.a * 255.0));\n  if (!(" + test + ")) discard;\n";
  }
  src += "  colour = cur;\n}\n";
  return src;
}

GLenum BlendFactorOf(uint32_t f) {
  switch (f) {
    case kBlendZero: return GL_ZERO;
    case kBlendOne: return GL_ONE;
    case kBlendSrcColor: return GL_SRC_COLOR;
    case kBlendInvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case kBlendSrcAlpha: return GL_SRC_ALPHA;
    case kBlendInvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case kBlendDestAlpha: return GL_DST_ALPHA;
    case kBlendInvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case kBlendDestColor: return GL_DST_COLOR;
    case kBlendInvDestColor: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

GLenum CompareOf(uint32_t f) {
  switch (f) {
    case kCmpNever: return GL_NEVER;
    case kCmpLess: return GL_LESS;
    case kCmpEqual: return GL_EQUAL;
    case kCmpLessEqual: return GL_LEQUAL;
    case kCmpGreater: return GL_GREATER;
    case kCmpNotEqual: return GL_NOTEQUAL;
    case kCmpGreaterEqual: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

// How a surface's pixels go to GL: external format and type, and whether it has alpha.
struct GlPixelLayout {
  GLenum format = GL_BGRA;
  GLenum type = GL_UNSIGNED_INT_8_8_8_8_REV;
  bool alpha = false;
};

GlPixelLayout LayoutOf(const DevicePixelFormat& f) {
  GlPixelLayout l;
  l.alpha = f.alphaMask != 0;
  if (f.bits == 32) return l;
  if (f.greenMask == 0x07E0) {
    l.format = GL_RGB;
    l.type = GL_UNSIGNED_SHORT_5_6_5;
  } else if (f.greenMask == 0x00F0) {
    l.type = GL_UNSIGNED_SHORT_4_4_4_4_REV;
  } else {
    l.type = GL_UNSIGNED_SHORT_1_5_5_5_REV;
  }
  return l;
}

// A pixel value of a 32-bit or 5:6:5 surface as the colour GL stores for it; false for the
// other formats.
bool FillColour(const DevicePixelFormat& f, uint32_t pixel, float out[4]) {
  if (f.bits == 32) {
    out[0] = static_cast<float>((pixel >> 16) & 255) / 255.0f;
    out[1] = static_cast<float>((pixel >> 8) & 255) / 255.0f;
    out[2] = static_cast<float>(pixel & 255) / 255.0f;
    out[3] = static_cast<float>(pixel >> 24) / 255.0f;
    return true;
  }
  if (f.greenMask != 0x07E0) return false;
  out[0] = static_cast<float>((pixel >> 11) & 31) / 31.0f;
  out[1] = static_cast<float>((pixel >> 5) & 63) / 63.0f;
  out[2] = static_cast<float>(pixel & 31) / 31.0f;
  out[3] = 1.0f;
  return true;
}

bool SameFormat(const DevicePixelFormat& a, const DevicePixelFormat& b) {
  return a.bits == b.bits && a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask &&
         a.alphaMask == b.alphaMask;
}

// A key colour of the format as GL reads it from a texel (each channel over its maximum).
void KeyColour(const DevicePixelFormat& f, uint32_t key, float out[3]) {
  const uint32_t masks[3] = {f.redMask, f.greenMask, f.blueMask};
  for (int i = 0; i < 3; ++i) {
    uint32_t m = masks[i];
    if (m == 0) {
      out[i] = 0.0f;
      continue;
    }
    int shift = 0;
    while (!((m >> shift) & 1)) ++shift;
    const uint32_t max = m >> shift;
    out[i] = static_cast<float>((key & m) >> shift) / static_cast<float>(max);
  }
}

GLuint LinkProgram(const char* vertex, const char* fragment) {
  const GLuint vs = CompileShader(GL_VERTEX_SHADER, vertex);
  const GLuint fs = CompileShader(GL_FRAGMENT_SHADER, fragment);
  if (!vs || !fs) {
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint linked = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

// A 3.3 core context on the window; one that reports a reset of the device (and then draws
// nothing more) when the driver offers that, else a plain one.
SDL_GLContext CreateContext(SDL_Window* window) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_ROBUST_ACCESS_FLAG);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_RESET_NOTIFICATION, SDL_GL_CONTEXT_RESET_LOSE_CONTEXT);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_RESET_NOTIFICATION, SDL_GL_CONTEXT_RESET_NO_NOTIFICATION);
  if (!context) context = SDL_GL_CreateContext(window);
  return context;
}

using ResetQuery = GLenum (*)();

GLenum ResetStatusCore() { return glGetGraphicsResetStatus(); }
GLenum ResetStatusArb() { return glGetGraphicsResetStatusARB(); }

// How the current context tells a reset; null when it never does.
ResetQuery ResetQueryOf() {
  ResetQuery query = nullptr;
  if (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_KHR_robustness")) {
    query = ResetStatusCore;
  } else if (epoxy_has_gl_extension("GL_ARB_robustness")) {
    query = ResetStatusArb;
  }
  if (!query) return nullptr;
  GLint strategy = 0;
  glGetIntegerv(GL_RESET_NOTIFICATION_STRATEGY, &strategy);
  return strategy == GL_LOSE_CONTEXT_ON_RESET ? query : nullptr;
}

// A stage program and where its uniforms are.
struct StageProgram {
  GLuint id = 0;
  GLint targetSize = -1;
  GLint textureFactor = -1;
  GLint alphaRef = -1;
  GLint colorKey[kTextureStages] = {-1, -1, -1, -1};
};

class GlDisplayDevice final : public DisplayDevice {
 public:
  GlDisplayDevice(SDL_Window* window, SDL_GLContext context)
      : window_(window), windowId_(SDL_GetWindowID(window)), context_(context), thread_(CurrentThreadId()) {}

  ~GlDisplayDevice() override {
    // A window closed by the user is gone with its context before the display ends.
    if (!WindowAlive() || !context_) return;
    SDL_GL_MakeCurrent(window_, context_);
    DeleteObjects();
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
  }

  bool Init() {
    resetQuery_ = ResetQueryOf();
    if (epoxy_gl_version() < 33) {
      std::fprintf(stderr, "display device: OpenGL %d.%d is older than 3.3\n", epoxy_gl_version() / 10,
                   epoxy_gl_version() % 10);
      return false;
    }
    copyProgram_ = LinkProgram(kVertexShader, kCopyFragmentShader);
    if (!copyProgram_) return false;
    glGenVertexArrays(1, &vertexArray_);
    return glGetError() == GL_NO_ERROR;
  }

 protected:
  // The window layer puts the window into full screen; the display takes the mode the
  // window system finds for it, and the primary is scaled to whatever it got.
  bool ApplyDisplayMode(int, int, int, int) override { return WindowAlive(); }
  void ApplyDesktopMode() override {}

  DisplayModeInfo DesktopMode() const override {
    DisplayModeInfo info;
    SDL_DisplayMode mode{};
    int display = SDL_GetWindowDisplayIndex(window_);
    if (display < 0) display = 0;
    if (SDL_GetDesktopDisplayMode(display, &mode) == 0) {
      info.width = mode.w;
      info.height = mode.h;
      info.refreshRate = mode.refresh_rate;
    }
    // The window's pixels are 32-bit XRGB whatever the desktop stores.
    info.format = Xrgb8888Format();
    return info;
  }

  // Every primary is shown from its GPU copy.
  void Show(const LockedPixels&, bool) override {}

  void ShowSurface(DeviceSurface* primary, bool waitVBlank) override {
    if (!MakeCurrent()) return;
    const int interval = waitVBlank ? 1 : 0;
    if (interval != swapInterval_) {
      SDL_GL_SetSwapInterval(interval);
      swapInterval_ = interval;
    }
    DrawPrimary(primary);
    SDL_GL_SwapWindow(window_);
    // Once a frame: a context the driver reset draws nothing more, and every surface the
    // GPU held is gone.
    if (resetQuery_ && resetQuery_() != GL_NO_ERROR) LoseSurfaces();
  }

  // The picture as the GL pipeline draws it: the primary drawn once more into the back
  // buffer and read from there (before any swap, where its content is defined).
  bool ReadShown(DeviceSurface* primary, std::vector<uint32_t>* xrgb, int* width, int* height) override {
    if (primary->pixels.empty() || !MakeCurrent()) return false;
    DrawPrimary(primary);
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
    std::vector<uint32_t> rows(static_cast<size_t>(drawableWidth) * drawableHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, drawableWidth, drawableHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    if (glGetError() != GL_NO_ERROR) return false;
    *width = drawableWidth;
    *height = drawableHeight;
    xrgb->resize(rows.size());
    // GL's rows run bottom up.
    for (int y = 0; y < drawableHeight; ++y) {
      for (int x = 0; x < drawableWidth; ++x) {
        (*xrgb)[static_cast<size_t>(y) * drawableWidth + x] =
            rows[static_cast<size_t>(drawableHeight - 1 - y) * drawableWidth + x] & 0xFFFFFF;
      }
    }
    return true;
  }

  // The swap of the next present waits for the blank instead.
  void WaitVBlank() override {}

  bool Open3D() override { return MakeCurrent(); }

  // The context goes with every object in it (as a reset takes it), and a new one is made
  // for the restored surfaces; without one the device draws nothing until it is made again.
  void LosePlatformObjects() override {
    copies_.clear();
    programs_.clear();
    copyProgram_ = vertexArray_ = vertexArray3D_ = vertexBuffer_ = 0;
    swapInterval_ = -1;
    if (!WindowAlive()) return;
    if (context_) {
      SDL_GL_MakeCurrent(window_, nullptr);
      SDL_GL_DeleteContext(context_);
    }
    context_ = CreateContext(window_);
    if (!context_) {
      Report("cannot make the OpenGL context again");
      return;
    }
    if (SDL_GL_MakeCurrent(window_, context_) != 0 || !Init()) {
      std::fprintf(stderr, "display device: the new OpenGL context cannot show the screen\n");
      SDL_GL_MakeCurrent(window_, nullptr);
      SDL_GL_DeleteContext(context_);
      context_ = nullptr;
    }
  }

  void ForgetSurface(DeviceSurface* surface) override {
    auto found = copies_.find(surface);
    if (found == copies_.end()) return;
    if (MakeCurrent()) DeleteCopy(&found->second);
    copies_.erase(found);
  }

  void FetchPixels(DeviceSurface* surface, const Rect& area) override {
    auto found = copies_.find(surface);
    if (found == copies_.end()) return;
    GpuCopy& c = found->second;
    const Rect wanted = Intersection(area, c.ahead);
    if (IsEmpty(wanted) || (!IsEmpty(c.dirty) && Contains(c.dirty, wanted))) return;
    if (!MakeCurrent() || !CopyFor(surface) || !c.framebuffer) return;
    // With the memory's newer part sent up first, the GPU copy holds the whole picture.
    glBindFramebuffer(GL_FRAMEBUFFER, c.framebuffer);
    const GlPixelLayout layout = LayoutOf(surface->format);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, surface->pitch / surface->bytes());
    glReadPixels(wanted.left, wanted.top, wanted.Width(), wanted.Height(), layout.format, layout.type,
                 surface->At(wanted.left, wanted.top));
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (Contains(wanted, c.ahead)) c.ahead = Rect{};
  }

  void MemoryWritten(DeviceSurface* surface, const Rect& area) override {
    auto found = copies_.find(surface);
    if (found == copies_.end()) return;
    GpuCopy& c = found->second;
    if (Contains(c.dirty, area)) return;
    if (!IsEmpty(c.dirty)) {
      // Only the pixels the processor was given are known in memory: the earlier part goes
      // up now rather than a rectangle around both.
      if (!MakeCurrent()) {
        copies_.erase(found);
        return;
      }
      glBindTexture(GL_TEXTURE_2D, c.texture);
      UploadArea(surface, c.dirty);
    }
    c.dirty = area;
  }

  bool FillOnPlatform(DeviceSurface* surface, const Rect& area, uint32_t pixel) override {
    float colour[4];
    if (!copies_.count(surface) || !FillColour(surface->format, pixel, colour) || !MakeCurrent()) return false;
    GpuCopy* c = CopyFor(surface);
    if (!c || !BindFramebuffer(c, false)) return false;
    glEnable(GL_SCISSOR_TEST);
    glScissor(area.left, area.top, area.Width(), area.Height());
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(colour[0], colour[1], colour[2], colour[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    c->ahead = Bounding(c->ahead, area);
    return true;
  }

  // A copy from a surface the GPU holds goes GPU to GPU; the primary takes one at once, as
  // it is shown from the GPU anyway.
  bool CopyOnPlatform(DeviceSurface* dest, const Rect& destRect, const Rect& clip, DeviceSurface* source,
                      const Rect& sourceRect) override {
    if (!copies_.count(source) || (!copies_.count(dest) && dest->kind != SurfaceKind::kPrimary) ||
        !SameFormat(dest->format, source->format) || !MakeCurrent()) {
      return false;
    }
    if (IsEmpty(clip)) return true;
    GpuCopy* from = CopyFor(source);
    GpuCopy* to = CopyFor(dest);
    if (!from || !to || !BindFramebuffer(from, false) || !BindFramebuffer(to, false)) return false;
    if (destRect.Width() == sourceRect.Width() && destRect.Height() == sourceRect.Height()) {
      // Unscaled: the destination pixels whose source lies inside the source surface, as
      // the GL's own copy between framebuffers.
      const int shiftX = destRect.left - sourceRect.left;
      const int shiftY = destRect.top - sourceRect.top;
      const Rect area = Intersection(clip, Rect{shiftX, shiftY, shiftX + source->width, shiftY + source->height});
      if (!IsEmpty(area)) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, from->framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to->framebuffer);
        glDisable(GL_SCISSOR_TEST);
        glBlitFramebuffer(area.left - shiftX, area.top - shiftY, area.right - shiftX, area.bottom - shiftY, area.left,
                          area.top, area.right, area.bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        to->ahead = Bounding(to->ahead, area);
      }
      glBindFramebuffer(GL_FRAMEBUFFER, 0);
      return true;
    }
    glViewport(0, 0, dest->width, dest->height);
    glEnable(GL_SCISSOR_TEST);
    glScissor(clip.left, clip.top, clip.Width(), clip.Height());
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, from->texture);
    SetSampling(from, GL_ALPHA, from->filter, from->wrap);  // the fourth byte as it is
    glUseProgram(copyProgram_);
    glUniform1i(glGetUniformLocation(copyProgram_, "source"), 0);
    glUniform4i(glGetUniformLocation(copyProgram_, "sourceRect"), sourceRect.left, sourceRect.top,
                sourceRect.Width(), sourceRect.Height());
    glUniform4i(glGetUniformLocation(copyProgram_, "destRect"), destRect.left, destRect.top, destRect.Width(),
                destRect.Height());
    glUniform2i(glGetUniformLocation(copyProgram_, "sourceSize"), source->width, source->height);
    glBindVertexArray(vertexArray_);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    to->ahead = Bounding(to->ahead, clip);
    return true;
  }

  void SwapPlatformCopies(DeviceSurface* a, DeviceSurface* b) override {
    auto fa = copies_.find(a);
    auto fb = copies_.find(b);
    const bool hasA = fa != copies_.end();
    const bool hasB = fb != copies_.end();
    GpuCopy ca = hasA ? fa->second : GpuCopy{};
    GpuCopy cb = hasB ? fb->second : GpuCopy{};
    if (hasA) copies_.erase(fa);
    if (hasB) copies_.erase(fb);
    if (hasA) copies_[b] = ca;
    if (hasB) copies_[a] = cb;
  }

  bool Render3D(const Device3DState& st, PrimitiveKind kind, uint32_t layout, const void* vertices,
                int count) override {
    if (!MakeCurrent()) return false;
    DeviceSurface* target = st.target;
    GpuCopy* t = CopyFor(target);
    if (!t || !BindFramebuffer(t, true)) return false;
    const StageProgramKey key = KeyOf(st);
    const StageProgram* program = ProgramFor(key);
    if (!program) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, t->framebuffer);
    glViewport(0, 0, target->width, target->height);
    glEnable(GL_SCISSOR_TEST);
    glScissor(st.viewport.x, st.viewport.y, st.viewport.width, st.viewport.height);
    glUseProgram(program->id);
    glUniform2f(program->targetSize, static_cast<float>(target->width), static_cast<float>(target->height));
    const uint32_t factor = st.Render(RenderState::kTextureFactor);
    glUniform4f(program->textureFactor, ((factor >> 16) & 255) / 255.0f, ((factor >> 8) & 255) / 255.0f,
                (factor & 255) / 255.0f, (factor >> 24) / 255.0f);
    glUniform1i(program->alphaRef, static_cast<int>(st.Render(RenderState::kAlphaRef) & 255));
    for (int i = 0; i < kTextureStages; ++i) {
      if (!(key.sampling[i] & 1)) continue;  // the program reads no texture on this stage
      DeviceSurface* tex = st.texture[i];
      glActiveTexture(GL_TEXTURE0 + i);
      glBindTexture(GL_TEXTURE_2D, TextureFor(tex, st, i));
      if (key.sampling[i] & 2) {
        float colorKey[3];
        KeyColour(tex->format, tex->key, colorKey);
        glUniform3f(program->colorKey[i], colorKey[0], colorKey[1], colorKey[2]);
      }
    }
    glActiveTexture(GL_TEXTURE0);
    // Blending, depth and culling.
    if (st.Render(RenderState::kAlphaBlendEnable)) {
      glEnable(GL_BLEND);
      glBlendFunc(BlendFactorOf(st.Render(RenderState::kSrcBlend)), BlendFactorOf(st.Render(RenderState::kDestBlend)));
    } else {
      glDisable(GL_BLEND);
    }
    if (st.Render(RenderState::kZEnable) && target->zBuffer) {
      SyncDepth(target, t);
      glEnable(GL_DEPTH_TEST);
      glDepthFunc(CompareOf(st.Render(RenderState::kZFunc)));
      glDepthMask(st.Render(RenderState::kZWriteEnable) ? GL_TRUE : GL_FALSE);
    } else {
      glDisable(GL_DEPTH_TEST);
    }
    // Our rows run top down in GL's bottom-up window, which mirrors the winding.
    switch (st.Render(RenderState::kCullMode)) {
      case kCullClockwise:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        break;
      case kCullCounterClockwise:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        break;
      default: glDisable(GL_CULL_FACE); break;
    }
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    // The vertices.
    const int size = VertexSize(layout);
    glBindVertexArray(vertexArray3D_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(size) * count, vertices, GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, size, nullptr);
    uintptr_t offset = 16;
    if (layout & kVertexDiffuse) {
      glEnableVertexAttribArray(1);
      glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, size, reinterpret_cast<void*>(offset));
      offset += 4;
    } else {
      glDisableVertexAttribArray(1);
      glVertexAttrib4f(1, 1, 1, 1, 1);
    }
    if (layout & kVertexSpecular) {
      glEnableVertexAttribArray(2);
      glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, size, reinterpret_cast<void*>(offset));
      offset += 4;
    } else {
      glDisableVertexAttribArray(2);
      glVertexAttrib4f(2, 0, 0, 0, 0);
    }
    const int sets = static_cast<int>((layout >> kVertexTexCountShift) & 0xF);
    for (int i = 0; i < 4; ++i) {
      if (i < sets) {
        glEnableVertexAttribArray(3 + i);
        glVertexAttribPointer(3 + i, 2, GL_FLOAT, GL_FALSE, size, reinterpret_cast<void*>(offset));
        offset += 8;
      } else {
        glDisableVertexAttribArray(3 + i);
        glVertexAttrib2f(3 + i, 0, 0);
      }
    }
    GLenum mode = GL_TRIANGLES;
    switch (kind) {
      case PrimitiveKind::kPointList: mode = GL_POINTS; break;
      case PrimitiveKind::kLineList: mode = GL_LINES; break;
      case PrimitiveKind::kLineStrip: mode = GL_LINE_STRIP; break;
      case PrimitiveKind::kTriangleList: mode = GL_TRIANGLES; break;
      case PrimitiveKind::kTriangleStrip: mode = GL_TRIANGLE_STRIP; break;
    }
    glDrawArrays(mode, 0, count);
    glBindVertexArray(0);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const Viewport3D& v = st.viewport;
    t->ahead = Bounding(t->ahead, Rect{v.x, v.y, v.x + v.width, v.y + v.height});
    return glGetError() == GL_NO_ERROR;
  }

 private:
  // A surface's pixels on the GPU, rows in memory order (the first row is GL's row 0).
  struct GpuCopy {
    GLuint texture = 0;
    GLuint framebuffer = 0;
    GLuint depth = 0;
    int width = 0, height = 0;
    Rect ahead;  // around the pixels the GPU holds newer than memory
    Rect dirty;  // the pixels memory holds newer than the GPU
    uint64_t depthGeneration = 0;  // the Z buffer generation the depth matches
    GLint swizzleA = GL_ALPHA;  // the texture's sampling as last sent
    GLint filter = GL_NEAREST;
    GLint wrap = GL_CLAMP_TO_EDGE;
  };

  // Copies the primary's GPU copy over the drawable (scaled to it, pixels kept sharp),
  // keeping its aspect with black bars.
  void DrawPrimary(DeviceSurface* primary) {
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
    GpuCopy* c = primary->pixels.empty() ? nullptr : CopyFor(primary);
    int w = drawableWidth;
    int h = drawableHeight;
    if (c && static_cast<int64_t>(w) * primary->height > static_cast<int64_t>(h) * primary->width) {
      w = static_cast<int>(static_cast<int64_t>(h) * primary->width / primary->height);
    } else if (c) {
      h = static_cast<int>(static_cast<int64_t>(w) * primary->height / primary->width);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    if (!c || w != drawableWidth || h != drawableHeight) {
      glViewport(0, 0, drawableWidth, drawableHeight);
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT);
    }
    if (!c || !BindFramebuffer(c, false)) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, c->framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Our first row is the GL's row 0; the window's top row is its last.
    const int x = (drawableWidth - w) / 2;
    const int y = (drawableHeight - h) / 2;
    glBlitFramebuffer(0, 0, primary->width, primary->height, x, y + h, x + w, y, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
  }

  bool WindowAlive() const { return SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetWindowFromID(windowId_) == window_; }

  bool MakeCurrent() {
    if (!context_ || CurrentThreadId() != thread_ || !WindowAlive()) return false;
    if (SDL_GL_GetCurrentContext() == context_) return true;
    return SDL_GL_MakeCurrent(window_, context_) == 0;
  }

  void DeleteCopy(GpuCopy* c) {
    if (c->framebuffer) glDeleteFramebuffers(1, &c->framebuffer);
    if (c->texture) glDeleteTextures(1, &c->texture);
    if (c->depth) glDeleteRenderbuffers(1, &c->depth);
    *c = GpuCopy{};
  }

  void DeleteObjects() {
    for (auto& [surface, c] : copies_) DeleteCopy(&c);
    copies_.clear();
    for (auto& [key, program] : programs_) glDeleteProgram(program.id);
    programs_.clear();
    if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
    if (copyProgram_) glDeleteProgram(copyProgram_);
    if (vertexArray3D_) glDeleteVertexArrays(1, &vertexArray3D_);
    if (vertexBuffer_) glDeleteBuffers(1, &vertexBuffer_);
    vertexArray_ = copyProgram_ = vertexArray3D_ = vertexBuffer_ = 0;
  }

  // Sends the area of the surface's memory into the bound texture.
  static void UploadArea(DeviceSurface* s, const Rect& r) {
    const GlPixelLayout layout = LayoutOf(s->format);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, s->pitch / s->bytes());
    glTexSubImage2D(GL_TEXTURE_2D, 0, r.left, r.top, r.Width(), r.Height(), layout.format, layout.type,
                    s->At(r.left, r.top));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  }

  // The surface's GPU copy, made from memory the first time and brought up to date with
  // what the processor wrote since; null when the surface has no pixels.
  GpuCopy* CopyFor(DeviceSurface* s) {
    if (s->pixels.empty() || s->width <= 0 || s->height <= 0 || s->kind == SurfaceKind::kZBuffer) return nullptr;
    GpuCopy& c = copies_[s];
    if (c.texture && (c.width != s->width || c.height != s->height)) DeleteCopy(&c);
    if (!c.texture) {
      glGenTextures(1, &c.texture);
      glBindTexture(GL_TEXTURE_2D, c.texture);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
      // Every format is kept with its fourth byte; sampling reads a format without alpha
      // as opaque.
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, s->width, s->height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
      UploadArea(s, Rect{0, 0, s->width, s->height});
      c.width = s->width;
      c.height = s->height;
    } else if (!IsEmpty(c.dirty)) {
      glBindTexture(GL_TEXTURE_2D, c.texture);
      UploadArea(s, c.dirty);
      c.dirty = Rect{};
    }
    return &c;
  }

  // Binds the copy's framebuffer (made the first time, with a depth buffer when asked).
  bool BindFramebuffer(GpuCopy* c, bool withDepth) {
    const bool made = !c->framebuffer;
    if (made) glGenFramebuffers(1, &c->framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, c->framebuffer);
    if (made) glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, c->texture, 0);
    const bool addDepth = withDepth && !c->depth;
    if (addDepth) {
      glGenRenderbuffers(1, &c->depth);
      glBindRenderbuffer(GL_RENDERBUFFER, c->depth);
      glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, c->width, c->height);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, c->depth);
      c->depthGeneration = 0;
    }
    if ((made || addDepth) && glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
      glBindFramebuffer(GL_FRAMEBUFFER, 0);
      glDeleteFramebuffers(1, &c->framebuffer);
      c->framebuffer = 0;
      return false;
    }
    return true;
  }

  // The Z buffer's memory is only ever filled whole; its first value stands for the fill.
  void SyncDepth(DeviceSurface* target, GpuCopy* t) {
    DeviceSurface* z = target->zBuffer;
    if (!z || t->depthGeneration == z->generation) return;
    uint16_t value = 0xFFFF;
    if (z->pixels.size() >= 2) std::memcpy(&value, z->pixels.data(), 2);
    glBindFramebuffer(GL_FRAMEBUFFER, t->framebuffer);
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glClearDepth(value / 65535.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    t->depthGeneration = z->generation;
  }

  GLuint TextureFor(DeviceSurface* s, const Device3DState& st, int stage) {
    GpuCopy* c = CopyFor(s);
    if (!c) return 0;
    glBindTexture(GL_TEXTURE_2D, c->texture);
    const GLint filter = st.Stage(stage, StageState::kMagFilter) == kFilterLinear ? GL_LINEAR : GL_NEAREST;
    GLint wrap = GL_REPEAT;
    switch (st.Stage(stage, StageState::kAddress)) {
      case kAddressMirror: wrap = GL_MIRRORED_REPEAT; break;
      case kAddressClamp: wrap = GL_CLAMP_TO_EDGE; break;
      case kAddressBorder: wrap = GL_CLAMP_TO_BORDER; break;
      default: break;
    }
    SetSampling(c, s->format.alphaMask ? GL_ALPHA : GL_ONE, filter, wrap);
    return c->texture;
  }

  // The bound texture's sampling, sent only where it changes.
  static void SetSampling(GpuCopy* c, GLint swizzleA, GLint filter, GLint wrap) {
    if (c->swizzleA != swizzleA) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, swizzleA);
    if (c->filter != filter) {
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    }
    if (c->wrap != wrap) {
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    }
    c->swizzleA = swizzleA;
    c->filter = filter;
    c->wrap = wrap;
  }

  // The program for the key, made the first time with its samplers on units 0-3.
  const StageProgram* ProgramFor(const StageProgramKey& key) {
    auto found = programs_.find(key);
    if (found != programs_.end()) return &found->second;
    const std::string fragment = FragmentSource(key);
    StageProgram p;
    p.id = LinkProgram(kVertexShader3D, fragment.c_str());
    if (!p.id) return nullptr;
    if (!vertexArray3D_) {
      glGenVertexArrays(1, &vertexArray3D_);
      glGenBuffers(1, &vertexBuffer_);
    }
    glUseProgram(p.id);
    for (int i = 0; i < kTextureStages; ++i) {
      const std::string n = std::to_string(i);
      glUniform1i(glGetUniformLocation(p.id, ("texture" + n).c_str()), i);
      p.colorKey[i] = glGetUniformLocation(p.id, ("colorKey[" + n + "]").c_str());
    }
    p.targetSize = glGetUniformLocation(p.id, "targetSize");
    p.textureFactor = glGetUniformLocation(p.id, "textureFactor");
    p.alphaRef = glGetUniformLocation(p.id, "alphaRef");
    return &(programs_[key] = p);
  }

  SDL_Window* window_;
  Uint32 windowId_;
  SDL_GLContext context_;
  uint32_t thread_;
  ResetQuery resetQuery_ = nullptr;
  GLuint copyProgram_ = 0;
  GLuint vertexArray_ = 0;
  int swapInterval_ = -1;
  std::map<DeviceSurface*, GpuCopy> copies_;
  std::map<StageProgramKey, StageProgram> programs_;
  GLuint vertexArray3D_ = 0;
  GLuint vertexBuffer_ = 0;
};

}  // namespace

std::unique_ptr<DisplayDevice> CreateGlDisplayDevice(Window* window) {
  auto* sdlWindow = window ? static_cast<SDL_Window*>(window->NativeHandle()) : nullptr;
  if (!sdlWindow) return nullptr;
  if (!(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_OPENGL)) {
    std::fprintf(stderr, "display device: the window was made without OpenGL\n");
    return nullptr;
  }
  SDL_GLContext context = CreateContext(sdlWindow);
  if (!context) {
    Report("cannot make an OpenGL 3.3 context");
    return nullptr;
  }
  auto device = std::make_unique<GlDisplayDevice>(sdlWindow, context);
  if (!device->Init()) {
    std::fprintf(stderr, "display device: the OpenGL context cannot show the screen\n");
    return nullptr;
  }
  return device;
}

}  // namespace platform
