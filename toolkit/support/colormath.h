/*
 * colormath.h - colour arithmetic that needs no X server: the shades the
 * toolkit draws its edges and contrasting text with, distances between
 * colours and the nearest-colour search, the 6x6x6 colour cube of the 8-bit
 * pixel table, and lookups in the X colour database file (rgb.txt).
 */
#ifndef KRN_SUPPORT_COLORMATH_H
#define KRN_SUPPORT_COLORMATH_H

#include <stdio.h>

// A colour with 8-bit components (0..255 once clamped).
struct KrnRGB {
  int red;
  int green;
  int blue;
};

// Shade types; the same numbers as KRN_SHADE_* of the public header.
enum ShadeType { kShadeFace = 0, kShadeLight = 1, kShadeDark = 2, kShadeContrast = 3 };

constexpr int kCubeBase = 40;     // first table entry / cell of the cube
constexpr int kCubeLevels = 6;    // levels per component: 0, 51, ... 255
constexpr int kCubeStep = 51;     // distance between two levels
constexpr int kCubeColors = 216;  // kCubeLevels cubed
constexpr int kColorTableSize = 256;

// Clamps each component to 0..255.
KrnRGB ClampRGB(KrnRGB color);

// The shade of a colour (ShadeType; other types leave it unchanged),
// components clamped first.
KrnRGB ShadeRGB(KrnRGB color, int type);

// The grey level used for a shade of a colour name that is not known.
int UnknownNameShadeGrey(int type);

// Squared Euclidean distance of two colours.
unsigned int ColorDistance(KrnRGB a, KrnRGB b);

// Index of the colour in cells[0..count) nearest to target; on equal
// distances the lowest index wins.  0 when count is 0.
int NearestColorIndex(const KrnRGB* cells, int count, KrnRGB target);

// The cube colour at table entry kCubeBase + index (index 0..215).
KrnRGB CubeColor(int index);

// Cells that look unallocated (pure black), less one real black.
int FreeColorCells(const KrnRGB* cells, int count);

// Smallest k with k*k*k >= cells; -1 for no cells.
int CubeSide(int cells);

// Fills table entries kCubeBase..255 with the index of the nearest of
// cells[0..count) to each cube colour; entries below stay as they are.
void FillCubeTable(const KrnRGB* cells, int count, int* table);

// The colour database files in the order they are tried; null-terminated.
extern const char* const kColorDatabases[];

// The first of the null-terminated candidates that can be opened for
// reading (the file is returned open), with its path in *path; null when
// none can.  *path is then the first candidate.
FILE* OpenColorDatabase(const char* const* candidates, const char** path);

// Looks name up in an open colour database: 1 and its colour when a line's
// name begins with it (first line in file order wins), else 0.  The name is
// trimmed of blanks and tabs; an empty name is never found.
int FindColorDatabaseName(FILE* database, const char* name, KrnRGB* color);

#endif
