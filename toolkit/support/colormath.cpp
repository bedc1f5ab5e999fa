/*
 * colormath.cpp - colour arithmetic without X: shades, distances, the
 * nearest-colour search, the colour cube of the 8-bit pixel table and the
 * colour database reader.  The X side (tools_color.cpp) queries colour maps
 * and hands the cells here as plain 8-bit colours.
 */
#include "support/colormath.h"

#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

constexpr int kMaxComponent = 255;
constexpr int kNameLimit = 255;      // bytes of a name looked up
constexpr int kDatabaseLine = 8192;  // line limit of the database reader
constexpr int kNameColumn = 11;      // names start at the twelfth character

int Clamp(int v) {
  return v < 0 ? 0 : (v > kMaxComponent ? kMaxComponent : v);
}

int FaceComponent(int v) {
  return v > 128 ? v - v / 6 : v + v / 6;
}

int ContrastComponent(int v) {
  int inverse = kMaxComponent - v;
  if (abs(v - inverse) >= 128) return inverse;
  return v <= 127 ? v + 128 : v - 128;
}

bool AnyFull(KrnRGB c) {
  return c.red == kMaxComponent || c.green == kMaxComponent || c.blue == kMaxComponent;
}

// A light edge: brighter by half plus 40; once a component saturates the
// edge is plain white, so a light edge never shows a tint of its own.
KrnRGB LightShade(KrnRGB c) {
  const KrnRGB white = {kMaxComponent, kMaxComponent, kMaxComponent};
  if (AnyFull(c)) return white;
  auto up = [](int v) { return Clamp(v + v / 2 + 40); };
  KrnRGB light = {up(c.red), up(c.green), up(c.blue)};
  return AnyFull(light) ? white : light;
}

template <typename F>
KrnRGB EachComponent(KrnRGB c, F rule) {
  return {rule(c.red), rule(c.green), rule(c.blue)};
}

std::string TrimmedName(const char* name) {
  std::string s(name, strnlen(name, kNameLimit));
  size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

int Field(const char* line, int start) {
  char digits[4];
  memcpy(digits, line + start, 3);
  digits[3] = '\0';
  return atoi(digits);
}

// One database line: 1 and its colour when its name begins with name.
int MatchDatabaseLine(const char* line, const std::string& name, KrnRGB* color) {
  if (line[0] == '!' || strlen(line) < size_t(kNameColumn)) return 0;
  const char* entry = line + kNameColumn;
  entry += strspn(entry, " \t");
  if (strncmp(entry, name.c_str(), name.size()) != 0) return 0;
  *color = {Field(line, 0), Field(line, 4), Field(line, 8)};
  return 1;
}

}  // namespace

KrnRGB ClampRGB(KrnRGB color) {
  return EachComponent(color, Clamp);
}

KrnRGB ShadeRGB(KrnRGB color, int type) {
  KrnRGB c = ClampRGB(color);
  switch (type) {
    case kShadeFace:
      return EachComponent(c, FaceComponent);
    case kShadeLight:
      return LightShade(c);
    case kShadeDark:
      return EachComponent(c, [](int v) { return v / 2; });
    case kShadeContrast:
      return EachComponent(c, ContrastComponent);
    default:
      return c;
  }
}

int UnknownNameShadeGrey(int type) {
  switch (type) {
    case kShadeFace:
      return 127;
    case kShadeLight:
    case kShadeContrast:
      return kMaxComponent;
    default:
      return 0;
  }
}

unsigned int ColorDistance(KrnRGB a, KrnRGB b) {
  int dr = a.red - b.red, dg = a.green - b.green, db = a.blue - b.blue;
  return unsigned(dr * dr) + unsigned(dg * dg) + unsigned(db * db);
}

int NearestColorIndex(const KrnRGB* cells, int count, KrnRGB target) {
  int best = 0;
  unsigned int bestDistance = ~0u;
  for (int i = 0; i < count; i++) {
    unsigned int d = ColorDistance(cells[i], target);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;  // nothing can be nearer, and lower cells win ties
    }
  }
  return best;
}

KrnRGB CubeColor(int index) {
  int ri = index / (kCubeLevels * kCubeLevels);
  int gi = index / kCubeLevels % kCubeLevels;
  int bi = index % kCubeLevels;
  return {ri * kCubeStep, gi * kCubeStep, bi * kCubeStep};
}

int FreeColorCells(const KrnRGB* cells, int count) {
  int black = 0;
  for (int i = 0; i < count; i++) {
    if (cells[i].red == 0 && cells[i].green == 0 && cells[i].blue == 0) black++;
  }
  return black > 0 ? black - 1 : 0;
}

int CubeSide(int cells) {
  if (cells <= 0) return -1;
  int k = 1;
  while (k * k * k < cells) k++;
  return k;
}

void FillCubeTable(const KrnRGB* cells, int count, int* table) {
  for (int i = 0; i < kCubeColors; i++) {
    table[kCubeBase + i] = NearestColorIndex(cells, count, CubeColor(i));
  }
}

// The traditional place first, then where current systems keep the file.
const char* const kColorDatabases[] = {"/usr/X11R6/lib/X11/rgb.txt", "/usr/share/X11/rgb.txt",
                                       "/etc/X11/rgb.txt", nullptr};

FILE* OpenColorDatabase(const char* const* candidates, const char** path) {
  *path = candidates[0];
  for (const char* const* c = candidates; *c; c++) {
    FILE* file = fopen(*c, "r");
    if (file) {
      *path = *c;
      return file;
    }
  }
  return nullptr;
}

int FindColorDatabaseName(FILE* database, const char* name, KrnRGB* color) {
  std::string wanted = TrimmedName(name);
  if (wanted.empty()) return 0;
  char line[kDatabaseLine];
  while (fgets(line, sizeof line, database)) {
    if (MatchDatabaseLine(line, wanted, color)) return 1;
  }
  return 0;
}
